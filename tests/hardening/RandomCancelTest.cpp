// A hundred Cancels at random moments in the offscreen wizard: half during
// the modem search, half during the tests. The modem is the emulated one on
// the simulated line, slowed to real time by a pause per line event so that
// a Cancel can land anywhere in the conversation. After each Cancel no worker
// runs, nothing more reaches the log, and every line in it is whole.
#include <QApplication>
#include <QPushButton>
#include <random>
#include <thread>

#include "HardeningRig.h"
#include "app/WizardStyle.h"
#include "qt/TemplatePage.h"
#include "qt/WizardSheet.h"
#include "ui/Pages.h"

namespace nubo::hardening {
namespace {

// The modem, each of its steps taking a little real time. Driven by the one
// worker that talks to the line at a time.
class SlowPeer : public SerialPeer {
public:
    explicit SlowPeer(SerialPeer& inner) : inner_(inner) {}
    void Receive(std::string_view bytes, std::uint32_t now) override {
        Pause();
        inner_.Receive(bytes, now);
    }
    void LineReset(std::uint32_t now) override { inner_.LineReset(now); }
    std::string TakeOutput(std::uint32_t now) override {
        Pause();
        return inner_.TakeOutput(now);
    }
    bool NextDue(std::uint32_t now, std::uint32_t& due) override {
        return inner_.NextDue(now, due);
    }

private:
    static void Pause() { std::this_thread::sleep_for(std::chrono::microseconds(300)); }
    SerialPeer& inner_;
};

void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// Keeps the UI thread serving the workers for about ms milliseconds.
void Serve(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

struct Wizard {
    Wizard() : line(clock, slow) {
        driver.Add("COM1", line);
        system.programPath = scratch.File("nubotest");
        std::filesystem::copy_file(NUBO_SOURCE_DIR "/res/data/nubotest.ini",
                                   system.programPath + ".ini");
        installed.models = {"NUBO 56K-PRO"};
        settings.log = std::make_unique<CLogFile>(system, scratch.File("run.log"));
        PageServices services{system, clock, driver, ports, installed, records};
        welcome = std::make_unique<CWelcomeP>(settings, PageTable(PageKind::Welcome, true), true);
        port = std::make_unique<CCommP>(settings, services, PageTable(PageKind::Port, true));
        search = std::make_unique<CConfigP>(settings, services, PageTable(PageKind::Search, true));
        test = std::make_unique<CTestP>(settings, services, PageTable(PageKind::Test, true));
        sheet = std::make_unique<WizardSheet>(
            std::vector<WizardPage*>{welcome.get(), port.get(), search.get(), test.get()}, true,
            false);
    }
    std::string Log() const { return ReadFile(scratch.File("run.log")); }

    Scratch scratch;
    FakeClock clock;
    modemsim::ModemModel modem{modemsim::ModemProfile{}};
    SlowPeer slow{modem};
    FakeSerialLine line;
    FakeSerialDriver driver;
    FakeSystem system;
    ListedPorts ports{{"COM1"}};
    FakeInstalledModems installed;
    ModemRecords records;
    RunSettings settings;
    std::unique_ptr<CWelcomeP> welcome;
    std::unique_ptr<CCommP> port;
    std::unique_ptr<CConfigP> search;
    std::unique_ptr<CTestP> test;
    std::unique_ptr<WizardSheet> sheet;
};

class RandomCancel : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "hardening_cancel";
        static char* argv[] = {name, nullptr};
        InstallFontSubstitutes();
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
};

TEST_F(RandomCancel, HundredCancelsDuringSearchAndTests) {
    std::mt19937 random(20240609);
    int duringSearch = 0;
    int duringTests = 0;
    for (int run = 0; run < 100; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        Wizard w;
        WizardSheet& s = *w.sheet;
        s.Start();
        s.show();
        Settle();
        s.NextButton()->click();
        Settle();
        s.NextButton()->click();  // the search starts
        const bool inTests = run % 2 == 1;
        if (inTests) {
            while (w.search->Searching()) Serve(1);
            Settle();
            ASSERT_TRUE(s.NextButton()->isEnabled()) << w.Log();
            s.NextButton()->click();  // the tests start
        }
        Serve(std::uniform_int_distribution<int>(0, 40)(random));
        const bool stillRunning = inTests ? w.test->Testing() : w.search->Searching();
        (inTests ? duringTests : duringSearch) += stillRunning ? 1 : 0;
        s.CancelButton()->click();
        EXPECT_TRUE(s.Cancelled());
        EXPECT_FALSE(w.search->Searching());
        EXPECT_FALSE(w.test->Testing());
        const std::string atCancel = w.Log();
        Serve(5);
        EXPECT_EQ(w.Log(), atCancel) << "the log grew after the wizard ended";
        EXPECT_FALSE(w.line.InUse());
        w.settings.log.reset();
        if (!atCancel.empty()) {
            EXPECT_TRUE(LogIsWhole(atCancel));
        }
    }
    std::printf("cancels that hit a running search: %d of 50, running tests: %d of 50\n",
                duringSearch, duringTests);
    // The random moments must really reach into the workers' time.
    EXPECT_GT(duringSearch, 20);
    EXPECT_GT(duringTests, 20);
}

}  // namespace
}  // namespace nubo::hardening
