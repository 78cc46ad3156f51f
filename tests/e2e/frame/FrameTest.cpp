// The built program from the outside: exit codes, a log in a missing
// directory, headless runs and the language taken from the locale variables.
// Cancels by signal are the unattended runs' (SIGINT in the golden cancel row,
// SIGTERM during the test call).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "support/Process.h"
#include "wizard/Texts.h"

namespace nubo::testing {
namespace {

const EnvChanges kHeadless = {{"DISPLAY", std::nullopt},
                              {"WAYLAND_DISPLAY", std::nullopt},
                              {"QT_QPA_PLATFORM", std::nullopt},
                              {"LANG", "C"},
                              {"LC_ALL", std::nullopt}};

class Frame : public ::testing::Test {
protected:
    void SetUp() override { exe_ = CopyProgram(NUBOTEST_EXE, dir_.Path()); }
    ProcessResult Run(const std::vector<std::string>& args, EnvChanges env = kHeadless) {
        return RunProcess(exe_, args, env, std::chrono::seconds(30));
    }
    TempDir dir_;
    std::string exe_;
};

// Runs that end before any log or window: text without a value option (-4,
// usage), and the wizard without a display (-5).
TEST_F(Frame, EndsAtOnceWithoutALog) {
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"/NODIALTONE"}, 252}, {{"hello"}, 252}, {{"/Nodialtone", "/x:1"}, 252}, {{}, 251}};
    for (const auto& [args, status] : cases) {
        const ProcessResult r = Run(args);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.status, status) << args.size();
        EXPECT_NE(r.err.find(status == 252 ? "usage" : "no display"), std::string::npos);
        EXPECT_FALSE(FileExists(dir_.File("nubotest.log")));
    }
}

// The header, the date, the time prefixes and the line ends of an unattended
// run's log are pinned byte for byte by the golden runs of e2e_modemtests; an
// empty "/L:" taking the default path by the start-up tests.
TEST_F(Frame, LogInAMissingDirectoryIsNoLogAnywhere) {
    const std::string missing = dir_.File("gone/run.log");
    const ProcessResult r = Run({"/P:COM2", "/L:" + missing});
    EXPECT_EQ(r.status, 254);  // -2: there is no port COM2, so no modem
    EXPECT_FALSE(r.timedOut);
    EXPECT_FALSE(FileExists(missing));
    EXPECT_FALSE(FileExists(dir_.File("nubotest.log")));  // and no stand-in at the default path
}

// The language the environment names (which variable wins is the wizard
// walk's): a run against the emulated modem, whose section lacks the TAPI name,
// says so in a message box captioned in that language (on stderr without a
// screen), while the log stays English.
TEST_F(Frame, TheLocaleChoosesTheLanguageAndTheLogStaysEnglish) {
    std::ofstream(dir_.File("nubotest.ini"))
        << "[Common]\nModemDetectCmd=AT\nModemDetectAnsw=OK\nModemReadName=ATI3\n"
           "ModemReadFirmw=ATI4\n[NUBO 56K-PRO]\nRAMCheckCmd=AT&T7\nCRCCheckCmd=AT&T8\n";
    Process modem(MODEMSIM_EXE, {}, {});
    const std::string port = modem.ReadLine(std::chrono::seconds(5));
    ASSERT_FALSE(port.empty());
    EnvChanges env = kHeadless;
    env["LANG"] = "de_DE.UTF-8";
    env["LANGUAGE"] = env["LC_MESSAGES"] = std::nullopt;
    env["DBUS_SYSTEM_BUS_ADDRESS"] = "unix:path=" + dir_.File("no-bus");
    const std::string log = dir_.File("run.log");
    const ProcessResult r = Run({"/P:" + port, "/L:" + log}, env);
    ASSERT_FALSE(r.timedOut);
    EXPECT_NE(
        r.err.find(texts::Text("de", 1) + ": NUBO 56K-PRO : No TapiModemName for this section !"),
        std::string::npos)
        << r.err;
    const std::string text = ReadFile(log);  // its lines are the golden runs'
    EXPECT_TRUE(!text.empty() && std::all_of(text.begin(), text.end(), [](char ch) {
        return static_cast<unsigned char>(ch) < 0x80;
    })) << text;
    // The caption told apart above really is not the English one.
    EXPECT_NE(texts::Text("de", 1), texts::Text("en-US", 1));
}

}  // namespace
}  // namespace nubo::testing
