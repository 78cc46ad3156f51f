// The unattended scenarios with the Windows program under Wine: the
// emulator's pseudo-terminal mapped to COM5, the emulated model written to
// the registry as an installed modem, and the same golden logs as on Linux.
// Real users' set-ups run a scenario too: accounts with letters of their own
// whose program folder is not theirs to write, and a program folder with
// letters outside the ANSI code page. Wine commands run through the shell
// with their output in files: processes that Wine starts keep inherited pipes
// open for as long as its server lives.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>

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

// How a real user's machine differs from the suite's prefix. A row with a
// set-up leaves the log to the program: beside it, or in the account's own
// folder when the program folder is read-only.
struct UserSetUp {
    const char* name = "";
    const char* user = "";  // an account of its own: a prefix made for it
    const char* locale = "C";
    const char* folder = "";  // the program folder below the run's directory
    bool readOnly = false;    // the program folder and C:\users, as for a normal user
};

struct WineCase {
    GoldenCase scenario;
    UserSetUp setUp;
};

void PrintTo(const WineCase& c, std::ostream* os) {
    *os << c.scenario.name << c.setUp.name;
}

// As root, permissions do not stop writes: the run drops the right to ignore
// them, and so does its wineserver, which opens the files for it.
std::string AsNormalUser() {
    return "wineserver -k; wineserver -w; " +
           std::string(geteuid() == 0 ? "setpriv --bounding-set -dac_override,-dac_read_search "
                                      : "");
}

