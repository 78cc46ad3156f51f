// The one application object that offscreen GUI tests need, made on first use
// with the fonts the wizard maps its template faces to.
#pragma once
#include <QApplication>

#include "qt/TemplatePage.h"

namespace nubo::testing {

inline void EnsureQtApplication() {
    static int argc = 1;
    static char name[] = "nubotest-gui-test";
    static char* argv[] = {name, nullptr};
    InstallFontSubstitutes();
    if (!QApplication::instance()) new QApplication(argc, argv);
}

}  // namespace nubo::testing
