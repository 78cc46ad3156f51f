// The one record of a run, shared by start-up, the pages and the workers.
// The wizard offers only Back while a worker runs, so each field has one writer
// at a time; exitCode is atomic because the UI thread may read it (Cancel)
// while a worker writes it.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "run/ExitCodes.h"
#include "run/LogFile.h"
#include "run/RunReport.h"

namespace nubo {

struct RunSettings {
    bool automaticMode = false;
    std::string port;
    std::string phoneNumber;
    bool noDialTone = false;
    bool searchAllPorts = true;
    bool newStyleWizard = false;
    std::atomic<std::int32_t> exitCode{0};
    std::unique_ptr<CLogFile> log;
    RunReport report;
    // Set by start-up when the default log could not be created beside the
    // program and went to the user's own folder; the wizard shows it at the end.
    std::string movedLogPath;

    void Log(const std::string& text) {
        if (log) log->WriteLine(text);
    }
};

}  // namespace nubo
