// The program's run from entry to exit code: command line, log and header,
// wizard style, pages, the modal wizard, the cancel line. UI thread only.
#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "run/RunSettings.h"
#include "ui/Pages.h"
#include "wizard/FrontEnd.h"

namespace nubo {

// The command line as the program received it: the text after the program's
// name and the blanks that follow it (argv[1..] joined by single blanks).
std::string RawCommandLine(int argc, const char* const* argv);
// The same from the whole command line as Windows hands it over: the program's
// name, quoted or running to the first blank, and the blanks after it dropped.
std::string CommandLineAfterProgramName(const std::string& full);

// The user's own folder for the log, for when the default beside the program
// cannot be created: $XDG_STATE_HOME/nubotest or ~/.local/state/nubotest on
// POSIX, %LOCALAPPDATA%\nubotest on Windows. Empty when neither is known.
std::string UserLogFolder(System& system);

// What the run needs from the machine, made by the entry point.
struct Machine {
    System& system;
    Clock& clock;
    SerialDriver& serial;
    PortSource& ports;
    InstalledModems& installedModems;
};

// Returns the process exit code.
int RunProgram(const std::string& commandLine, Machine machine, FrontEnd& frontEnd, ValueRule rule,
               std::ostream& err);

// Exit code when an interactive run finds no display to show the wizard on.
constexpr int kNoDisplayExitCode = exitcode::kCancelled;

}  // namespace nubo
