// The whole interactive wizard on Qt's offscreen platform against the modem
// emulator on a real pseudo-terminal, in both styles: clicks from the welcome
// page to Finish, the log and the exit code; a screenshot of every page before
// and after the search and the tests.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "log/RunSettings.h"
#include "platform/PortSource.h"
#include "platform/fake/FakeInstalledModems.h"
#include "platform/fake/FakeSystem.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixSerial.h"
#include "support/Process.h"
#include "support/QtApp.h"

namespace nubo {
namespace {

namespace fs = std::filesystem;
using testing::Process;
using testing::ReadFile;
using testing::TempDir;

using testing::Await;
using testing::Shoot;

template <typename T>
T* ControlOf(WizardSheet& sheet, int page, int id) {
    return qobject_cast<T*>(sheet.Page(page)->Control(id));
}

class WizardRun : public ::testing::TestWithParam<bool> {
protected:
    static void SetUpTestSuite() { testing::EnsureQtApplication(); }

    void SetUp() override {
        emulator_ = std::make_unique<Process>(
            NUBO_MODEMSIM, std::vector<std::string>{"--connect-delay=300"}, testing::EnvChanges{});
        pty_ = emulator_->ReadLine(std::chrono::seconds(10));
        ASSERT_FALSE(pty_.empty());
        for (const char* ext : {".ini", ".dat", ".HLP"}) {
            fs::copy_file(std::string(NUBO_SOURCE_DIR "/res/data/nubotest") + ext,
                          dir_.File(std::string("nubotest") + ext));
        }
        system_.programPath = dir_.File("nubotest");
        modems_.models = {"NUBO 56K-PRO"};
    }

    TempDir dir_;
    std::unique_ptr<Process> emulator_;
    std::string pty_;
    FakeSystem system_;
    PosixClock clock_;
    PosixSerialDriver serial_;
    FakeInstalledModems modems_;
};

TEST_P(WizardRun, ClickThroughFromWelcomeToFinish) {
    const bool newStyle = GetParam();
    const std::string style = newStyle ? "new" : "old";
    RunSettings settings;
    settings.newStyleWizard = newStyle;
    settings.log = std::make_unique<CLogFile>(system_, dir_.File("run.log"));
    ListedPorts ports{{"/dev/nubo-no-such-port", pty_}};
    ModemRecords records;
    PageServices services{system_, clock_, serial_, ports, modems_, records};
    testing::WizardPages pages(settings, services, newStyle);
    WizardSheet& sheet = *pages.sheet;
    sheet.Start();
    sheet.show();
    Await([] { return false; }, 50);
    Shoot(sheet, "wizard-" + style + "-1-welcome");

    sheet.NextButton()->click();
    ASSERT_EQ(sheet.CurrentIndex(), 1);
    Shoot(sheet, "wizard-" + style + "-2-port");
    ControlOf<QAbstractButton>(sheet, 1, 1065)->click();
    auto* list = ControlOf<QListWidget>(sheet, 1, 1048);
    ASSERT_TRUE(list->isEnabled());
    ASSERT_EQ(list->count(), 2);
    list->setCurrentRow(
        list->row(list->findItems(QString::fromStdString(pty_), Qt::MatchExactly)[0]));
    Shoot(sheet, "wizard-" + style + "-3-port-chosen");

    sheet.NextButton()->click();
    ASSERT_EQ(sheet.CurrentIndex(), 2);
    EXPECT_FALSE(settings.searchAllPorts);
    EXPECT_EQ(settings.port, pty_);
    Await([] { return false; }, 50);
    EXPECT_FALSE(sheet.NextButton()->isEnabled());  // only Back while the search runs
    Shoot(sheet, "wizard-" + style + "-4-search-running");
    ASSERT_TRUE(Await([&] { return sheet.NextButton()->isEnabled(); }))
        << ReadFile(dir_.File("run.log"));
    EXPECT_EQ(ControlOf<QLineEdit>(sheet, 2, 1030)->text(), "NUBO 56K-PRO");
    EXPECT_EQ(ControlOf<QLabel>(sheet, 2, 1022)->text(), "Press \"Next\" to test the modem found.");
    auto* dialTest = ControlOf<QAbstractButton>(sheet, 2, 1035);
    EXPECT_TRUE(dialTest->isVisible());
    Shoot(sheet, "wizard-" + style + "-5-search-found");

    // A test call to a number of our own, without waiting for the dial tone.
    dialTest->click();
    ControlOf<QAbstractButton>(sheet, 2, 1063)->click();
    auto* own = ControlOf<QLineEdit>(sheet, 2, 1038);
    EXPECT_TRUE(own->isVisible());
    own->setText("0123");
    ControlOf<QAbstractButton>(sheet, 2, 1066)->click();
    Shoot(sheet, "wizard-" + style + "-6-search-test-call");
    sheet.NextButton()->click();
    ASSERT_EQ(sheet.CurrentIndex(), 3);
    EXPECT_EQ(settings.phoneNumber, "0123");
    EXPECT_TRUE(settings.noDialTone);
    EXPECT_FALSE(sheet.FinishButton()->isEnabled());
    Shoot(sheet, "wizard-" + style + "-7-tests-running");
    ASSERT_TRUE(Await([&] { return sheet.FinishButton()->isEnabled(); }));
    EXPECT_EQ(ControlOf<QLabel>(sheet, 3, 1022)->text(),
              "All modem tests have been completed successfully.");
    EXPECT_EQ(pages.test.ResultList().Count(), 5);
    Shoot(sheet, "wizard-" + style + "-8-tests-done");

    sheet.FinishButton()->click();
    EXPECT_FALSE(sheet.Cancelled());
    EXPECT_EQ(settings.exitCode, 0);
    settings.log.reset();
    const std::string log = ReadFile(dir_.File("run.log"));
    for (const char* line :
         {"Scanning Port       : ", "Detected modem      : NUBO 56K-PRO (",
          "Result of TAPI-Test : Modem found on TAPI.", "Result of RAM-Test  : Ram-Test OK.",
          "Command send to the modem for this test : ATX3DT0123",
          "Result of DIAG-Test : DiagnosticTest OK.", "END OF THE MODEM TESTS"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    }
}

INSTANTIATE_TEST_SUITE_P(BothStyles, WizardRun, ::testing::Values(true, false),
                         [](const auto& style) { return style.param ? "New" : "Old"; });

}  // namespace
}  // namespace nubo
