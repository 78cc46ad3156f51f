// The unattended scenarios with the Windows program under Wine: the
// emulator's pseudo-terminal mapped to COM5, the emulated model written to
// the registry as an installed modem, and the same golden logs as on Linux.
// Wine commands run through the shell with their output in files: processes
// that Wine starts keep inherited pipes open for as long as its server lives.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "e2e/modemtests/Scenarios.h"
#include "support/Process.h"

namespace nubo::testing {
namespace {

namespace fs = std::filesystem;

// Runs a shell command line with Wine's output in `output`; its exit status.
int Shell(const std::string& command, const std::string& output) {
    const int status = std::system((command + " </dev/null >'" + output + "' 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string WindowsPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

const std::string kWineSh = "bash " NUBO_SOURCE_DIR "/scripts/wine.sh ";
const std::string kModemKey =
    "'HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}"
    "\\0000'";

class WineRun : public ::testing::TestWithParam<GoldenCase> {
protected:
    // One 32-bit prefix for the whole run: making one takes seconds and
    // half a gigabyte. Wine's null display: the pages need no pictures.
    static void SetUpTestSuite() {
        if (!fs::exists(NUBOTEST_WINE_EXE) || Shell("command -v wine", "/dev/null") != 0) return;
        prefix_ = new TempDir;
        setenv("WINEPREFIX", prefix_->File("wineprefix").c_str(), 1);
        setenv("WINEDEBUG", "-all", 1);
        setenv("LANG", "C", 1);
        unsetenv("LC_ALL");
        unsetenv("DISPLAY");
        ready_ =
            Shell(kWineSh + "prefix '" + prefix_->Path() +
                      "' && wine reg add 'HKCU\\Software\\Wine\\Drivers' /v Graphics /d null /f",
                  prefix_->File("prefix.out")) == 0;
    }
    static void TearDownTestSuite() {
        if (prefix_ == nullptr) return;
        Shell(kWineSh + "stop; wineserver -w", "/dev/null");
        delete prefix_;
        prefix_ = nullptr;
    }

    // Installs the model (or none) and maps COM5 to the emulator's terminal;
    // the mapping restarts the server.
    static void Configure(const std::string& device, const std::string& model) {
        const std::string modem =
            model.empty() ? "(wine reg delete " + kModemKey + " /f || true)"
                          : "wine reg add " + kModemKey + " /v Model /d '" + model + "' /f";
        ASSERT_EQ(Shell(modem + " && " + kWineSh + "map-ports COM5=" + device,
                        prefix_->File("configure.out")),
                  0)
            << ReadFile(prefix_->File("configure.out"));
    }

    static bool ready_;
    static TempDir* prefix_;
};
TempDir* WineRun::prefix_ = nullptr;
bool WineRun::ready_ = false;

TEST_P(WineRun, MatchesTheGoldenFile) {
    if (prefix_ == nullptr) GTEST_SKIP() << "no wine or no " << NUBOTEST_WINE_EXE;
    ASSERT_TRUE(ready_) << ReadFile(prefix_->File("prefix.out"));
    std::vector<std::string> options = GetParam().options;
    const bool installed = std::erase(options, "--no-modem") == 0;
    const std::string sim = std::string(NUBO_TOOLS_DIR) + "/nubotest-modemsim";
    options.push_back("--print-name");
    const std::string model = installed ? RunProcess(sim, options).out : "";
    options.pop_back();
    Process emulator(sim, options, {});
    const std::string device = emulator.ReadLine(std::chrono::seconds(10));
    ASSERT_FALSE(device.empty());
    Configure(device, model.substr(0, model.find('\n')));

    TempDir dir;
    const fs::path exe(NUBOTEST_WINE_EXE);
    fs::copy_file(exe, dir.File("nubotest.exe"));
    for (const char* ext : {".dat", ".HLP"}) {
        fs::path data = exe;
        if (fs::exists(data.replace_extension(ext)))
            fs::copy_file(data, dir.File(data.filename().string()));
    }
    fs::copy_file(std::string(NUBO_SOURCE_DIR) + "/res/data/nubotest.ini",
                  dir.File("nubotest.ini"));

    const std::string log = WindowsPath(dir.File("run.log"));
    const int status =
        Shell("NUBOTEST_REPORT='" + WindowsPath(dir.File("report.json")) + "' timeout 120 wine '" +
                  dir.File("nubotest.exe") + "' /P:COM5 /T:0123 '/L:" + log + "'",
              dir.File("wine.out"));
    const std::string output = ReadFile(dir.File("wine.out"));
    EXPECT_EQ(status, GetParam().status & 0xff) << output;
    const char* says = GetParam().stderrHas;
    EXPECT_TRUE(!says || output.find(says) != std::string::npos) << output;
    CheckReport(dir.File("report.json"), ReadFile(dir.File("run.log")), status);
    const std::string golden = std::string(NUBO_GOLDEN_DIR) + "/" + GetParam().golden;
    EXPECT_EQ(Normalise(ReadFile(dir.File("run.log")), "COM5", log), ReadFile(golden))
        << "golden file " << golden;
}

// Cancels are sent on Linux only.
std::vector<GoldenCase> WineCases() {
    std::vector<GoldenCase> cases = GoldenCases();
    std::erase_if(cases, [](const GoldenCase& c) { return c.cancelAt != nullptr; });
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Wine, WineRun, ::testing::ValuesIn(WineCases()), GoldenCaseName);

}  // namespace
}  // namespace nubo::testing
