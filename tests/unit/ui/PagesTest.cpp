// The pages through their toolkit-neutral classes, with controls in memory:
// the port page without ports, the search page's dial-test controls and the
// telephone number it hands on, the search left by Back or pressed on twice,
// and the test page's rows. Searches run in virtual time against the
// simulated modem; the test thread is the UI thread.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "ModemModel.h"
#include "platform/PortSource.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeInstalledModems.h"
#include "platform/fake/FakeSerial.h"
#include "platform/fake/FakeSystem.h"
#include "run/RunSettings.h"
#include "support/ModemProfiles.h"
#include "support/Process.h"
#include "ui/DialogTemplates.h"
#include "ui/Pages.h"
#include "wizard/Texts.h"
#include "wizard/fake/FakeDialogItems.h"

namespace nubo {
namespace {

namespace fs = std::filesystem;

class PagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        system_.programPath = (dir_ / "nubotest").string();
        fs::copy_file(NUBO_SOURCE_DIR "/res/data/nubotest.ini", dir_ / "nubotest.ini");
        std::ofstream(dir_ / "nubotest.dat") << "49,D,Munich,089,123\n49,D,Berlin,030,555\n";
        driver_.Add("COM1", line_);
        settings_.newStyleWizard = true;
    }

    PageServices Services() { return {system_, clock_, driver_, ports_, modems_, records_}; }

