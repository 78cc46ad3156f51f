// The wizard sheet on Qt's offscreen platform: page order, captions, header
// band and watermark, button flags, focus, cancel, worker calls; screenshots
// of both styles go to the build tree.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <atomic>
#include <thread>

#include "log/RunSettings.h"
#include "platform/PortSource.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeInstalledModems.h"
#include "platform/fake/FakeSerial.h"
#include "platform/fake/FakeSystem.h"
#include "qt/Pictures.h"
#include "qt/TemplatePage.h"
#include "support/QtApp.h"

namespace nubo {
namespace {

using testing::Settle;
using testing::Shoot;

// No description file beside the program: no search finds anything.
struct Wizard {
    explicit Wizard(bool newStyle, bool automatic = false) {
        settings.newStyleWizard = newStyle;
        settings.automaticMode = automatic;
        system.programPath = "/nonexistent/nubotest";
        pages = std::make_unique<testing::WizardPages>(
            settings, PageServices{system, clock, serial, ports, modems, records}, newStyle,
            automatic);
        sheet = pages->sheet.get();
    }
    FakeSystem system;
    FakeClock clock;
    FakeSerialDriver serial;
    ListedPorts ports{{}};
    FakeInstalledModems modems;
    ModemRecords records;
    RunSettings settings;
    std::unique_ptr<testing::WizardPages> pages;
    WizardSheet* sheet = nullptr;
};

class SheetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::EnsureQtApplication(); }
};

TEST_F(SheetTest, NewStyleWalkThroughWithHeaderWatermarkAndButtons) {
    Wizard w(true);
    WizardSheet& s = *w.sheet;
    s.Start();
    s.show();
    Settle();
    EXPECT_EQ(s.windowTitle(), "NUBO modem installation test");
    EXPECT_FALSE(s.HeaderBand()->isVisible());
    EXPECT_TRUE(s.Watermark()->isVisible());
    EXPECT_EQ(s.Watermark()->pixmap().size(), QSize(503, 313));
    EXPECT_FALSE(s.BackButton()->isEnabled());
    EXPECT_TRUE(s.NextButton()->isEnabled());
    EXPECT_EQ(s.NextButton()->font().pixelSize(), s.font().pixelSize());
    Shoot(s, "sheet-new-welcome");

    s.NextButton()->click();
    Settle();
    EXPECT_EQ(s.CurrentIndex(), 1);
    EXPECT_TRUE(s.HeaderBand()->isVisible());
    EXPECT_FALSE(s.Watermark()->isVisible());
    EXPECT_EQ(s.HeaderTitle()->text(), "Serial com port");
    EXPECT_EQ(s.HeaderSubtitle()->text(),
              "In this window you can choose between searching \nall ports for a modem or "
              "selecting a port manually.");
    EXPECT_TRUE(s.BackButton()->isEnabled());
    Shoot(s, "sheet-new-port");

    s.NextButton()->click();
    Settle();
    EXPECT_EQ(s.HeaderTitle()->text(), "Modem search");
    while (w.pages->search.Searching()) QApplication::processEvents();
    Settle();
    EXPECT_FALSE(s.NextButton()->isEnabled());  // nothing found: only Back
    s.PressButton(WizardButton::Next);          // as the search does once it found a modem
    Settle();
    EXPECT_EQ(s.HeaderTitle()->text(), "Modem test");
    EXPECT_EQ(s.HeaderSubtitle()->text(), "A series of tests is beeing performed on this modem.");
    // The tests run (and fail: there is no modem); then Back and Finish are offered.
    while (w.pages->test.Testing()) QApplication::processEvents();
    Settle();
    EXPECT_FALSE(s.NextButton()->isVisible());
    EXPECT_TRUE(s.FinishButton()->isVisible());
    EXPECT_TRUE(s.FinishButton()->isEnabled());
    Shoot(s, "sheet-new-test");

    s.BackButton()->click();
    Settle();
    EXPECT_EQ(s.CurrentIndex(), 2);
    s.CancelButton()->click();
    EXPECT_TRUE(s.Cancelled());
}

TEST_F(SheetTest, OldStylePagesDrawTheirOwnTitleInTheBoldTitleFont) {
    Wizard w(false);
    WizardSheet& s = *w.sheet;
    s.Start();
    s.show();
    Settle();
    EXPECT_FALSE(s.HeaderBand()->isVisible());
    Shoot(s, "sheet-old-welcome");
    s.NextButton()->click();
    Settle();
    EXPECT_EQ(s.windowTitle(), "NUBO modem installation test");
    auto* title = qobject_cast<QLabel*>(s.Page(1)->Control(kOldStyleTitleId));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "Serial com port");
    // 20 pixels is the character cell, leading included.
    EXPECT_LE(QFontMetrics(title->font()).height(), 20);
    EXPECT_GE(QFontMetrics(title->font()).height(), 18);
    EXPECT_TRUE(title->font().bold());
    Shoot(s, "sheet-old-port");
    s.reject();  // the close box and Escape cancel like the button
    EXPECT_TRUE(s.Cancelled());
}

