// The search worker against simulated modems in virtual time: the ports it
// tries, its log lines, exit codes and page updates; and its owner, which
// keeps two searches from running at once. The log lines of a found modem are
// pinned by the golden run logs and the scan of all ports end to end.
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "ModemModel.h"
#include "discovery/ModemSearch.h"
#include "platform/Texts.h"
#include "platform/fake/FakeSerial.h"
#include "platform/fake/FakeSystem.h"
#include "support/ModemProfiles.h"
#include "support/Process.h"

namespace nubo {
namespace {

namespace fs = std::filesystem;
using modemsim::ModemModel;
using modemsim::ModemProfile;
using Lines = std::vector<std::string>;

// The page and the wizard as the search sees them: every call recorded, in order.
class RecordingPage : public SearchView, public WizardHost {
public:
    void ShowPort(const std::string& t) override { Record("port:" + t); }
    void ShowModem(const std::string& t) override { Record("modem:" + t); }
    void ShowStatus(const std::string& t) override { Record("status:" + t); }
    void ShowDialTestControls() override { Record("dial-test controls"); }
    void SetWizardButtons(unsigned flags) override { Record("buttons:" + std::to_string(flags)); }
    void PressNext() override { Record("next"); }
    void PressButton(WizardButton) override { Record("pressed"); }
    void EndWizard(int) override {}
    void ShowMessageBox(const std::string& text, const std::string&) override {
        Record("box:" + text);
    }
    void CloseWorkerCalls() override {
        std::lock_guard lock(mutex_);
        closed_ = true;
        calls.push_back("closed");
        changed_.notify_all();
    }
    void OpenWorkerCalls() override {
        std::lock_guard lock(mutex_);
        closed_ = false;
        calls.push_back("opened");
    }

    // The next port shown blocks its worker until the calls are closed, as a
    // call into a UI thread that is busy joining would.
    void BlockNextPort() { blockPort_ = true; }
    void WaitUntilBlocked() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return blocked_; });
    }
    Lines Calls() {
        std::lock_guard lock(mutex_);
        return calls;
    }

private:
    void Record(const std::string& call) {
        std::unique_lock lock(mutex_);
        if (closed_) return;  // a closed page ignores its worker
        calls.push_back(call);
        if (call.rfind("port:", 0) == 0 && blockPort_) {
            blockPort_ = false;
            blocked_ = true;
            changed_.notify_all();
            changed_.wait(lock, [&] { return closed_; });
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    bool closed_ = false;
    bool blockPort_ = false;
    bool blocked_ = false;
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

TEST_F(ModemSearchTest, NewSearchCancelsTheRunningOneAndWaitsForIt) {
    AddPort("COM1", testing::Profile({{"silent", "1"}}));
    AddPort("COM2", ModemProfile{});
    settings_.automaticMode = true;
    {
        ModemSearch search(page_);
        page_.BlockNextPort();
        search.Start(Context());
        page_.WaitUntilBlocked();
        EXPECT_TRUE(search.Running());
        // A second activation while the first worker waits for the UI thread:
        // it must neither deadlock nor let the first search report.
        search.Start(Context());
        while (search.Running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }  // the page goes away: its search is stopped and joined
    const Lines calls = page_.Calls();
    const Lines expected = {"opened",
                            "port:COM1",
                            "closed",
                            "opened",
                            "port:COM1",
                            "port:COM2",
                            "port:COM2",
                            "modem:NUBO 56K-PRO",
                            "status:Press \"Next\" to test the modem found.",
                            "buttons:3",
                            "status:The detected modem is being tested. Please wait.",
                            "next",
                            "closed"};
    EXPECT_EQ(calls, expected);
    // Only the second search logged.
    const std::string log = testing::ReadFile((dir_ / "run.log").string());
    EXPECT_EQ(log.find("scan  : COM1"), log.rfind("scan  : COM1")) << log;
    EXPECT_NE(log.find("Detected modem      : NUBO 56K-PRO (COM2)"), std::string::npos) << log;
    EXPECT_EQ(settings_.exitCode, 1);
}

}  // namespace
}  // namespace nubo
