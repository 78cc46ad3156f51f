// The program's run from entry to exit code.
#include "app/Startup.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/ReportFile.h"
#include "app/WizardStyle.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "wizard/PageWorker.h"

namespace nubo {

std::string RawCommandLine(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (!line.empty()) line += ' ';
        line += argv[i];
    }
    // The platform hands over the text after the blanks that follow the name.
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : line.substr(first);
}

std::string UserLogFolder(System& system) {
    if (system.Family() != PlatformFamily::Posix) {
        const std::string local = system.Environment("LOCALAPPDATA");
        return local.empty() ? std::string() : files::Join(local, "nubotest");
    }
    // A relative XDG_STATE_HOME is to be ignored, as if unset.
    const std::string state = system.Environment("XDG_STATE_HOME");
    if (files::IsAbsolute(state)) return files::Join(state, "nubotest");
    const std::string home = system.Environment("HOME");
    if (home.empty()) return {};
    return files::Join(files::Join(files::Join(home, ".local"), "state"), "nubotest");
}

namespace {

// The default log, or - where the program's folder is not the user's to
// write, as in an installed copy - the same log in the user's own folder.
// Either way a log that is lost is never lost silently.
void OpenDefaultLog(RunSettings& settings, System& system, std::ostream& err) {
    settings.log = std::make_unique<CLogFile>(system);
    if (settings.log->IsOpen()) return;
    const std::string wanted = settings.log->Path();
    const std::string folder = UserLogFolder(system);
    const std::string fallback =
        folder.empty() ? std::string() : files::Join(folder, files::FileName(wanted));
    if (!fallback.empty()) {
        files::CreateFolders(folder);
        settings.log = std::make_unique<CLogFile>(system, fallback);
    }
    if (settings.log->IsOpen()) {
        settings.movedLogPath = fallback;
        err << "nubotest: cannot create the log " << wanted << "; writing it to " << fallback
            << "\n";
    } else {
        err << "nubotest: cannot create the log " << wanted
            << (fallback.empty() ? std::string() : " nor " + fallback)
            << "; the run goes on without a log\n";
    }
}

}  // namespace

std::string CommandLineAfterProgramName(const std::string& full) {
    std::size_t pos = 0;
    if (!full.empty() && full[0] == '"') {
        const std::size_t close = full.find('"', 1);
        pos = close == std::string::npos ? full.size() : close + 1;
    } else {
        pos = std::min(full.find_first_of(" \t"), full.size());
    }
    pos = std::min(full.find_first_not_of(" \t", pos), full.size());
    return full.substr(pos);
}

namespace {

// Writes the run report when the environment names a file for it.
void WriteReport(RunSettings& settings, System& system, int code, std::ostream& err) {
    const std::string reportPath = system.Environment(kReportVariable);
    if (reportPath.empty()) return;
    settings.report.endTime = ReportTimeNow();
    settings.report.exitCode = code;
    WriteRunReport(settings.report, system, reportPath, err);
}

int RunWizard(const std::string& commandLine, Machine machine, FrontEnd& frontEnd, ValueRule rule,
              std::ostream& err, RunSettings& settings) {
    ModemRecords records;
    const PageServices services{machine.system, machine.clock,           machine.serial,
                                machine.ports,  machine.installedModems, records};
    const bool interactive = commandLine.empty();

    // A run that cannot show its wizard ends before any log exists.
    if (interactive && !frontEnd.Prepare(true)) return kNoDisplayExitCode;

    settings.newStyleWizard = NewStyleWizard(services.system);
    const bool ns = settings.newStyleWizard;
    auto welcome = std::make_unique<CWelcomeP>(settings, PageTable(PageKind::Welcome, ns), ns);
    auto port = std::make_unique<CCommP>(settings, services, PageTable(PageKind::Port, ns));
    auto search = std::make_unique<CConfigP>(settings, services, PageTable(PageKind::Search, ns));
    auto test = std::make_unique<CTestP>(settings, services, PageTable(PageKind::Test, ns));

    if (!interactive && !ParseCommandLine(commandLine, settings, services.system, rule)) {
        err << "usage: nubotest [/P:<port>] [/T:<number>] [/L:<log file>] [/NODIALTONE]\n"
               "exit codes:\n";
        for (const ExitCodeInfo& code : kExitCodes) {
            char value[16];
            std::snprintf(value, sizeof value, code.testBit ? "0x%02X" : "%d", code.value);
            err << "  " << value << std::string(6 - std::strlen(value), ' ') << code.meaning
                << (code.testBit ? " (OR-ed on top of 0)" : "") << "\n";
        }
        return exitcode::kNoOption;
    }
    if (!settings.log) {
        OpenDefaultLog(settings, services.system, err);
    } else if (!settings.log->IsOpen()) {
        err << "nubotest: cannot create the log " << settings.log->Path()
            << "; the run goes on without a log\n";
    }
    if (settings.log->IsOpen()) settings.report.logPath = settings.log->Path();

    const std::string rule56(56, '=');
    settings.Log(rule56);
    settings.Log("QAP - Nubo Modem Installationstest - LOGFILE");
    settings.Log(rule56);
    settings.Log("Startdate           : " + FormatDate(services.system.Now()));
    if (settings.automaticMode) {
        settings.Log("PRG-Mode            : Program start over the Command Line");
        settings.Log("                  \t\t-> Automatic mode ON.");
        settings.Log("Command Line        : " + commandLine);
    }

    std::vector<WizardPage*> pages;
    if (!interactive) {
        pages = {search.get(), test.get()};
        if (!frontEnd.Prepare(false)) {
            settings.exitCode = kNoDisplayExitCode;
            pages.clear();
        }
    } else {
        pages = {welcome.get(), port.get(), search.get(), test.get()};
    }
    if (!pages.empty() &&
        frontEnd.RunSheet(pages, settings, BesideProgram(services.system, ".HLP"))) {
        settings.Log("PRG-Message         : Program canceled by user !");
        settings.exitCode = exitcode::kCancelled;
    }

    const int code = settings.exitCode;
    if (PageWorker::Abandoned() > 0) {
        // A worker did not end after the cancel: it is blocked in the system
        // (an open that keeps looking for its device) and may wake at any
        // moment to use the pages, the records and the machine. None of them
        // may go away, so the run ends here, its log and its report written.
        WriteReport(settings, services.system, code, err);
        err.flush();
        std::_Exit(code);
    }
    settings.log.reset();
    return code;
}

}  // namespace

int RunProgram(const std::string& commandLine, Machine machine, FrontEnd& frontEnd, ValueRule rule,
               std::ostream& err) {
    RunSettings settings;
    settings.report.startTime = ReportTimeNow();
    settings.report.interactive = commandLine.empty();
    settings.report.commandLine = commandLine;
    // The pages and their workers are gone when the wizard returns, so the
    // report is complete and nobody writes it any more.
    const int code = RunWizard(commandLine, machine, frontEnd, rule, err, settings);
    WriteReport(settings, machine.system, code, err);
    return code;
}

}  // namespace nubo
