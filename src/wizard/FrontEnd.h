// The wizard contract, in one folder: what the pages and their workers need
// of a front end, and what a front end gets from them. A front end (Qt on
// Linux, the property sheet on Windows) implements:
//   FrontEnd     (this file)       prepares the platform and runs the sheet
//                                  modally over the pages;
//   WizardHost   (WizardHost.h)    the sheet: wizard buttons, press, end,
//                                  message boxes, the UI thread's queue;
//   DialogItems  (DialogItems.h)   a page's controls by the ids of
//                                  ControlIds.h, built from the templates;
// and carries the workers' calls out on its UI thread through WorkerCalls
// (WorkerCalls.h), waking that thread when a call is queued. The pages
// (WizardPage.h) are toolkit-neutral; a page's worker runs in a PageWorker
// (PageWorker.h), whose calls reach the page only while it is active. The
// texts a front end shows come from the catalogs (Texts.h).
#pragma once
#include <string>
#include <vector>

#include "run/RunSettings.h"
#include "wizard/WizardPage.h"

namespace nubo {

class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    // Platform set-up for dialogs. False when no wizard can be shown at all;
    // the front end has said why on stderr.
    virtual bool Prepare(bool interactive) = 0;
    // Runs the sheet modally over the pages in order; true when it ended by Cancel.
    virtual bool RunSheet(const std::vector<WizardPage*>& pages, RunSettings& settings,
                          const std::string& helpFile) = 0;
};

}  // namespace nubo
