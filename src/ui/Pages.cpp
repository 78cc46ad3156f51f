// The four wizard pages.
#include "ui/Pages.h"

#include "log/RunSettings.h"

namespace nubo {
namespace {

constexpr int kOldStyleTitle = 1068;

void SetOldStyleTitleFont(RunSettings& settings, DialogItems& items) {
    if (!settings.newStyleWizard) items.SetTitleFont(kOldStyleTitle, {"MS Shell Dlg", 20, 700});
}

}  // namespace

CWelcomeP::CWelcomeP(RunSettings& settings, PageServices services, PageIds ids, bool newStyle)
    : WizardPage(settings, ids, newStyle), services_(services) {}

void CWelcomeP::OnCreate() { items_->SetTitleFont(1020, {"Verdana", 20, 700}); }

void CWelcomeP::OnSetActive() { host_->SetWizardButtons(kWizNext); }

CCommP::CCommP(RunSettings& settings, PageServices services, PageIds ids)
    : WizardPage(settings, ids, false), services_(services) {}

void CCommP::OnCreate() { SetOldStyleTitleFont(settings_, *items_); }

void CCommP::OnSetActive() { host_->SetWizardButtons(kWizBack | kWizNext); }

CConfigP::CConfigP(RunSettings& settings, PageServices services, PageIds ids)
    : WizardPage(settings, ids, false), services_(services) {}

void CConfigP::OnCreate() { SetOldStyleTitleFont(settings_, *items_); }

void CConfigP::OnSetActive() {
    if (settings_.automaticMode) {
        host_->PressButton(WizardButton::Next);
    } else {
        host_->SetWizardButtons(kWizBack | kWizNext);
    }
}

CTestP::CTestP(RunSettings& settings, PageServices services, PageIds ids)
    : WizardPage(settings, ids, false), services_(services) {}

void CTestP::OnCreate() { SetOldStyleTitleFont(settings_, *items_); }

void CTestP::OnSetActive() {
    if (settings_.automaticMode) {
        host_->EndWizard(0);
    } else {
        host_->SetWizardButtons(kWizBack | kWizFinish);
    }
}

}  // namespace nubo
