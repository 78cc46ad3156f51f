// What the offscreen GUI tests share: the one application object (with the
// fonts the wizard maps its template faces to), event pumping, screenshots
// into the build tree, and the wizard's pages on their sheet, on a simulated
// machine whose modem answers only while the test lets it.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QPushButton>
#include <memory>
#include <string>

#include "app/WizardStyle.h"
#include "frontend/qt/TemplatePage.h"
#include "frontend/qt/WizardSheet.h"
#include "run/RunSettings.h"
#include "support/ModemProfiles.h"
#include "ui/Pages.h"

namespace nubo::testing {

inline void EnsureQtApplication() {
    static int argc = 1;
    static char name[] = "nubotest-gui-test";
    static char* argv[] = {name, nullptr};
    InstallFontSubstitutes();
    if (!QApplication::instance()) new QApplication(argc, argv);
}

inline void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// Lets the UI thread work until cond holds or the limit passes.
template <typename Cond>
bool Await(Cond cond, int limitMs = 30000) {
    QElapsedTimer timer;
    timer.start();
    while (!cond() && timer.elapsed() < limitMs) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    Settle();
    return cond();
}

// The sheet's buttons as a picture shows them: Back, then Next or Finish
// (whichever is shown), then Cancel; upper case enabled, lower case disabled.
inline std::string Buttons(WizardSheet& s) {
    const auto mark = [](QPushButton* b, char c) { return b->isEnabled() ? c : char(c + 32); };
    const bool finish = s.FinishButton()->isVisible();
    return {mark(s.BackButton(), 'B'),
            mark(finish ? s.FinishButton() : s.NextButton(), finish ? 'F' : 'N'),
            mark(s.CancelButton(), 'C')};
}

#ifdef NUBO_ARTEFACTS
// A picture is evidence: it is taken once posted changes have run, shows the
// pop-ups and boxes over the sheet, and its buttons are the ones expected.
inline void Shoot(WizardSheet& s, const std::string& name, const std::string& buttons) {
    Settle();
    EXPECT_EQ(Buttons(s), buttons) << name;
    // Enter must not cancel: the focus leaves Cancel whenever another button takes it.
    const bool other = buttons[0] == 'B' || buttons[1] < 'a';
    EXPECT_TRUE(!other || s.focusWidget() != s.CancelButton()) << name;
    QPixmap picture = s.grab();
    QPainter painter(&picture);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top != &s && top->isVisible()) {
            const QRect at(top->geometry().topLeft() - s.geometry().topLeft(), top->size());
            painter.drawPixmap(at.topLeft(), top->grab());
            painter.setPen(Qt::darkGray);
            painter.drawRect(at.adjusted(0, 0, -1, -1));
        }
    }
    painter.end();
    QDir().mkpath(NUBO_ARTEFACTS);
    picture.save(QString::fromStdString(std::string(NUBO_ARTEFACTS "/") + name + ".png"));
}
#endif

// The offscreen wizard on the simulated machine (the description beside the
// program is the sample or the one given), the log in the program's folder;
// the pages of an interactive run, or the two of an automatic one, on their
// sheet. The machine is made first: the pages learn from it where their files lie.
struct SimulatedWizard : SimulatedModem {
    explicit SimulatedWizard(bool newStyle, bool automatic = false,
                             const std::string& description = {})
        : welcome(settings, PageTable(PageKind::Welcome, newStyle), newStyle),
          port(settings, services, PageTable(PageKind::Port, newStyle)),
          search(settings, services, PageTable(PageKind::Search, newStyle)),
          test(settings, services, PageTable(PageKind::Test, newStyle)) {
        if (!description.empty()) dir.Write("nubotest.ini", description);
        settings.newStyleWizard = newStyle;
        settings.automaticMode = automatic;
        settings.log = std::make_unique<CLogFile>(system, dir.File("run.log"));
        std::vector<WizardPage*> pages = {&welcome, &port, &search, &test};
        if (automatic) pages = {&search, &test};
        sheet = std::make_unique<WizardSheet>(pages, newStyle, false);
    }
    ~SimulatedWizard() {
        peer.Hold(false);
        sheet.reset();
    }
    std::string Log() const { return ReadFile(dir.File("run.log")); }

    ModemRecords records;
    RunSettings settings;
    PageServices services{system, clock, driver, ports, installed, records};
    CWelcomeP welcome;
    CCommP port;
    CConfigP search;
    CTestP test;
    std::unique_ptr<WizardSheet> sheet;
};

}  // namespace nubo::testing