    template <typename Page>
    void Show(Page& page) {
        // The controls start as the page's template has them.
        for (const ControlTemplate& c : FindTemplate(page.Ids().templateId)->controls) {
            items_.Show(c.id, c.visible);
            items_.Enable(c.id, c.enabled);
        }
        page.Attach(items_, host_);
        page.OnCreate();
        page.OnSetActive();
    }
    void Click(WizardPage& page, int id, bool check) {
        items_.Check(id, check);
        page.OnCommand(id);
    }
    // Serves the workers as the UI thread does until cond holds (or 5 s passed).
    template <typename Cond>
    bool Serve(Cond cond, int limitMs = 5000) {
        for (int i = 0; i < limitMs && !cond(); ++i) {
            host_.RunQueued();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        host_.RunQueued();
        return cond();
    }
    void WaitForSearch(CConfigP& page) {
        ASSERT_TRUE(Serve([&] { return !page.Searching(); }));
    }

    testing::TempDir tmp_;
    fs::path dir_ = tmp_.Path();
    FakeSystem system_;
    FakeClock clock_;
    modemsim::ModemModel modem_{modemsim::ModemProfile{}};
    FakeSerialLine line_{clock_, modem_};
    FakeSerialDriver driver_;
    ListedPorts ports_{{"COM3", "com1", "COM1"}};
    FakeInstalledModems modems_;
    ModemRecords records_;
    RunSettings settings_;
    FakeDialogItems items_;
    FakeWizardHost host_;
};

TEST_F(PagesTest, PortPageWithoutPortsSearchesAllAndOldStyleHasItsTitleFont) {
    settings_.newStyleWizard = false;
    ListedPorts none{{}};
    PageServices services{system_, clock_, driver_, none, modems_, records_};
    CCommP page(settings_, services, {169, 10, 0, 0});
    Show(page);
    EXPECT_EQ(items_.titleFonts.at(1068).face, "MS Shell Dlg");
    EXPECT_EQ(items_.ListCount(1048), 0);
    Click(page, 1065, true);
    settings_.searchAllPorts = false;
    EXPECT_TRUE(page.OnWizardNext());
    EXPECT_TRUE(settings_.searchAllPorts);
}

TEST_F(PagesTest, SearchPageOffersTheTestCallAndComposesTheNumber) {
    settings_.port = "COM1";
    settings_.searchAllPorts = false;
    CConfigP page(settings_, Services(), {129, 16, 17, 18});
    Show(page);
    WaitForSearch(page);
    EXPECT_EQ(items_.texts[1028], "COM1");
    for (int id : {1035, 1062, 1063, 1042, 1041, 1066}) EXPECT_TRUE(items_.IsVisible(id)) << id;
    for (int id : {1039, 1038, 1033, 1043, 1031, 1034}) EXPECT_FALSE(items_.IsVisible(id)) << id;
    EXPECT_TRUE(items_.IsChecked(1062));
    EXPECT_TRUE(items_.readOnly.count(1028) && items_.readOnly.count(1030) &&
                items_.readOnly.count(1034));

    // Tick the test call: options, prefix and dial-tone box enabled, the
    // dial-in service's first location (alphabetically) chosen.
    for (int id : {1062, 1063, 1042, 1041, 1066}) items_.Enable(id, false);
    Click(page, 1035, true);
    for (int id : {1062, 1063, 1042, 1041, 1066}) EXPECT_TRUE(items_.IsEnabled(id)) << id;
    EXPECT_EQ(items_.lists[1043].items, (std::vector<std::string>{"Berlin", "Munich"}));
    EXPECT_EQ(items_.texts[1034], "030555");
    items_.SetText(1042, "0");
    EXPECT_TRUE(page.OnWizardNext());
    EXPECT_EQ(settings_.phoneNumber, "0030555");

    // No test call: no number.
    Click(page, 1035, false);
    EXPECT_FALSE(items_.IsEnabled(1063));
    EXPECT_TRUE(items_.IsVisible(1063));
    EXPECT_TRUE(page.OnWizardNext());
    EXPECT_EQ(settings_.phoneNumber, "");
    page.OnClose();
}

// Back while the search runs: the search goes on and logs, but its buttons,
// its Next and its fields reach neither the page shown now nor its own page.
TEST_F(PagesTest, SearchLeftByBackReachesNoPage) {
    struct Case {
        const char* name;
        bool silent;
        bool automatic;
        int backs;         // 1: to the port page, 2: on to the welcome page
        unsigned buttons;  // what the page shown then asked for
        const char* logged;
    };
    const Case cases[] = {
        {"no modem, port page", true, false, 1, kWizBack | kWizNext, "No modem has been detected"},
        {"modem, welcome page", false, false, 2, kWizNext, "Detected modem"},
        {"unattended, port page", false, true, 1, kWizBack | kWizNext, "Detected modem"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        modemsim::ModemModel modem(c.silent ? testing::Profile({{"silent", "1"}})
                                            : modemsim::ModemProfile{});
        FakeSerialLine line(clock_, modem);
        driver_.Add("COM1", line);
        settings_.port = "COM1";
        settings_.searchAllPorts = false;
        settings_.automaticMode = c.automatic;
        settings_.exitCode = 0;
        const std::string log = (dir_ / (std::string(c.name) + ".log")).string();
        settings_.log = std::make_unique<CLogFile>(system_, log);
        FakeDialogItems welcomeItems, portItems, searchItems;
        CWelcomeP welcome(settings_, {107, 13, 14, 15}, true);
        CCommP port(settings_, Services(), {162, 10, 11, 12});
        CConfigP search(settings_, Services(), {129, 16, 17, 18});
        welcome.Attach(welcomeItems, host_);
        port.Attach(portItems, host_);
        search.Attach(searchItems, host_);
        welcome.OnCreate();
        port.OnCreate();
        search.OnCreate();

        driver_.HoldOpens(true);
        search.OnSetActive();
        ASSERT_TRUE(Serve([&] { return driver_.HeldOpens() == 1; }));
        ASSERT_TRUE(search.OnWizardBack());
        port.OnSetActive();
        if (c.backs == 2) {
            ASSERT_TRUE(port.OnWizardBack());
            welcome.OnSetActive();
        }
        driver_.HoldOpens(false);
        ASSERT_TRUE(Serve([&] { return !search.Searching(); }));
        EXPECT_EQ(host_.Buttons(), c.buttons);
        EXPECT_TRUE(host_.Presses().empty());
        EXPECT_EQ(searchItems.texts[1030], "");
        EXPECT_EQ(searchItems.texts[1022], "");
        EXPECT_FALSE(searchItems.IsVisible(1035));
        EXPECT_NE(testing::ReadFile(log).find(c.logged), std::string::npos);
        search.OnClose();
    }
}

// Back and Next again while the first search still waits for its port: the
// page comes back at once, and the new search starts only once the old one
// has ended.
TEST_F(PagesTest, SearchAgainWaitsForTheOldOneWithoutBlocking) {
    settings_.port = "COM1";
    settings_.searchAllPorts = false;
    const std::string log = (dir_ / "run.log").string();
    settings_.log = std::make_unique<CLogFile>(system_, log);
    CConfigP page(settings_, Services(), {129, 16, 17, 18});
    driver_.HoldOpens(true);
    Show(page);
    ASSERT_TRUE(Serve([&] { return driver_.HeldOpens() == 1; }));
    // Should the page wait for the old search after all, this lets it go on.
    std::promise<void> done;
    std::thread release([&, finished = done.get_future()] {
        finished.wait_for(std::chrono::seconds(3));
        driver_.HoldOpens(false);
    });
    ASSERT_TRUE(page.OnWizardBack());
    page.OnSetActive();
    EXPECT_EQ(driver_.HeldOpens(), 1) << "the page waited for the old search";
    Serve([] { return false; }, 100);
    EXPECT_EQ(driver_.HeldOpens(), 1) << "the new search did not wait for the old one";
    EXPECT_TRUE(page.Searching());
    driver_.HoldOpens(false);
    done.set_value();
    release.join();
    WaitForSearch(page);
    EXPECT_EQ(items_.texts[1030], "NUBO 56K-PRO");
    EXPECT_EQ(host_.Buttons(), kWizBack | kWizNext);
    const std::string text = testing::ReadFile(log);
    EXPECT_EQ(text.find("Detected modem"), text.rfind("Detected modem")) << text;
    EXPECT_NE(text.find("Scanning Port"), text.rfind("Scanning Port")) << text;
    page.OnClose();
}

// Two Next presses on the port page, the second taken before the UI thread
// ran anything the first one started: the wizard stays on the search page
// and the search runs to its end.
TEST_F(PagesTest, SecondNextDoesNotSkipTheSearch) {
    ports_ = ListedPorts({"COM1"});
    const std::string log = (dir_ / "run.log").string();
    settings_.log = std::make_unique<CLogFile>(system_, log);
    FakeDialogItems portItems, testItems;
    CCommP port(settings_, Services(), {162, 10, 11, 12});
    CConfigP search(settings_, Services(), {129, 16, 17, 18});
    CTestP test(settings_, Services(), {134, 19, 20, 21});
    port.Attach(portItems, host_);
    test.Attach(testItems, host_);
    port.OnCreate();
    port.OnSetActive();
    ASSERT_TRUE(port.OnWizardNext());
    Show(search);
    const bool skipped = search.OnWizardNext();
    if (skipped) {
        test.OnCreate();
        test.OnSetActive();
    }
    EXPECT_FALSE(skipped);
    ASSERT_TRUE(Serve([&] { return !search.Searching() && !test.Testing(); }));
    EXPECT_FALSE(test.Testing());
    const std::string text = testing::ReadFile(log);
    EXPECT_NE(text.find("Automat. port scan  : COM1"), std::string::npos) << text;
    EXPECT_EQ(text.find("START OF THE MODEM TESTS"), std::string::npos) << text;
    EXPECT_EQ(host_.Buttons(), kWizBack | kWizNext);
    EXPECT_TRUE(search.OnWizardNext());
    search.OnClose();
    test.OnClose();
}

TEST_F(PagesTest, TestPageRowsFollowTheNumberAndTheDiagnosticCommand) {
    struct Case {
        const char* phone;
        const char* diag;
        std::size_t rows;
    };
    // All five rows in the wizard walk's language: its own test.
    for (const Case& c : {Case{"", "AT&V1", 3}, Case{"0123", "", 4}}) {
        settings_.phoneNumber = c.phone;
        records_.commands.diagCmd = c.diag;
        CTestP page(settings_, Services(), {134, 19, 20, 21});
        Show(page);
        const auto rows = page.ResultList().Snapshot();
        ASSERT_EQ(rows.size(), c.rows);
        if (c.rows > 3) {
            EXPECT_EQ(rows[3].text, texts::Text(49));
        }
        // The worker runs the tests (no port given: every test fails) and then
        // offers Back and Finish with the closing sentence.
        ASSERT_TRUE(Serve([&] { return !page.Testing(); }));
        EXPECT_EQ(host_.Buttons(), kWizBack | kWizFinish);
        EXPECT_EQ(items_.texts[1022], texts::Text(74));
        EXPECT_TRUE(page.ResultList().Snapshot()[1].failed);
        page.OnClose();
    }
}

}  // namespace
}  // namespace nubo
