// Whole unattended runs: the built program finds the emulated modem on a
// pseudo-terminal, tests it and reports through the log and the exit status.
// The logs, without time stamps, must equal the golden files; run with
// NUBO_UPDATE_GOLDEN=1 to write the files anew (and read the diff). Every run
// also leaves its JSON report, which must fit the schema and tell what the log
// and the exit status of the same run tell.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <regex>
#include <thread>

#include "support/Process.h"

namespace nubo::testing {
namespace {

// The emulator and the ModemManager stand-in on a private bus, as the demo
// runs them; stopped with SIGTERM when the test ends.
class DemoBus {
public:
    explicit DemoBus(const std::vector<std::string>& emulatorOptions) {
        std::vector<std::string> args = {"--bin", NUBO_TOOLS_DIR, "--state", state_.Path()};
        args.insert(args.end(), emulatorOptions.begin(), emulatorOptions.end());
        script_ = std::make_unique<Process>(NUBO_DEMO_BUS, args, EnvChanges{});
        for (int i = 0; i < 200 && !FileExists(state_.File("ready")); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        device_ = FirstLine(state_.File("device"));
        bus_ = FirstLine(state_.File("bus"));
    }
    ~DemoBus() {
        script_->Signal(SIGTERM);
        const ProcessResult r = script_->Wait(std::chrono::seconds(10));
        EXPECT_EQ(r.status, 0) << r.err;
    }
    const std::string& Device() const { return device_; }
    const std::string& Bus() const { return bus_; }

private:
    static std::string FirstLine(const std::string& path) {
        const std::string text = ReadFile(path);
        return text.substr(0, text.find('\n'));
    }
    TempDir state_;
    std::unique_ptr<Process> script_;
    std::string device_;
    std::string bus_;
};

// The log with its time stamps, the run's own paths and the date taken out,
// and every CR that is not part of a line end shown as "\r".
std::string Normalise(std::string log, const std::string& port, const std::string& logPath) {
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
int CountLines(const std::string& log, const std::string& prefix) {
    int n = 0;
    for (const std::string& line : LogLinesWithoutTime(log)) n += line.rfind(prefix, 0) == 0;
    return n;
}

void CheckReport(const std::string& path, const std::string& log, int status) {
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

class UnattendedRun : public ::testing::Test {
protected:
    void SetUp() override {
        exe_ = CopyProgram(NUBOTEST_EXE, dir_.Path());
        // The sample description as it is in the tree, not as the last build copied it.
        std::filesystem::copy_file(std::string(NUBO_SOURCE_DIR) + "/res/data/nubotest.ini",
                                   exe_ + ".ini",
                                   std::filesystem::copy_options::overwrite_existing);
    }

    // Runs nubotest /P:port [/T:number] /L:log and compares the log with the
    // golden file. With cancelAt, the run is stopped once its log holds that text.
    void RunAndCompare(const std::string& golden, const std::string& port, const std::string& bus,
                       const std::string& number, int expectedStatus,
                       const char* cancelAt = nullptr) {
        const std::string log = dir_.File("run.log");
        std::vector<std::string> args = {"/P:" + port};
        if (!number.empty()) args.push_back("/T:" + number);
        args.push_back("/L:" + log);
        EnvChanges env = {{"DISPLAY", std::nullopt},         {"WAYLAND_DISPLAY", std::nullopt},
                          {"QT_QPA_PLATFORM", std::nullopt}, {"LANG", "C"},
                          {"LC_ALL", std::nullopt},          {"DBUS_SYSTEM_BUS_ADDRESS", bus}};
        env["NUBOTEST_REPORT"] = dir_.File("report.json");
        Process run(exe_, args, env);
        for (int i = 0; cancelAt && i < 600 && ReadFile(log).find(cancelAt) == std::string::npos;
             ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (cancelAt) run.Signal(SIGTERM);
        const ProcessResult r = run.Wait(std::chrono::seconds(120));
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.status, expectedStatus & 0xff) << r.err;
        CheckReport(dir_.File("report.json"), ReadFile(log), r.status);

        const std::string actual = Normalise(ReadFile(log), port, log);
        const std::string goldenPath = std::string(NUBO_GOLDEN_DIR) + "/" + golden;
        if (std::getenv("NUBO_UPDATE_GOLDEN") != nullptr) {
            std::ofstream(goldenPath, std::ios::binary) << actual;
        }
        EXPECT_EQ(actual, ReadFile(goldenPath)) << "golden file " << goldenPath;
    }

    TempDir dir_;
    std::string exe_;
};

struct GoldenCase {
    const char* name;
    const char* golden;
    std::vector<std::string> emulatorOptions;
    int status;
    const char* cancelAt = nullptr;
};

class GoldenLog : public UnattendedRun, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(GoldenLog, MatchesTheGoldenFile) {
    DemoBus bus(GetParam().emulatorOptions);
    ASSERT_FALSE(bus.Device().empty());
    RunAndCompare(GetParam().golden, bus.Device(), bus.Bus(), "0123", GetParam().status,
                  GetParam().cancelAt);
}

// "No modem": the port opens, but nothing answers on it.
INSTANTIATE_TEST_SUITE_P(
    UnattendedRun, GoldenLog,
    ::testing::Values(
        GoldenCase{"EveryTestPasses", "every-test-passes.log", {"--connect-delay=500"}, 0},
        GoldenCase{"OnlyTheDiagnosticFails",
                   "only-diag-fails.log",
                   {"--connect-delay=500", "--result.AT&V1=ERROR"},
                   22},
        GoldenCase{"CallFailsWithADiagnosticCommandSet",
                   "dial-fails.log",
                   {"--connect-delay=500", "--dial=no-carrier"},
                   0x08},
        GoldenCase{"ModemThatIsNotDescribed", "not-described.log", {"--name=NUBO 28K8"}, -3},
        GoldenCase{"NoModem", "no-modem.log", {"--silent"}, -2},
        GoldenCase{"Cancelled", "cancelled.log", {"--silent"}, -5, "Scanning Port"}),
    [](const ::testing::TestParamInfo<GoldenCase>& param) { return param.param.name; });

TEST_F(UnattendedRun, ScanOfAllPortsFindsTheModemBehindASilentPort) {
    DemoBus bus({"--connect-delay=300"});
    ASSERT_FALSE(bus.Device().empty());
    Process silent(std::string(NUBO_TOOLS_DIR) + "/nubotest-modemsim", {"--silent"}, {});
    const std::string quiet = silent.ReadLine(std::chrono::seconds(10));
    ASSERT_FALSE(quiet.empty());

    // No "/P:": an unattended run without a port searches every listed port.
    const std::string log = dir_.File("scan.log");
    EnvChanges env = {{"DISPLAY", std::nullopt},
                      {"WAYLAND_DISPLAY", std::nullopt},
                      {"LANG", "C"},
                      {"DBUS_SYSTEM_BUS_ADDRESS", bus.Bus()},
                      {"NUBOTEST_PORTS", "/dev/nubo-missing:" + quiet + ":" + bus.Device()},
                      {"NUBOTEST_REPORT", dir_.File("scan.json")}};
    const ProcessResult r =
        RunProcess(exe_, {"/T:0123", "/L:" + log}, env, std::chrono::seconds(120));
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string text = ReadFile(log);
    CheckReport(dir_.File("scan.json"), text, r.status);
    const auto ports = nlohmann::json::parse(ReadFile(dir_.File("scan.json")))["ports"];
    ASSERT_EQ(ports.size(), 3U);
    EXPECT_EQ(ports[0]["openFailure"], "missing");
    EXPECT_EQ(ports[1]["outcome"], "silent");
    EXPECT_EQ(ports[2]["outcome"], "answered");
    EXPECT_TRUE(ports[2]["identified"]);
    const auto first = text.find("Automat. port scan  : " + quiet);
    const auto second = text.find("Automat. port scan  : " + bus.Device());
    EXPECT_NE(first, std::string::npos) << text;
    EXPECT_NE(second, std::string::npos) << text;
    EXPECT_LT(first, second);
    EXPECT_NE(text.find("Detected modem      : NUBO 56K-PRO (" + bus.Device() + ")"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("END OF THE MODEM TESTS"), std::string::npos);
}

}  // namespace
}  // namespace nubo::testing
