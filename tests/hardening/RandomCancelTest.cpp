// A hundred Cancels at random moments in the offscreen wizard: half during
// the modem search, half during the tests. The modem is the emulated one on
// the simulated line, slowed to real time by a pause per line event so that
// a Cancel can land anywhere in the conversation. After each Cancel no worker
// runs, nothing more reaches the log, and every line in it is whole.
#include <QLabel>
#include <random>

#include "HardeningRig.h"
#include "support/QtApp.h"

namespace nubo::hardening {
namespace {

TEST(RandomCancel, HundredCancelsDuringSearchAndTests) {
    testing::EnsureQtApplication();
    std::mt19937 random(20240609);
    int duringSearch = 0;
    int duringTests = 0;
    for (int run = 0; run < 100; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        testing::SimulatedWizard w(true);
        w.peer.pace = std::chrono::microseconds(300);
        WizardSheet& s = *w.sheet;
        s.Start();
        s.show();
        testing::Settle();
        s.NextButton()->click();
        testing::Settle();
        s.NextButton()->click();  // the search starts
        const bool inTests = run % 2 == 1;
        if (inTests) {
            testing::Await([&] { return !w.search.Searching(); });
            ASSERT_TRUE(s.NextButton()->isEnabled()) << w.Log();
            s.NextButton()->click();  // the tests start
        }
        // The UI thread serves the workers for a random while.
        testing::Await([] { return false; }, std::uniform_int_distribution<int>(0, 40)(random));
        // Counted when the worker still ran as the Cancel came.
        (inTests ? duringTests : duringSearch) += inTests ? w.test.Testing() : w.search.Searching();
        s.CancelButton()->click();
        EXPECT_TRUE(s.Cancelled());
        EXPECT_FALSE(w.search.Searching());
        EXPECT_FALSE(w.test.Testing());
        const std::string atCancel = w.Log();
        testing::Await([] { return false; }, 5);
        EXPECT_EQ(w.Log(), atCancel) << "the log grew after the wizard ended";
        // A run cut short shows no verdict.
        if (inTests && atCancel.find("END OF THE MODEM TESTS") == std::string::npos) {
            EXPECT_EQ(qobject_cast<QLabel*>(s.Page(3)->Control(1022))->text(), "");
        }
        EXPECT_FALSE(w.line->InUse());
        w.settings.log.reset();
        EXPECT_TRUE(atCancel.empty() || LogIsWhole(atCancel)) << atCancel;
    }
    // The random moments must really reach into the workers' time.
    EXPECT_GT(duringSearch, 20);
    EXPECT_GT(duringTests, 20);
}

}  // namespace
}  // namespace nubo::hardening
