// Which wizard style the platform can show, and the page table of both styles.
#include "app/WizardStyle.h"

namespace nubo {

bool NewStylePossible(const CommonControlsVersion& version) {
    if (!version.obtained) return false;
    return version.major > 4 || (version.major == 4 && version.minor >= 71);
}

bool NewStyleWizard(System& system) {
    const bool possible = NewStylePossible(system.CommonControls());
    if (system.Family() == PlatformFamily::Win9x && system.MajorVersion() >= 4) return false;
    return possible;
}

PageIds PageTable(PageKind page, bool newStyle) {
    switch (page) {
        case PageKind::Welcome:
            return newStyle ? PageIds{107, 13, 14, 15} : PageIds{168, 13, 0, 0};
        case PageKind::Port:
            return newStyle ? PageIds{162, 10, 11, 12} : PageIds{169, 10, 0, 0};
        case PageKind::Search:
            return newStyle ? PageIds{129, 16, 17, 18} : PageIds{170, 16, 0, 0};
        case PageKind::Test:
            return newStyle ? PageIds{134, 19, 20, 21} : PageIds{171, 19, 0, 0};
    }
    return {};
}

}  // namespace nubo