class WineRun : public ::testing::TestWithParam<WineCase> {
protected:
    // One 32-bit prefix for the whole run, and one for each account of a
    // set-up: making one takes seconds and half a gigabyte. Wine's null display: the pages need no pictures.
    static void SetUpTestSuite() {
        if (!fs::exists(NUBOTEST_WINE_EXE) || Shell("command -v wine", "/dev/null") != 0) return;
        prefix_ = new TempDir;
        setenv("WINEDEBUG", "-all", 1);
        unsetenv("LC_ALL");
        unsetenv("DISPLAY");
        Select(*prefix_, {});
        ready_ = Make(*prefix_);
        // Wine's code page follows LANG; the machine may have only C.
        setenv("LOCPATH", prefix_->File("locale").c_str(), 1);
        fs::create_directory(prefix_->File("locale"));
        for (const char* l : {"de_DE", "ru_RU"}) {
            Shell(std::string("localedef -i ") + l + " -f UTF-8 '" + prefix_->File("locale/") + l +
                      ".UTF-8'",
                  "/dev/null");
        }
    }
    // The prefix in dir, for the set-up's account and language. The account
    // is the one a prefix was made for: Wine keeps it.
    static void Select(const TempDir& dir, const UserSetUp& setUp) {
        setenv("WINEPREFIX", dir.File("wineprefix").c_str(), 1);
        setenv("LANG", setUp.locale, 1);
        setenv("USER", *setUp.user ? setUp.user : "nubo", 1);
        setenv("WINEUSERNAME", *setUp.user ? setUp.user : "nubo", 1);
    }
    static bool Make(const TempDir& dir) {
        return Shell(kWineSh + "prefix '" + dir.Path() +
                         "' && wine reg add 'HKCU\\Software\\Wine\\Drivers' /v Graphics /d null /f",
                     dir.File("prefix.out")) == 0;
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
    const GoldenCase& scenario = GetParam().scenario;
    const UserSetUp& setUp = GetParam().setUp;
    struct StopServer {
        ~StopServer() { Shell(kWineSh + "stop; wineserver -w", "/dev/null"); }
    };
    std::optional<TempDir> account;
    std::optional<StopServer> stopAccount;
    if (*setUp.user) {
        account.emplace();
        stopAccount.emplace();
        Select(*account, setUp);
        ASSERT_TRUE(Make(*account)) << ReadFile(account->File("prefix.out"));
    } else {
        Select(*prefix_, setUp);
    }
    std::vector<std::string> options = scenario.options;
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
    const std::string folder = *setUp.folder ? dir.File(setUp.folder) : dir.Path();
    fs::create_directories(folder);
    const fs::path exe(NUBOTEST_WINE_EXE);
    fs::copy_file(exe, folder + "/nubotest.exe");
    for (const char* ext : {".dat", ".HLP"}) {
        fs::path data = exe;
        if (fs::exists(data.replace_extension(ext)))
            fs::copy_file(data, folder + "/" + data.filename().string());
    }
    fs::copy_file(std::string(NUBO_SOURCE_DIR) + "/res/data/nubotest.ini",
                  folder + "/nubotest.ini");

    std::string log = dir.File("run.log");
    std::string logOption = " '/L:" + WindowsPath(log) + "'";
    std::string windowsLog = WindowsPath(log);
    const std::string users = std::string(getenv("WINEPREFIX")) + "/drive_c/users";
    if (*setUp.name) {
        logOption.clear();
        log = folder + "/nubotest.log";
        windowsLog = WindowsPath(log);
        if (setUp.readOnly) {
            log = users + "/" + setUp.user + "/AppData/Local/nubotest/nubotest.log";
            windowsLog = std::string("C:\\users\\") + setUp.user +
                         "\\AppData\\Local\\nubotest\\nubotest.log";
            chmod(folder.c_str(), 0555);
            chmod(users.c_str(), 0555);
        }
    }
    const int status = Shell((setUp.readOnly ? AsNormalUser() : "") + "env NUBOTEST_REPORT='" +
                                 WindowsPath(dir.File("report.json")) + "' timeout 120 wine '" +
                                 folder + "/nubotest.exe' /P:COM5 /T:0123" + logOption,
                             dir.File("wine.out"));
    chmod(folder.c_str(), 0755);
    chmod(users.c_str(), 0755);
    const std::string wineOut = ReadFile(dir.File("wine.out"));
    EXPECT_EQ(status, scenario.status & 0xff) << wineOut;
    const char* says = scenario.stderrHas;
    EXPECT_TRUE(!says || wineOut.find(says) != std::string::npos) << wineOut;
    if (setUp.readOnly) {
        EXPECT_NE(wineOut.find("; writing it to " + windowsLog + "\r\n"), std::string::npos)
            << wineOut;
    }
    CheckReport(dir.File("report.json"), ReadFile(log), status);
    EXPECT_EQ(nlohmann::json::parse(ReadFile(dir.File("report.json")))["log"], windowsLog);
    const std::string golden = std::string(NUBO_GOLDEN_DIR) + "/" + scenario.golden;
    std::string expected = ReadFile(golden);
    if (logOption.empty()) expected.erase(expected.find(" /L:<log>"), 9);
    EXPECT_EQ(Normalise(ReadFile(log), "COM5", windowsLog), expected) << "golden file " << golden;
}

// Cancels are sent on Linux only. The set-ups run the scenario of a modem that passes.
std::vector<WineCase> WineCases() {
    std::vector<WineCase> cases;
    for (const GoldenCase& c : GoldenCases()) {
        if (c.cancelAt == nullptr) cases.push_back({c, {}});
    }
    const GoldenCase passes = GoldenCases().front();
    cases.push_back({passes, {"AccountJuergen", "Jürgen", "de_DE.UTF-8", "app", true}});
    cases.push_back({passes, {"AccountYuri", "Юрий", "ru_RU.UTF-8", "app", true}});
    cases.push_back({passes, {"ProgramFolderPruefung", "", "de_DE.UTF-8", "Prüfung-проверка"}});
    return cases;
}

std::string WineCaseName(const ::testing::TestParamInfo<WineCase>& param) {
    return std::string(param.param.scenario.name) + param.param.setUp.name;
}

INSTANTIATE_TEST_SUITE_P(Wine, WineRun, ::testing::ValuesIn(WineCases()), WineCaseName);

}  // namespace
}  // namespace nubo::testing