TEST_F(SheetTest, ContextHelpPopsUpForMappedControlsOnly) {
    Wizard w(true);
    const std::string help = std::string(NUBO_ARTEFACTS) + "/help-test.HLP";
    QDir().mkpath(NUBO_ARTEFACTS);
    {
        QFile f(QString::fromStdString(help));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("100 All ports help\n101 \n");
    }
    std::vector<WizardPage*> pages = {&w.pages->welcome, &w.pages->port};
    WizardSheet s(pages, true, false, help);
    s.Start();
    s.show();
    s.NextButton()->click();
    Settle();
    TemplatePage* page = s.Page(1);
    EXPECT_EQ(page->HelpText(page->Control(1064)), "All ports help");
    EXPECT_EQ(page->HelpText(page->Control(1065)), "");  // topic without text
    EXPECT_EQ(page->HelpText(page->Control(1048)), "");  // topic not in the file
    QWidget* option = page->Control(1064);
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                            option->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(option, &click);
    Settle();
    bool popup = false;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        popup |= top->isVisible() && QString(top->metaObject()->className()) == "QWhatsThat";
    }
    EXPECT_TRUE(popup);
    Shoot(s, "sheet-new-port-help");
    s.CancelButton()->click();
}

TEST_F(SheetTest, ButtonFlagsAndFocusNeverLandOnCancel) {
    Wizard w(true);
    WizardSheet& s = *w.sheet;
    s.Start();
    s.show();
    Settle();
    s.NextButton()->setFocus();
    s.SetWizardButtons(kWizDisabledFinish);
    Settle();
    EXPECT_FALSE(s.BackButton()->isEnabled());
    EXPECT_FALSE(s.NextButton()->isVisible());
    EXPECT_TRUE(s.FinishButton()->isVisible());
    EXPECT_FALSE(s.FinishButton()->isEnabled());
    s.SetWizardButtons(kWizBack | kWizFinish);
    Settle();
    EXPECT_TRUE(s.FinishButton()->isEnabled());
    EXPECT_TRUE(s.BackButton()->isEnabled());
    s.SetWizardButtons(kWizBack);
    Settle();
    EXPECT_TRUE(s.NextButton()->isVisible());
    EXPECT_FALSE(s.NextButton()->isEnabled());
    EXPECT_NE(s.focusWidget(), s.CancelButton());
    s.CancelButton()->click();
}

TEST_F(SheetTest, SixteenColourDisplaysGetTheSixteenColourWatermark) {
    for (bool low : {false, true}) {
        Wizard w(true);
        WizardSheet s({&w.pages->welcome}, true, low);
        const QImage shown = s.Watermark()->pixmap().toImage();
        const QImage picture = LoadPicture(low ? 142 : 148);
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(shown.size(), QSize(503, 313));
        EXPECT_EQ(shown.pixel(5, 5), picture.pixel(5, 5)) << low;
        EXPECT_EQ(shown.pixel(100, 300), picture.pixel(100, 300)) << low;
        // Right of the picture the canvas has the window colour.
        EXPECT_EQ(QColor(shown.pixel(300, 5)), s.palette().color(QPalette::Base));
    }
    EXPECT_NE(LoadPicture(142).pixel(5, 5), LoadPicture(148).pixel(5, 5));
}

TEST_F(SheetTest, AutomaticRunMovesOnAndEndsByItself) {
    Wizard w(true, true);
    EXPECT_FALSE(w.sheet->RunModal());
    EXPECT_EQ(w.sheet->CurrentIndex(), 1);
}

TEST_F(SheetTest, WorkerPressesNextAndClosedCallsReturnAtOnce) {
    Wizard w(true);
    WizardSheet& s = *w.sheet;
    s.Start();
    std::atomic<bool> pressed{false};
    std::thread worker([&] {
        s.PressButton(WizardButton::Next);  // waits until the UI thread took it
        pressed = true;
    });
    while (!pressed) QApplication::processEvents();
    worker.join();
    EXPECT_EQ(s.CurrentIndex(), 1);

    // With worker calls closed, a worker blocked on the UI is released, so the
    // UI thread can join it without processing events.
    std::atomic<bool> started{false};
    std::thread blocked([&] {
        started = true;
        s.Page(1)->SetText(kOldStyleTitleId, "late");
        s.PressButton(WizardButton::Next);
    });
    while (!started) std::this_thread::yield();
    s.CloseWorkerCalls();
    blocked.join();
    Settle();
    EXPECT_EQ(s.CurrentIndex(), 1);
    s.OpenWorkerCalls();
    s.CancelButton()->click();
}

}  // namespace
}  // namespace nubo
