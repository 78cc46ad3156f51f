// Entry point of the Windows program (GUI subsystem, no console window):
// hands the raw command line to start-up and ends with its exit code as the
// process status, so that a script's %ERRORLEVEL% reads -2 as -2.
#include <windows.h>

#include <iostream>

#include "app/Startup.h"
#include "discovery/RegistryPorts.h"
#include "frontend/win32/Win32FrontEnd.h"
#include "modemtests/TapiRegistration.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Serial.h"
#include "platform/win32/Win32System.h"
#include "wizard/Texts.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    nubo::Win32System system;
    nubo::Win32Clock clock;
    nubo::Win32SerialDriver serial;
    nubo::Win32Registry registry;
    nubo::RegistryPorts ports(registry, system.Family());
    nubo::RegistryModems installedModems(registry, system);
    nubo::texts::SelectLanguage(nubo::texts::LanguageForLocale(system.UserLanguage()));
    auto frontEnd = nubo::CreateWin32FrontEnd();
    // Without a console the usage text reaches a caller that redirected the
    // error output (cmd's 2>file hands a GUI program that handle too); a
    // message box would stop an unattended installer, so there is none.
    // The command line in UTF-8 like every text inside: a "/L:" path with any
    // letters names its file, and an ASCII line is logged byte for byte as given.
    const std::string commandLine =
        nubo::CommandLineAfterProgramName(nubo::Narrow(GetCommandLineW()));
    const int code = nubo::RunProgram(commandLine, {system, clock, serial, ports, installedModems},
                                      *frontEnd, nubo::ValueRule::AnySlash, std::cerr);
    std::cerr.flush();
    frontEnd.reset();
    return code;
}
