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
#include <thread>

#include "e2e/modemtests/Scenarios.h"
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

class UnattendedRun : public ::testing::Test {
protected:
    void SetUp() override {
        exe_ = CopyProgram(NUBOTEST_EXE, dir_.Path());
        // The sample description as it is in the tree, not as the last build copied it.
        std::filesystem::copy_file(std::string(NUBO_SOURCE_DIR) + "/res/data/nubotest.ini",
                                   exe_ + ".ini",
                                   std::filesystem::copy_options::overwrite_existing);
    }

    // Headless, in English, with the ModemManager stand-in's bus.
    static EnvChanges Env(const std::string& bus) {
        return {{"DISPLAY", std::nullopt},         {"WAYLAND_DISPLAY", std::nullopt},
                {"QT_QPA_PLATFORM", std::nullopt}, {"LANG", "C"},
                {"LC_ALL", std::nullopt},          {"DBUS_SYSTEM_BUS_ADDRESS", bus}};
    }

    // Runs nubotest /P:port /T:0123 /L:log and compares the log with the golden
    // file. With cancelAt, the run gets the signal once its log holds that text,
    // and stops within a second, also while the test call waits for the modem.
    void RunAndCompare(const GoldenCase& c, int signal = SIGINT) {
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
        const auto bound = std::chrono::seconds(5);  // a sanitizer slows every step
#else
        const auto bound = std::chrono::seconds(1);
#endif
        DemoBus bus(c.options);
        ASSERT_FALSE(bus.Device().empty());
        const std::string log = dir_.File("run.log");
        const std::string port = bus.Device();
        EnvChanges env = Env(bus.Bus());
        env["NUBOTEST_REPORT"] = dir_.File("report.json");
        Process run(exe_, {"/P:" + port, "/T:0123", "/L:" + log}, env);
        for (int i = 0;
             c.cancelAt && i < 600 && ReadFile(log).find(c.cancelAt) == std::string::npos; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        const auto signalled = std::chrono::steady_clock::now();
        if (c.cancelAt) run.Signal(signal);
        const ProcessResult r = run.Wait(std::chrono::seconds(120));
        EXPECT_TRUE(!c.cancelAt || std::chrono::steady_clock::now() - signalled < bound);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.status, c.status & 0xff) << r.err;
        EXPECT_TRUE(!c.stderrHas || r.err.find(c.stderrHas) != std::string::npos) << r.err;
        CheckReport(dir_.File("report.json"), ReadFile(log), r.status);

        const std::string actual = Normalise(ReadFile(log), port, log);
        const std::string goldenPath = std::string(NUBO_GOLDEN_DIR) + "/" + c.golden;
        if (std::getenv("NUBO_UPDATE_GOLDEN") != nullptr) {
            std::ofstream(goldenPath, std::ios::binary) << actual;
        }
        EXPECT_EQ(actual, ReadFile(goldenPath)) << "golden file " << goldenPath;
    }

    TempDir dir_;
    std::string exe_;
};

class GoldenLog : public UnattendedRun, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(GoldenLog, MatchesTheGoldenFile) {
    RunAndCompare(GetParam());
}

INSTANTIATE_TEST_SUITE_P(UnattendedRun, GoldenLog, ::testing::ValuesIn(GoldenCases()),
                         GoldenCaseName);

// SIGTERM cancels as SIGINT does in the golden cancel row, the cancel line last.
TEST_F(UnattendedRun, SigtermDuringTheTestCallCancelsAtOnce) {
    for (const GoldenCase& c : GoldenCases()) {
        if (c.cancelAt != nullptr) RunAndCompare(c, SIGTERM);
    }
}

TEST_F(UnattendedRun, ScanOfAllPortsFindsTheModemBehindASilentPort) {
    DemoBus bus({"--connect-delay=300"});
    ASSERT_FALSE(bus.Device().empty());
    Process silent(std::string(NUBO_TOOLS_DIR) + "/nubotest-modemsim", {"--silent"}, {});
    const std::string quiet = silent.ReadLine(std::chrono::seconds(10));
    ASSERT_FALSE(quiet.empty());

    // No "/P:": an unattended run without a port searches every listed port.
    const std::string log = dir_.File("scan.log");
    EnvChanges env = Env(bus.Bus());
    env["NUBOTEST_PORTS"] = "/dev/nubo-missing:" + quiet + ":" + bus.Device();
    env["NUBOTEST_REPORT"] = dir_.File("scan.json");
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
    EXPECT_TRUE(ports[2]["identified"]);  // CheckReport finds its modem in the log
    // The silent port is scanned first (a missing one finds npos and fails).
    const auto second = text.find("Automat. port scan  : " + bus.Device());
    EXPECT_NE(second, std::string::npos) << text;
    EXPECT_LT(text.find("Automat. port scan  : " + quiet), second) << text;
    EXPECT_NE(text.find("END OF THE MODEM TESTS"), std::string::npos);
}

}  // namespace
}  // namespace nubo::testing
