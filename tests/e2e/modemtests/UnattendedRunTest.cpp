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

    // Runs nubotest /P:port [/T:number] /L:log and compares the log with the
    // golden file. With cancelAt, the run is interrupted once its log holds that text.
    void RunAndCompare(const std::string& golden, const std::string& port, const std::string& bus,
                       const std::string& number, int expectedStatus,
                       const char* cancelAt = nullptr) {
        const std::string log = dir_.File("run.log");
        std::vector<std::string> args = {"/P:" + port};
        if (!number.empty()) args.push_back("/T:" + number);
        args.push_back("/L:" + log);
        EnvChanges env = Env(bus);
        env["NUBOTEST_REPORT"] = dir_.File("report.json");
        Process run(exe_, args, env);
        for (int i = 0; cancelAt && i < 600 && ReadFile(log).find(cancelAt) == std::string::npos;
             ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (cancelAt) run.Signal(SIGINT);  // SIGTERM has a test of its own below
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

class GoldenLog : public UnattendedRun, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(GoldenLog, MatchesTheGoldenFile) {
    DemoBus bus(GetParam().options);
    ASSERT_FALSE(bus.Device().empty());
    RunAndCompare(GetParam().golden, bus.Device(), bus.Bus(), "0123", GetParam().status,
                  GetParam().cancelAt);
}

INSTANTIATE_TEST_SUITE_P(UnattendedRun, GoldenLog, ::testing::ValuesIn(GoldenCases()),
                         GoldenCaseName);

// SIGTERM cancels like the Cancel button, also while the test call waits for
// the modem: the run stops within a second, the cancel line last.
TEST_F(UnattendedRun, SigtermDuringTheTestCallCancelsAtOnce) {
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
    const auto bound = std::chrono::seconds(5);  // a sanitizer slows every step
#else
    const auto bound = std::chrono::seconds(1);
#endif
    DemoBus bus({"--connect-delay=30000"});
    ASSERT_FALSE(bus.Device().empty());
    const std::string log = dir_.File("run.log");
    Process run(exe_, {"/P:" + bus.Device(), "/T:0123", "/L:" + log}, Env(bus.Bus()));
    for (int i = 0; i < 600 && ReadFile(log).find("DIAL TEST") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_NE(ReadFile(log).find("DIAL TEST"), std::string::npos) << ReadFile(log);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // into the wait
    const auto signalled = std::chrono::steady_clock::now();
    run.Signal(SIGTERM);
    const ProcessResult r = run.Wait(std::chrono::seconds(20));
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, bound);
    EXPECT_EQ(r.status, -5 & 0xff) << r.err;
    const std::string text = ReadFile(log);
    EXPECT_EQ(LogLinesWithoutTime(text).back(),
              "PRG-Message         : Program canceled by user !\r");
    EXPECT_EQ(text.find("END OF THE MODEM TESTS"), std::string::npos);
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
