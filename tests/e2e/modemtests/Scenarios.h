// The unattended scenarios that the program runs against the emulated modem,
// one table for every platform: Linux runs them with the ModemManager
// stand-in, Windows under Wine with the modem written to the registry. The
// logs, normalised, must equal the golden files on both.
#pragma once
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace nubo::testing {

struct GoldenCase {
    const char* name;
    const char* golden;
    // Options of tools/modemsim/run-demo-bus.sh: the emulator's own, and
    // "--no-modem" when the model is not installed in the operating system.
    std::vector<std::string> options;
    int status;
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
        {"NoModem", "no-modem.log", {"--silent"}, -2}};
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

}  // namespace nubo::testing
