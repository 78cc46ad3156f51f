// The search worker against simulated modems in virtual time: the ports it
// tries, its log lines, exit codes and page updates. The log lines of a found
// modem are pinned by the golden run logs and the scan of all ports end to
// end; its owner (one search at a time, none on a page left) by the pages' tests.
#include <gtest/gtest.h>

#include <filesystem>

#include "ModemModel.h"
#include "discovery/ModemSearch.h"
#include "platform/fake/FakeSerial.h"
#include "platform/fake/FakeSystem.h"
#include "support/ModemProfiles.h"
#include "support/Process.h"
#include "wizard/Texts.h"

namespace nubo {
namespace {

namespace fs = std::filesystem;
using modemsim::ModemModel;
using modemsim::ModemProfile;
using Lines = std::vector<std::string>;

// The page and the wizard as the search sees them: every call recorded, in
// order. The search runs on the test thread here.
class RecordingPage : public SearchView, public WizardHost {
public:
    void ShowPort(const std::string& t) override { calls.push_back("port:" + t); }
    void ShowModem(const std::string& t) override { calls.push_back("modem:" + t); }
    void ShowStatus(const std::string& t) override { calls.push_back("status:" + t); }
    void ShowDialTestControls() override { calls.push_back("dial-test controls"); }
    void SetWizardButtons(unsigned flags) override {
        calls.push_back("buttons:" + std::to_string(flags));
    }
    void PressNext() override { calls.push_back("next"); }
    void PressButton(WizardButton) override { calls.push_back("pressed"); }
    void EndWizard(int) override {}
    void ShowMessageBox(const std::string& text, const std::string&) override {
        calls.push_back("box:" + text);
    }
    bool RunOnUi(std::function<void()> fn) override { return fn(), true; }
    void PostToUi(std::function<void()> fn) override { fn(); }
    void CloseWorkerCalls() override {}
    void OpenWorkerCalls() override {}
    const Lines& Calls() const { return calls; }

private:
    Lines calls;
};

class ModemSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        texts::SelectLanguage("en-US");
        fs::copy_file(NUBO_SOURCE_DIR "/res/data/nubotest.ini", dir_ / "nubotest.ini");
        ini_ = std::make_unique<CIniFile>((dir_ / "nubotest.ini").string());
        settings_.log = std::make_unique<CLogFile>(system_, (dir_ / "run.log").string());
    }

    FakeSerialLine& AddPort(const std::string& name, ModemProfile profile) {
        models_.push_back(std::make_unique<ModemModel>(std::move(profile)));
        lines_.push_back(std::make_unique<FakeSerialLine>(clock_, *models_.back()));
        driver_.Add(name, *lines_.back());
        return *lines_.back();
    }
    SearchContext Context() {
        return {settings_, *ini_, ports_, {driver_, clock_}, modem_, commands_, page_, page_};
    }
    int Run() { return ModemSearchThread(Context()); }

    testing::TempDir tmp_;
    fs::path dir_ = tmp_.Path();
    FakeSystem system_;
    FakeClock clock_;
    FakeSerialDriver driver_;
    std::vector<std::unique_ptr<ModemModel>> models_;
    std::vector<std::unique_ptr<FakeSerialLine>> lines_;
    ListedPorts ports_{{"COM1", "COM2", "COM3"}};
    RunSettings settings_;
    std::unique_ptr<CIniFile> ini_;
    DetectedModem modem_;
    ModemCommandSet commands_;
    RecordingPage page_;
};

// The page's calls for a found modem are the wizard walk's; here the ports opened.
TEST_F(ModemSearchTest, OnlyTheNamedPortOrThePortsUpToTheModemAreOpened) {
    for (const char* name : {"COM1", "COM2", "COM3"}) AddPort(name, ModemProfile{});
    settings_.searchAllPorts = false;
    settings_.port = "COM3";
    modem_.firmware = "left over";
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(settings_.exitCode, 1);
    EXPECT_EQ(modem_.firmware, "2.14");

    settings_.searchAllPorts = true;
    settings_.port = "COM7";  // searchAllPorts wins over a port
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(settings_.port, "COM1");
    for (int i : {0, 1, 2}) EXPECT_EQ(lines_[i]->OpenCount(), i == 1 ? 0 : 1) << i;
}

TEST_F(ModemSearchTest, NoModemOnAnyPort) {
    AddPort("COM1", testing::Profile({{"silent", "1"}}));
    AddPort("COM2", testing::Profile({{"silent", "1"}}));  // COM3 does not exist at all
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(settings_.exitCode, -2);
    EXPECT_EQ(settings_.port, "COM3");
    // An interactive search leaves Next to the user.
    EXPECT_EQ(page_.Calls(),
              (Lines{"port:COM1", "port:COM2", "port:COM3", "modem:No modem present!",
                     "status:No modem was found on your PC.", "buttons:1"}));
    // No port at all: nothing tried, and no port remembered.
    ports_ = ListedPorts({});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(settings_.port, "");
    EXPECT_EQ(settings_.exitCode, -2);
    // The one port searched does not open: the status line says why.
    settings_.port = "COM9";
    settings_.searchAllPorts = false;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(page_.Calls().rbegin()[1], "status:COM9: no such port");
    // In the user's language on the page; stderr stays English.
    texts::SelectLanguage("ru");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "nubotest: COM9: no such port\n");
    EXPECT_EQ(page_.Calls().rbegin()[1], "status:COM9: такого порта нет");
}

}  // namespace
}  // namespace nubo
