// Which wizard style the platform can show, and the page table of both styles.
#include "app/WizardStyle.h"

#include "ui/DialogTemplates.h"

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
            return newStyle ? PageIds{tmpl::kWelcome, 13, 14, 15}
                            : PageIds{tmpl::kOldWelcome, 13, 0, 0};
        case PageKind::Port:
            return newStyle ? PageIds{tmpl::kPort, 10, 11, 12} : PageIds{tmpl::kOldPort, 10, 0, 0};
        case PageKind::Search:
            return newStyle ? PageIds{tmpl::kSearch, 16, 17, 18}
                            : PageIds{tmpl::kOldSearch, 16, 0, 0};
        case PageKind::Test:
            return newStyle ? PageIds{tmpl::kTest, 19, 20, 21} : PageIds{tmpl::kOldTest, 19, 0, 0};
    }
    return {};
}

}  // namespace nubo
