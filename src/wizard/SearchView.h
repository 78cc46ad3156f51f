// What the modem search shows on the search page. The search calls it from its
// worker thread; the search's owner carries each call out on the UI thread
// while the page is active (else drops it), so that DialogSearchView, the
// page's own, is called on the UI thread only.
#pragma once
#include <string>

#include "wizard/ControlIds.h"
#include "wizard/DialogItems.h"
#include "wizard/WizardHost.h"

namespace nubo {

class SearchView {
public:
    virtual ~SearchView() = default;
    virtual void ShowPort(const std::string& text) = 0;    // the port field
    virtual void ShowModem(const std::string& text) = 0;   // the modem field
    virtual void ShowStatus(const std::string& text) = 0;  // the status line
    // Shows the controls of the test call, the own-number pair only when the
    // dial-in service is not the chosen connection.
    virtual void ShowDialTestControls() = 0;
    virtual void SetWizardButtons(unsigned flags) = 0;  // from the worker: posted, does not wait
    virtual void PressNext() = 0;                       // waits until the wizard took it
};

// The search view over the page's controls and the wizard.
class DialogSearchView : public SearchView {
public:
    DialogSearchView(DialogItems& items, WizardHost& host) : items_(items), host_(host) {}
    void ShowPort(const std::string& text) override { items_.SetText(ctl::kPortField, text); }
    void ShowModem(const std::string& text) override { items_.SetText(ctl::kModemField, text); }
    void ShowStatus(const std::string& text) override { items_.SetText(ctl::kResultLine, text); }
    void ShowDialTestControls() override {
        using namespace ctl;
        for (int id :
             {kRunDialTest, kServiceCall, kOwnCall, kPrefixField, kPrefixLabel, kWaitDialTone}) {
            items_.Show(id, true);
        }
        if (!items_.IsChecked(kServiceCall)) {
            items_.Show(kOwnNumberLabel, true);
            items_.Show(kOwnNumberField, true);
        }
    }
    void SetWizardButtons(unsigned flags) override { host_.SetWizardButtons(flags); }
    void PressNext() override { host_.PressButton(WizardButton::Next); }

private:
    DialogItems& items_;
    WizardHost& host_;
};

}  // namespace nubo
