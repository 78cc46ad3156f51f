// The unattended scenarios that the program runs against the emulated modem,
// one table for every platform: Linux runs them with the ModemManager
// stand-in, Windows under Wine with the modem written to the registry. The
// logs, normalised, must equal the golden files on both, and each run's JSON
// report must fit the schema and agree with its log.
#pragma once
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "support/Process.h"

namespace nubo::testing {

struct GoldenCase {
    const char* name;
    const char* golden;
    // Options of tools/modemsim/run-demo-bus.sh: the emulator's own, and
    // "--no-modem" when the model is not installed in the operating system.
    std::vector<std::string> options;
    int status;
    const char* cancelAt = nullptr;  // SIGTERM once the log holds this (Linux only)
    const char* stderrHas = nullptr;  // a text the run's stderr must hold
};

// "No modem": the port opens, but nothing answers on it.
inline const std::vector<GoldenCase>& GoldenCases() {
    static const std::vector<GoldenCase> cases = {
        {"EveryTestPasses", "every-test-passes.log", {"--connect-delay=500"}, 0},
        {"ModemThatIsNotInstalled", "not-installed.log", {"--connect-delay=500", "--no-modem"}, 1},
        {"OnlyTheDiagnosticFails",
         "only-diag-fails.log",
         {"--connect-delay=500", "--result.AT&V1=ERROR"},
         22},
        {"CallFailsWithADiagnosticCommandSet",
         "dial-fails.log",
         {"--connect-delay=500", "--dial=no-carrier"},
         0x08},
        {"ModemThatIsNotDescribed", "not-described.log", {"--name=NUBO 28K8"}, -3},
        {"NoModem", "no-modem.log", {"--silent"}, -2},
        // Nobody sees a window: the box goes to stderr and the run goes on.
        {"SectionWithoutTelephonyName",
         "no-telephony-name.log",
         {"--connect-delay=500", "--name=NUBO ISDN-TA"},
         0x09,  // no telephony name to find; 33600 bit/s is below the line's 64000
         nullptr,
         "NUBO ISDN-TA : No TapiModemName for this section !"},
        {"CancelledDuringTheTestCall",
         "cancelled.log",
         {"--connect-delay=30000"},
         -5,
         "======================  DIAL TEST"}};
    return cases;
}

inline void PrintTo(const GoldenCase& c, std::ostream* os) {
    *os << c.name;
}

inline std::string GoldenCaseName(const ::testing::TestParamInfo<GoldenCase>& param) {
    return param.param.name;
}

// The log with its time stamps, the run's own paths and the date taken out,
// and every CR that is not part of a line end shown as "\r".
inline std::string Normalise(std::string log, const std::string& port, const std::string& logPath) {
    log = std::regex_replace(log, std::regex("(^|\n)[0-9]{2}:[0-9]{2}:[0-9]{2} - "), "$1");
    log = std::regex_replace(log, std::regex("(Startdate +: )[0-9]{2}\\.[0-9]{2}\\.[0-9]{4}"),
                             "$1<date>");
    auto replaceAll = [&](const std::string& from, const std::string& to) {
        if (from.empty()) return;
        for (auto at = log.find(from); at != std::string::npos;
             at = log.find(from, at + to.size())) {
            log.replace(at, from.size(), to);
        }
    };
    replaceAll(logPath, "<log>");
    replaceAll(port, "<port>");
    replaceAll("\r\n", "\n");
    replaceAll("\r", "\\r");
    return log;
}

// Counts the lines of log that begin with prefix.
inline int CountLines(const std::string& log, const std::string& prefix) {
    int n = 0;
    for (const std::string& line : LogLinesWithoutTime(log)) n += line.rfind(prefix, 0) == 0;
    return n;
}

// The run report of the same run: valid against the schema, and telling what
// the log and the exit status tell.
inline void CheckReport(const std::string& path, const std::string& log, int status) {
    const ProcessResult valid = RunProcess(
        NUBO_PYTHON,
        {"-c",
         "import json, sys, jsonschema\n"
         "jsonschema.validate(json.load(open(sys.argv[1])), json.load(open(sys.argv[2])))",
         path, std::string(NUBO_SOURCE_DIR) + "/res/report.schema.json"});
    EXPECT_EQ(valid.status, 0) << valid.err;
    const auto r = nlohmann::json::parse(ReadFile(path));
    const int code = r["exit"]["code"];
    EXPECT_EQ(code & 0xff, status);
    EXPECT_NE(log.find("Command Line        : " + r["commandLine"].get<std::string>()),
              std::string::npos);
    // The log writes every line feed as CR LF.
    auto inLog = [&](const std::string& prefix, const std::string& text) {
        return log.find(std::regex_replace(prefix + text, std::regex("\n"), "\r\n")) !=
               std::string::npos;
    };
    // A cancel leaves the port under way out of the report, not out of the log.
    if (code != -5) {
        EXPECT_EQ(r["ports"].size(), CountLines(log, "Scanning Port       : ") +
                                         CountLines(log, "Automat. port scan  : "));
    }
    if (!r["modem"].is_null()) {
        const auto& m = r["modem"];
        EXPECT_TRUE(inLog("Detected modem      : ", m["model"].get<std::string>() + " (" +
                                                        m["port"].get<std::string>() + ")"));
        EXPECT_EQ(m["section"].is_null(), !inLog("", "Search modem .INI   : Modem found."));
        EXPECT_EQ(m["defaultedKeys"].size(), CountLines(log, "ModemCmds & Answers : "));
    }
    EXPECT_EQ(r["tests"].size(), CountLines(log, "Result of "));
    int bits = 0;
    for (const auto& t : r["tests"]) {
        const std::string name = t["name"];
        const auto result = log.find("Result of " + name + "-Test");
        ASSERT_NE(result, std::string::npos) << name;
        // Only a failure's result line says "not".
        const bool saysNot =
            log.substr(result, log.find('\r', result) - result).find(" not ") != std::string::npos;
        EXPECT_EQ(t["verdict"] == "passed", !saysNot) << name;
        if (!t["command"].is_null()) {
            EXPECT_TRUE(inLog("Command send to the modem for this test : ", t["command"])) << name;
            EXPECT_TRUE(inLog("Answ. for this test : ", t["answer"])) << name;
        }
        bits |= t["exitBits"].get<int>();
    }
    if (code >= 0 && !r["tests"].empty()) {
        EXPECT_EQ(bits, code);
    }
}

}  // namespace nubo::testing
