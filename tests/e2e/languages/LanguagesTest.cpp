// The built program picks its language from LC_ALL, LC_MESSAGES and LANG, in
// that order: an unattended run against the emulated modem, whose description
// lacks the TAPI name, reports that in a message box captioned in the user's
// language (printed on stderr without a screen), while the log stays English.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "platform/Texts.h"
#include "support/Process.h"

namespace nubo::testing {
namespace {

namespace fs = std::filesystem;

const char* const kIni = R"([Common]
ModemDetectCmd=AT
ModemDetectAnsw=OK
ModemReadName=ATI3
ModemReadName2=AT+GMM
ModemReadFirmw=ATI4

[NUBO 56K-PRO]
CRCCheckCmd=AT*CRCTEST
)";

struct Case {
    std::optional<std::string> lcAll, lcMessages, lang;
    const char* catalog;
};

class Languages : public ::testing::Test {
protected:
    void SetUp() override {
        exe_ = CopyProgram(NUBOTEST_EXE, dir_.Path());
        std::ofstream(dir_.File("nubotest.ini")) << kIni;
        modem_ = std::make_unique<Process>(MODEMSIM_EXE, std::vector<std::string>{"--link", link_},
                                           EnvChanges{});
        for (int i = 0; i < 250 && !fs::is_symlink(link_); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ASSERT_TRUE(fs::is_symlink(link_));
    }
    void TearDown() override {
        modem_->Signal(SIGTERM);
        modem_->Wait(std::chrono::seconds(5));
    }

    TempDir dir_;
    std::string link_ = dir_.File("modem");
    std::string exe_;
    std::unique_ptr<Process> modem_;
};

TEST_F(Languages, TheFirstLocaleVariableSetChoosesTheLanguageAndTheLogStaysEnglish) {
    const Case cases[] = {
        {std::nullopt, std::nullopt, "de_DE.UTF-8", "de"},
        {std::nullopt, std::nullopt, "ru_RU.UTF-8", "ru"},
        {"ru_RU.UTF-8", std::nullopt, "de_DE.UTF-8", "ru"},
        {std::nullopt, "de_DE.UTF-8", "ru_RU.UTF-8", "de"},
        {"C", "ru_RU.UTF-8", "de_DE.UTF-8", "en-US"},
        {std::nullopt, std::nullopt, "ja_JP.UTF-8", "en-US"},
    };
    for (const Case& c : cases) {
        const std::string name =
            c.lcAll.value_or("-") + "/" + c.lcMessages.value_or("-") + "/" + c.lang.value_or("-");
        SCOPED_TRACE(name);
        const std::string log = dir_.File("run.log");
        const ProcessResult r = RunProcess(exe_, {"/P:" + link_, "/L:" + log},
                                           {{"DISPLAY", std::nullopt},
                                            {"WAYLAND_DISPLAY", std::nullopt},
                                            {"QT_QPA_PLATFORM", std::nullopt},
                                            {"LANGUAGE", std::nullopt},
                                            {"LC_ALL", c.lcAll},
                                            {"LC_MESSAGES", c.lcMessages},
                                            {"LANG", c.lang}},
                                           std::chrono::seconds(30));
        ASSERT_FALSE(r.timedOut);
        const std::string caption = texts::Text(c.catalog, 1);
        ASSERT_FALSE(caption.empty());
        EXPECT_NE(r.err.find(caption + ": NUBO 56K-PRO : No TapiModemName for this section !"),
                  std::string::npos)
            << r.err;

        const std::string text = ReadFile(log);
        EXPECT_NE(text.find("Detected modem      : NUBO 56K-PRO (" + link_ + ")"),
                  std::string::npos)
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
