// The built program from the outside: exit codes, the log header byte for
// byte, the default and the "/L:" log paths, headless runs, a cancel, and the
// language taken from the locale variables.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <fstream>
#include <thread>

#include "platform/Texts.h"
#include "support/Process.h"

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

TEST_F(Frame, TextWithoutValueOptionEndsWithMinusFourAndNoLog) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"/NODIALTONE"}, {"hello"}, {"/Nodialtone", "/x:1"}}) {
        const ProcessResult r = Run(args);
        EXPECT_EQ(r.status, 252) << args[0];  // -4 in the low eight bits
        EXPECT_NE(r.err.find("usage"), std::string::npos);
        EXPECT_FALSE(FileExists(dir_.File("nubotest.log")));
    }
}

TEST_F(Frame, AutomaticRunWritesTheSevenHeaderLines) {
    const std::string log = dir_.File("run.log");
    const ProcessResult r = Run({"/P:COM2", "/L:" + log});
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.status, 254);  // -2: there is no port COM2, so no modem
    const std::string text = ReadFile(log);
    const std::vector<std::string> lines = LogLinesWithoutTime(text);
    const std::string eq(56, '=');
    ASSERT_GE(lines.size(), 7u) << text;
    const std::vector<std::string> expected = {
        eq + "\r",
        "QAP - Nubo Modem Installationstest - LOGFILE\r",
        eq + "\r",
        "Startdate           : ",  // the date follows
        "PRG-Mode            : Program start over the Command Line\r",
        "                  \t\t-> Automatic mode ON.\r",
        "Command Line        : /P:COM2 /L:" + log + "\r",
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(lines[i].substr(0, expected[i].size()), expected[i]) << i;
    }
    EXPECT_EQ(lines[3].size(), 22u + 10u + 1u);
    // Every line carries the time prefix and ends with CR LF.
    EXPECT_EQ(text.substr(2, 1) + text.substr(5, 1) + text.substr(8, 3), "::" + std::string(" - "));
    EXPECT_FALSE(FileExists(dir_.File("nubotest.log")));
}

TEST_F(Frame, LogPathOptionsDefaultAndMissingDirectory) {
    EXPECT_EQ(Run({"/L:", "/P:COM2"}).status, 254);
    EXPECT_NE(ReadFile(dir_.File("nubotest.log")).find("Command Line        : /L: /P:COM2\r\n"),
              std::string::npos);

    const std::string missing = dir_.File("gone/run.log");
    const ProcessResult r = Run({"/P:COM2", "/L:" + missing});
    EXPECT_EQ(r.status, 254);
    EXPECT_FALSE(r.timedOut);
    EXPECT_FALSE(FileExists(missing));
}

TEST_F(Frame, InteractiveRunWithoutDisplayEndsAtOnce) {
    const ProcessResult r = Run({});
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.status, 251);
    EXPECT_NE(r.err.find("no display"), std::string::npos);
    EXPECT_FALSE(FileExists(dir_.File("nubotest.log")));
}

TEST_F(Frame, CancelWritesTheCancelLineLastAndEndsWithMinusFive) {
    EnvChanges env = kHeadless;
    env["QT_QPA_PLATFORM"] = "offscreen";
    Process p(exe_, {}, env);
    const std::string log = dir_.File("nubotest.log");
    for (int i = 0; i < 300 && ReadFile(log).find("Startdate") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    p.Signal(SIGINT);
    const ProcessResult r = p.Wait(std::chrono::seconds(20));
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.status, 251);
    const std::vector<std::string> lines = LogLinesWithoutTime(ReadFile(log));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines.back(), "PRG-Message         : Program canceled by user !\r");
}

// LC_ALL, LC_MESSAGES and LANG choose the language, the first one set winning:
// a run against the emulated modem, whose section lacks the TAPI name, says so
// in a message box captioned in that language (on stderr without a screen),
// while the log stays English.
TEST_F(Frame, TheFirstLocaleVariableSetChoosesTheLanguageAndTheLogStaysEnglish) {
    std::ofstream(dir_.File("nubotest.ini"))
        << "[Common]\nModemDetectCmd=AT\nModemDetectAnsw=OK\nModemReadName=ATI3\n"
           "ModemReadFirmw=ATI4\n[NUBO 56K-PRO]\nRAMCheckCmd=AT&T7\nCRCCheckCmd=AT&T8\n";
    Process modem(MODEMSIM_EXE, {}, {});
    const std::string port = modem.ReadLine(std::chrono::seconds(5));
    ASSERT_FALSE(port.empty());
    struct Case {
        std::optional<std::string> lcAll, lcMessages, lang;
        const char* catalog;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, "de_DE.UTF-8", "de"},
        {"ru_RU.UTF-8", std::nullopt, "de_DE.UTF-8", "ru"},
        {std::nullopt, "de_DE.UTF-8", "ru_RU.UTF-8", "de"},
        {"C", "ru_RU.UTF-8", "de_DE.UTF-8", "en-US"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.catalog);
        EnvChanges env = kHeadless;
        env.insert_or_assign("LC_ALL", c.lcAll);
        env.insert_or_assign("LC_MESSAGES", c.lcMessages);
        env.insert_or_assign("LANG", c.lang);
        env.insert_or_assign("LANGUAGE", std::nullopt);
        env.insert_or_assign("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + dir_.File("no-bus"));
        const std::string log = dir_.File("run.log");
        const ProcessResult r = Run({"/P:" + port, "/L:" + log}, env);
        ASSERT_FALSE(r.timedOut);
        const std::string caption = texts::Text(c.catalog, 1);
        EXPECT_NE(r.err.find(caption + ": NUBO 56K-PRO : No TapiModemName for this section !"),
                  std::string::npos)
            << r.err;
        const std::string text = ReadFile(log);
        EXPECT_NE(text.find("Detected modem      : NUBO 56K-PRO (" + port + ")"), std::string::npos)
            << text;
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char ch) {
            return static_cast<unsigned char>(ch) < 0x80;
        })) << text;
    }
    // The captions told apart above really differ.
    EXPECT_NE(texts::Text("de", 1), texts::Text("en-US", 1));
    EXPECT_NE(texts::Text("ru", 1), texts::Text("de", 1));
}

}  // namespace
}  // namespace nubo::testing
