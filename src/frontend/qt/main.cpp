// Program entry: hands the command line to start-up and ends with its exit code.
#include <iostream>

#include "app/Startup.h"
#include "frontend/qt/QtFrontEnd.h"
#include "platform/posix/ModemManagerModems.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixSerial.h"
#include "platform/posix/PosixSystem.h"
#include "platform/posix/SysfsPorts.h"
#include "wizard/Texts.h"

int main(int argc, char** argv) {
    nubo::PosixSystem system;
    nubo::PosixClock clock;
    nubo::PosixSerialDriver serial;
    const auto ports = nubo::MakePortSource(system);
    nubo::ModemManagerModems installedModems;
    nubo::texts::SelectLanguage(nubo::texts::LanguageForLocale(system.UserLanguage()));
    auto frontEnd = nubo::CreateQtFrontEnd(argc, argv);
    const int code = nubo::RunProgram(nubo::RawCommandLine(argc, argv),
                                      {system, clock, serial, *ports, installedModems}, *frontEnd,
                                      nubo::ValueRule::OptionSlash, std::cerr);
    frontEnd.reset();
    return code;
}
