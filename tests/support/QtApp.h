// What the offscreen GUI tests share: the one application object (with the
// fonts the wizard maps its template faces to), event pumping, screenshots
// into the build tree, and the wizard's pages on their sheet.
#pragma once
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <memory>
#include <string>

#include "app/WizardStyle.h"
#include "qt/TemplatePage.h"
#include "qt/WizardSheet.h"
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

#ifdef NUBO_ARTEFACTS
inline void Shoot(QWidget& w, const std::string& name) {
    QDir().mkpath(NUBO_ARTEFACTS);
    w.grab().save(QString::fromStdString(std::string(NUBO_ARTEFACTS "/") + name + ".png"));
}
#endif

// The pages of an interactive run, or the two of an automatic one, on their sheet.
struct WizardPages {
    WizardPages(RunSettings& settings, const PageServices& services, bool newStyle,
                bool automatic = false)
        : welcome(settings, PageTable(PageKind::Welcome, newStyle), newStyle),
          port(settings, services, PageTable(PageKind::Port, newStyle)),
          search(settings, services, PageTable(PageKind::Search, newStyle)),
          test(settings, services, PageTable(PageKind::Test, newStyle)) {
        std::vector<WizardPage*> pages = {&welcome, &port, &search, &test};
        if (automatic) pages = {&search, &test};
        sheet = std::make_unique<WizardSheet>(pages, newStyle, false);
    }
    CWelcomeP welcome;
    CCommP port;
    CConfigP search;
    CTestP test;
    std::unique_ptr<WizardSheet> sheet;
};

}  // namespace nubo::testing
