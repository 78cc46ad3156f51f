// The interactive run's owner: it can stop a worker blocked in a call to the
// UI, and the stopped run shows and logs nothing more.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "TestRig.h"
#include "modemtests/TestWorker.h"
#include "platform/fake/FakeDialogItems.h"

namespace nubo::test {
namespace {

// Page and wizard in one: what the worker showed, and when. Once the worker
// calls are closed every call returns without effect, as in the front end.
class FakePage : public FakeDialogItems, public WizardHost, public TestRows {
public:
    void SetText(int id, const std::string& text) override {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        texts[id] = text;
    }
    void SetWizardButtons(unsigned flags) override {
        std::lock_guard lock(mutex_);
        if (!closed_) buttons.push_back(flags);
    }
    // A row call that waits for the UI thread, which is busy stopping the run.
    void SetActive(int row, bool on) override {
        std::unique_lock lock(mutex_);
        if (row == blockAtRow && on) {
            blocked_ = true;
            changed_.notify_all();
            changed_.wait(lock, [&] { return closed_; });
        }
    }
    void SetResult(int, bool, bool) override {}
    void CloseWorkerCalls() override {
        std::lock_guard lock(mutex_);
        closed_ = true;
        changed_.notify_all();
    }
    void OpenWorkerCalls() override {
        std::lock_guard lock(mutex_);
        closed_ = false;
    }
    void PressButton(WizardButton) override {}
    void EndWizard(int) override {}
    void ShowMessageBox(const std::string&, const std::string&) override {}
    void WaitUntilBlocked() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return blocked_; });
    }

    std::vector<unsigned> buttons;
    int blockAtRow = -1;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool closed_ = false;
    bool blocked_ = false;
};

TEST(TestRun, StopsAWorkerThatWaitsForTheUi) {
    ModemRig rig;
    rig.settings.phoneNumber = "0123";
    FakePage page;
    page.blockAtRow = testrow::kCrc;
    TestRun run(page);
    run.Start({rig.Context(), page, page, page});
    page.WaitUntilBlocked();
    run.Stop();
    EXPECT_FALSE(run.Running());
    // The run ended with the test under way: no further lines, nothing shown.
    EXPECT_EQ(rig.Log().find("DIAL TEST"), std::string::npos);
    EXPECT_EQ(rig.Log().find("END OF THE MODEM TESTS"), std::string::npos);
    EXPECT_TRUE(page.texts.empty());
    EXPECT_TRUE(page.buttons.empty());
    EXPECT_EQ(rig.modem->Lines(), (Lines{"AT&T7"}));
}

}  // namespace
}  // namespace nubo::test
