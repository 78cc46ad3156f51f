// Command-line grammar, wizard style test and start-up order, without a GUI.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/CommandLine.h"
#include "app/Startup.h"
#include "app/WizardStyle.h"
#include "platform/PortSource.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeInstalledModems.h"
#include "platform/fake/FakeSerial.h"
#include "platform/fake/FakeSystem.h"
#include "support/Process.h"

namespace nubo {
namespace {

namespace fs = std::filesystem;

struct Parsed {
    bool found;
    std::string port, phone;
    bool noDialTone, automatic, allPorts, logOpened;
};

Parsed Parse(const std::string& line, ValueRule rule = ValueRule::AnySlash) {
    FakeSystem system;
    RunSettings s;
    const bool found = ParseCommandLine(line, s, system, rule);
    return {found,           s.port,           s.phoneNumber,   s.noDialTone,
            s.automaticMode, s.searchAllPorts, s.log != nullptr};
}

TEST(CommandLine, OptionsValuesAndTheirEnds) {
    struct Case {
        const char* line;
        ValueRule rule;
        bool found;
        const char* port;
        const char* phone;
        bool noDialTone;
        bool log = false;  // only a non-empty path opens one, even one that fails
    };
    const Case cases[] = {
        {"/P:COM2 /L:/x /NODIALTONE", ValueRule::AnySlash, true, "COM2", "", true},
        {"/P:COM2/T:0123", ValueRule::AnySlash, true, "COM2", "0123", false},
        {"/p:COM4 /nodialtone", ValueRule::AnySlash, true, "COM4", "", true},
        {"/p:COM4 /Nodialtone", ValueRule::AnySlash, true, "COM4", "", false},
        {"/P:COM1 /P:COM3", ValueRule::AnySlash, true, "COM1", "", false},
        {"/p:COM1 /P:COM3", ValueRule::AnySlash, true, "COM3", "", false},
        {"/T:\t0\"1 x", ValueRule::AnySlash, true, "", "\t0\"1", false},
        {"junk /T: 0123", ValueRule::AnySlash, true, "", "", false},
        {"/P:/dev/ttyUSB0/T:0123 /L:/tmp/x", ValueRule::OptionSlash, true, "/dev/ttyUSB0", "0123",
         false, true},
        {"/P:/dev/ttyUSB0/T:0123", ValueRule::AnySlash, true, "", "0123", false},
        {"/P:/dev/a/NODIALTONE", ValueRule::OptionSlash, true, "/dev/a", "", true},
        {"/X:1 /p /P", ValueRule::OptionSlash, false, "", "", false},
        {"/L: /P:COM1", ValueRule::AnySlash, true, "COM1", "", false},
        {"/L:/P:COM1", ValueRule::AnySlash, true, "COM1", "", false},
        {"/L:/no/such/dir/run.log", ValueRule::OptionSlash, true, "", "", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Parsed p = Parse(c.line, c.rule);
        EXPECT_EQ(p.found, c.found);
        EXPECT_EQ(p.port, c.port);
        EXPECT_EQ(p.phone, c.phone);
        EXPECT_EQ(p.logOpened, c.log);
        EXPECT_EQ(p.noDialTone, c.noDialTone);
        EXPECT_EQ(p.automatic, c.found);
        EXPECT_NE(p.allPorts, c.found);
    }
}

TEST(CommandLine, RawCommandLineIsTheTextAfterTheProgramName) {
    const char* blanks[] = {"nubotest", "  ", ""};
    EXPECT_EQ(RawCommandLine(3, blanks), "");
    const char* inner[] = {"nubotest", " /P:a  b"};
    EXPECT_EQ(RawCommandLine(2, inner), "/P:a  b");
    // Windows hands over the whole line, the program's name first.
    EXPECT_EQ(CommandLineAfterProgramName("\"C:\\My Tools\\nubotest.exe\"  /P:COM2 "), "/P:COM2 ");
    EXPECT_EQ(CommandLineAfterProgramName("nubotest.exe\t/P:COM2"), "/P:COM2");
    EXPECT_EQ(CommandLineAfterProgramName("\"nubotest.exe\"/P:COM2"), "/P:COM2");
    EXPECT_EQ(CommandLineAfterProgramName("nubotest.exe"), "");
    EXPECT_EQ(CommandLineAfterProgramName("\"unclosed /P:COM2"), "");
}

TEST(WizardStyle, CommonControlsVersionAndPlatformFamily) {
    struct Case {
        PlatformFamily family;
        unsigned major;
        CommonControlsVersion cc;
        bool newStyle;
    };
    const Case cases[] = {
        {PlatformFamily::NT, 5, {true, 4, 70}, false},
        {PlatformFamily::NT, 5, {true, 4, 71}, true},
        {PlatformFamily::NT, 4, {true, 6, 0}, true},
        {PlatformFamily::NT, 5, {false, 0, 0}, false},
        {PlatformFamily::Win9x, 4, {true, 5, 80}, false},
        {PlatformFamily::Posix, 5, {true, 5, 80}, true},
    };
    for (const Case& c : cases) {
        FakeSystem system;
        system.family = c.family;
        system.majorVersion = c.major;
        system.commonControls = c.cc;
        EXPECT_EQ(NewStyleWizard(system), c.newStyle)
            << c.cc.major << "." << c.cc.minor << " family " << static_cast<int>(c.family);
    }
}

// A front end that records what start-up asked of it and plays a scripted end.
class ScriptedFrontEnd : public FrontEnd {
public:
    bool cancel = false;
    std::vector<int> templates;
    std::string help;
    bool Prepare(bool) override { return true; }
    bool RunSheet(const std::vector<WizardPage*>& pages, RunSettings& settings,
                  const std::string& helpFile) override {
        help = helpFile;
        for (WizardPage* p : pages) templates.push_back(p->Ids().templateId);
        settings.Log("inside the wizard");
        if (!cancel) settings.exitCode = 22;
        return cancel;
    }
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { system_.programPath = (dir_ / "nubotest").string(); }
    static std::string Log(const fs::path& path) { return testing::ReadFile(path.string()); }
    int Run(const std::string& line) {
        return RunProgram(line, {system_, clock_, serial_, ports_, modems_}, frontEnd_,
                          ValueRule::OptionSlash, err_);
    }
    testing::TempDir tmp_;
    fs::path dir_ = tmp_.Path();
    FakeSystem system_;
    FakeClock clock_;
    FakeSerialDriver serial_;
    ListedPorts ports_{{}};
    FakeInstalledModems modems_;
    ScriptedFrontEnd frontEnd_;
    std::ostringstream err_;
};

TEST_F(StartupTest, InteractiveRunCancelledAndOldStyle) {
    system_.commonControls = {true, 4, 70};
    frontEnd_.cancel = true;
    EXPECT_EQ(Run(""), -5);
    EXPECT_EQ(frontEnd_.templates, (std::vector<int>{168, 169, 170, 171}));
    EXPECT_EQ(frontEnd_.help, (dir_ / "nubotest.HLP").string());
    const std::string log = Log(dir_ / "nubotest.log");
    EXPECT_EQ(log.substr(log.size() - 61),
              "09:05:41 - PRG-Message         : Program canceled by user !\r\n");
    EXPECT_EQ(log.find("PRG-Mode"), std::string::npos);
}

// A default log that cannot be created beside the program goes to the
// user's own folder and stderr says where; an explicit /L: path does not.
TEST_F(StartupTest, LogThatCannotBeCreatedIsNeverLostSilently) {
    const std::string state = (dir_ / "state").string(), home = (dir_ / "home").string(),
                      local = (dir_ / "local").string();
    const struct {
        PlatformFamily family;
        std::map<std::string, std::string> env;
        std::string line;
        fs::path log;  // empty: no log anywhere
    } cases[] = {
        {PlatformFamily::Posix,
         {{"XDG_STATE_HOME", state}, {"HOME", home}},
         "",
         fs::path(state) / "nubotest"},
        {PlatformFamily::Posix,
         {{"XDG_STATE_HOME", "rel"}, {"HOME", home}},
         "/P:COM1",
         fs::path(home) / ".local" / "state" / "nubotest"},
        {PlatformFamily::NT,
         {{"LOCALAPPDATA", local}},
         "/L: /P:COM1",
         fs::path(local) / "nubotest"},
        {PlatformFamily::Posix, {{"HOME", home}}, "/L:" + (dir_ / "no/run.log").string(), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        fs::remove_all(home);
        err_.str("");
        system_.family = c.family;
        system_.environment = c.env;
        system_.programPath = (dir_ / "no/such/nubotest.exe").string();
        Run(c.line);
        if (c.log.empty()) {
            EXPECT_FALSE(fs::exists(home));
            EXPECT_NE(err_.str().find("run.log; the run goes on without a log"), std::string::npos);
            continue;
        }
        const fs::path log =
            c.log / (c.family == PlatformFamily::Posix ? "nubotest.exe.log" : "nubotest.log");
        EXPECT_NE(Log(log).find("QAP - Nubo Modem Installationstest - LOGFILE"), std::string::npos);
        EXPECT_NE(err_.str().find("; writing it to " + log.string() + "\n"), std::string::npos);
    }
}

}  // namespace
}  // namespace nubo
