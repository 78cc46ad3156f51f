// The emulated modem on a simulated line in virtual time, a run's records with
// a real log file, and recorders for the calls the tests make on the page.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "modemtests/ModemTests.h"
#include "run/RunSettings.h"
#include "support/ModemProfiles.h"

namespace nubo::test {

using Lines = std::vector<std::string>;

using nubo::testing::Profile;

// The current 56K-PRO as the sample description gives it, in the fields' order.
inline ModemCommandSet SampleCommands() {
    return {"NUBO 56K-PRO", "AT&T8",   "CRC OK", "AT&T7", "ERROR", "ATDT",
            "ATX3DT",       "CONNECT", "14400",  "AT&V1", "OK"};
}

class RecordingRows : public TestRows {
public:
    Lines calls;
    void SetActive(int row, bool on) override {
        calls.push_back("active " + std::to_string(row) + (on ? " on" : " off"));
    }
    void SetResult(int row, bool passed, bool failed) override {
        calls.push_back("result " + std::to_string(row) + (passed ? " passed" : "") +
                        (failed ? " failed" : ""));
    }
};

struct ModemRig : testing::SimulatedModem {
    explicit ModemRig(modemsim::ModemProfile profile = {}) : SimulatedModem(std::move(profile)) {
        settings.log = std::make_unique<CLogFile>(system, dir.File("run.log"));
        settings.port = "COM1";
    }

    TestLine Line() { return TestLine{driver, clock, nullptr, &cancel}; }
    ModemTestContext Context() {
        return ModemTestContext{settings, commands, Line(), {system, nullptr, &installed}};
    }
    void Run(TestRows* rows = nullptr) {
        ModemTestContext context = Context();
        RunModemTests(context, rows);
    }
    // The log as written: every line with the fixed time of the fake system.
    std::string Log() { return testing::ReadFile(dir.File("run.log")); }
    // What the log holds for these lines; a line's own line feeds become CR LF
    // there, as the log writes them.
    static std::string Block(const Lines& lines) {
        std::string text;
        for (const std::string& line : lines) {
            text += "09:05:41 - ";
            for (char c : line) {
                if (c == '\n') text += '\r';
                text += c;
            }
            text += "\r\n";
        }
        return text;
    }

    RunSettings settings;
    ModemCommandSet commands = SampleCommands();
    CancelToken cancel;
};

}  // namespace nubo::test
