// The facts of a run that scripts read without scraping the log: filled by the
// layers that know them as they happen, written once at the end by start-up
// (app/ReportFile). Shared like the rest of RunSettings: one writer at a time,
// read only after every worker has ended.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/SerialDevice.h"

namespace nubo {

enum class PortOutcome : std::uint8_t {
    Answered,    // the detect command came back and an answer followed
    NoEcho,      // bytes came back, but not the command's echo
    Silent,      // opened, nothing came back at all
    OpenFailed,  // see PortAttempt::openFailure
};

struct PortAttempt {
    std::string name;
    PortOutcome outcome = PortOutcome::OpenFailed;
    PortFailure openFailure;  // why it did not open; kind None when it did
    bool identified = false;  // the modem was taken from this port
};

struct ReportedModem {
    std::string port;
    std::string model;
    std::string firmware;
    std::string section;  // the description's section used; empty: not described
    std::vector<std::string> defaultedKeys;
};

enum class Verdict : std::uint8_t { Passed, Failed, NotTested };

struct TestRecord {
    std::string name;                    // "TAPI", "RAM", "CRC", "DIAL", "DIAG"
    std::optional<std::string> command;  // none: nothing was sent
    std::optional<std::string> answer;
    Verdict verdict = Verdict::Passed;
    std::uint32_t durationMs = 0;
    std::int32_t exitBits = 0;  // what this test OR-ed into the exit code
};

struct RunReport {
    std::string startTime;  // ISO 8601 with the offset from UTC
    std::string endTime;
    bool interactive = false;
    std::string commandLine;
    std::optional<std::string> logPath;  // none: the run kept no log
    // The last search and the last test run (Back and Next repeat both).
    std::vector<PortAttempt> ports;
    std::optional<ReportedModem> modem;
    std::vector<TestRecord> tests;
    std::int32_t exitCode = 0;
};

}  // namespace nubo
