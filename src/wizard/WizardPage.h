// Base of the four wizard pages: what the sheet tells a page, and the ids the
// sheet needs to show it. All notifications arrive on the UI thread.
#pragma once
#include <map>

#include "wizard/DialogItems.h"
#include "wizard/WizardHost.h"

namespace nubo {

struct RunSettings;

struct PageIds {
    int templateId;
    int captionId;
    int titleId;     // 0 in the old style: the template draws its own title
    int subtitleId;  // 0 in the old style
};

class WizardPage {
public:
    WizardPage(RunSettings& settings, PageIds ids, bool hideHeader)
        : settings_(settings), ids_(ids), hideHeader_(hideHeader) {}
    virtual ~WizardPage() = default;
    WizardPage(const WizardPage&) = delete;
    WizardPage& operator=(const WizardPage&) = delete;

    const PageIds& Ids() const { return ids_; }
    bool HidesHeader() const { return hideHeader_; }

    // The sheet hands over the page's controls and itself when it first shows the page.
    void Attach(DialogItems& items, WizardHost& host) {
        items_ = &items;
        host_ = &host;
    }

    virtual void OnCreate() {}     // first time the page is shown
    virtual void OnSetActive() {}  // every time it becomes the active page
    // Return false to keep the wizard on this page.
    virtual bool OnWizardNext() { return true; }
    virtual bool OnWizardBack() { return true; }
    virtual void OnCommand(int /*controlId*/) {}  // a click or a selection change
    // The sheet is going away (Cancel or end): stop and join any worker.
    virtual void OnClose() {}
    // Context help: control id -> topic id of the help file.
    virtual std::map<int, int> HelpMap() const { return {}; }

protected:
    RunSettings& settings_;
    DialogItems* items_ = nullptr;
    WizardHost* host_ = nullptr;

private:
    PageIds ids_;
    bool hideHeader_;
};

}  // namespace nubo
