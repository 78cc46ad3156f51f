// Which wizard style the platform can show, and the page table of both styles.
#pragma once
#include "platform/System.h"
#include "wizard/WizardPage.h"

namespace nubo {

// New style when the common controls are 4.71 or later, except on a 9x-family
// system of major version 4 or more, which always gets the old style.
bool NewStyleWizard(System& system);
bool NewStylePossible(const CommonControlsVersion& version);

enum class PageKind { Welcome, Port, Search, Test };
PageIds PageTable(PageKind page, bool newStyle);

}  // namespace nubo
