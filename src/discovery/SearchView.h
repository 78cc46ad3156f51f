// What the modem search shows on the search page. The search calls it from its
// worker thread; the search's owner carries each call out on the UI thread
// while the page is active (else drops it), so that DialogSearchView, the
// page's own, is called on the UI thread only.
#pragma once
#include <string>

#include "platform/DialogItems.h"
#include "platform/WizardHost.h"

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

// Control ids of the search page that the search writes to.
namespace searchpage {
constexpr int kPortField = 1028;
constexpr int kModemField = 1030;
constexpr int kStatusLine = 1022;
constexpr int kRunDialTest = 1035;
constexpr int kServiceCall = 1062;
constexpr int kOwnCall = 1063;
constexpr int kPrefixLabel = 1041;
constexpr int kPrefixField = 1042;
constexpr int kWaitDialTone = 1066;
constexpr int kOwnNumberLabel = 1039;
constexpr int kOwnNumberField = 1038;
}  // namespace searchpage

// The search view over the page's controls and the wizard.
class DialogSearchView : public SearchView {
public:
    DialogSearchView(DialogItems& items, WizardHost& host) : items_(items), host_(host) {}
    void ShowPort(const std::string& text) override {
        items_.SetText(searchpage::kPortField, text);
    }
    void ShowModem(const std::string& text) override {
        items_.SetText(searchpage::kModemField, text);
    }
    void ShowStatus(const std::string& text) override {
        items_.SetText(searchpage::kStatusLine, text);
    }
    void ShowDialTestControls() override {
        using namespace searchpage;
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
