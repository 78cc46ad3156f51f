// The four wizard pages.
#include "ui/Pages.h"

#include "discovery/PortList.h"
#include "run/RunSettings.h"
#include "ui/DialogTemplates.h"
#include "wizard/Texts.h"

namespace nubo {
namespace {

const TitleFont kOldStyleTitleFont{"MS Shell Dlg", 20, 700};

void SetOldStyleTitleFont(RunSettings& settings, DialogItems& items) {
    if (!settings.newStyleWizard) items.SetTitleFont(ctl::kOldStyleTitle, kOldStyleTitleFont);
}

using namespace ctl;

// All dial-test controls but the check box that switches them.
constexpr int kDependent[] = {kServiceCall,  kOwnCall,        kPrefixField,   kPrefixLabel,
                              kWaitDialTone, kOwnNumberLabel, kOwnNumberField};

}  // namespace

// ---- Welcome page -------------------------------------------------------------------------

CWelcomeP::CWelcomeP(RunSettings& settings, PageIds ids, bool newStyle)
    : WizardPage(settings, ids, newStyle) {}

void CWelcomeP::OnCreate() {
    items_->SetTitleFont(kWelcomeTitle, {"Verdana", 20, 700});
}

void CWelcomeP::OnSetActive() {
    host_->SetWizardButtons(kWizNext);
}

// ---- Port page ----------------------------------------------------------------------------

CCommP::CCommP(RunSettings& settings, PageServices services, PageIds ids)
    : WizardPage(settings, ids, false), services_(services) {}

void CCommP::OnCreate() {
    SetOldStyleTitleFont(settings_, *items_);
    items_->Check(kAllPorts, true);
    items_->ListReset(kPortBox);
    for (const std::string& name : ReadPortList(services_.ports)) items_->ListAdd(kPortBox, name);
    items_->ListSelect(kPortBox, 0);
}

void CCommP::OnSetActive() {
    host_->SetWizardButtons(kWizBack | kWizNext);
}

void CCommP::OnCommand(int controlId) {
    if (controlId == kAllPorts) {
        items_->Enable(kPortLabel, false);
        items_->Enable(kPortBox, false);
    } else if (controlId == kOnePort) {
        items_->Check(kAllPorts, false);
        items_->Enable(kPortLabel, true);
        items_->Enable(kPortBox, true);
    }
}

bool CCommP::OnWizardNext() {
    const std::string port = items_->ListSelectedText(kPortBox);
    // "Select a port" with nothing to select: a port that does not exist
    // helps nobody, so the search looks on every port instead.
    if (!items_->IsChecked(kAllPorts) && !port.empty()) {
        settings_.port = port;
        settings_.searchAllPorts = false;
    } else {
        settings_.searchAllPorts = true;
    }
    return true;
}

// ---- Search page --------------------------------------------------------------------------

CConfigP::CConfigP(RunSettings& settings, PageServices services, PageIds ids)
    : WizardPage(settings, ids, false), services_(services), ini_(services.system) {}

CConfigP::~CConfigP() {
    OnClose();
}

void CConfigP::OnCreate() {
    SetOldStyleTitleFont(settings_, *items_);
    for (int id : {kPortField, kModemField, kLocationNumber}) items_->SetReadOnly(id, true);
    items_->Check(kServiceCall, true);
    items_->Check(kOwnCall, false);
    items_->Check(kWaitDialTone, true);
    view_ = std::make_unique<DialogSearchView>(*items_, *host_);
    search_ = std::make_unique<ModemSearch>(*host_);
}

void CConfigP::OnSetActive() {
    host_->SetWizardButtons(kWizBack);
    for (int id : {kPortField, kModemField, kResultLine}) items_->SetText(id, "");
    for (int id : {kRunDialTest, kServiceCall, kOwnCall, kPrefixField, kPrefixLabel, kWaitDialTone,
                   kOwnNumberLabel, kOwnNumberField}) {
        items_->Show(id, false);
    }
    // After Back and Next the search before may still run: Start cancels it
    // and begins anew once it has ended, without waiting here.
    search_->Start({settings_, ini_, services_.ports, SerialLine{services_.serial, services_.clock},
                    services_.records.modem, services_.records.commands, *host_, *view_});
}

void CConfigP::OnCommand(int controlId) {
    switch (controlId) {
        case kRunDialTest:
            if (items_->IsChecked(kRunDialTest)) {
                for (int id : kDependent) items_->Enable(id, true);
                const bool ownNumber = !items_->IsChecked(kServiceCall);
                items_->Show(kOwnNumberLabel, ownNumber);
                items_->Show(kOwnNumberField, ownNumber);
                LoadDialData(DialDataPath(services_.system), *items_, dialEntries_);
            } else {
                for (int id : kDependent) items_->Enable(id, false);
            }
            break;
        case kServiceCall:
            items_->Show(kOwnNumberLabel, false);
            items_->Show(kOwnNumberField, false);
            break;
        case kOwnCall:
            items_->Show(kOwnNumberLabel, true);
            items_->Show(kOwnNumberField, true);
            items_->Focus(kOwnNumberField);
            break;
        case kLocationBox:
            ShowLocationNumber(*items_, dialEntries_);
            break;
        default:
            break;
    }
}

bool CConfigP::OnWizardNext() {
    // A Next that reached the page before its search showed an outcome (a
    // second Return or click that piled up behind the one that brought the
    // page) would test a modem that nobody has found.
    if (!search_->Reported()) return false;
    if (items_->IsChecked(kRunDialTest)) {
        const std::string number = items_->IsChecked(kOwnCall) ? items_->GetText(kOwnNumberField)
                                                               : items_->GetText(kLocationNumber);
        settings_.phoneNumber = items_->GetText(kPrefixField) + number;
        if (!items_->IsChecked(kWaitDialTone)) {
            settings_.noDialTone = true;
        } else if (!settings_.automaticMode) {
            settings_.noDialTone = false;
        }
    } else if (!settings_.automaticMode) {
        settings_.phoneNumber.clear();
    }
    search_->Leave();
    return true;
}

bool CConfigP::OnWizardBack() {
    // The search goes on (and logs), but the pages before this one are not its.
    search_->Leave();
    return true;
}

void CConfigP::OnClose() {
    if (search_) search_->Stop();
}

bool CConfigP::Searching() const {
    return search_ && search_->Running();
}

// ---- Test page ----------------------------------------------------------------------------

CTestP::CTestP(RunSettings& settings, PageServices services, PageIds ids)
    : WizardPage(settings, ids, false), services_(services) {}

CTestP::~CTestP() {
    StopWorker();
}

void CTestP::OnCreate() {
    SetOldStyleTitleFont(settings_, *items_);
    run_ = std::make_unique<TestRun>(*host_);
}

ModemTestContext CTestP::TestContext() {
    return {settings_, services_.records.commands, TestLine{services_.serial, services_.clock},
            ModemRegistration{services_.system, nullptr, &services_.installedModems}};
}

bool CTestP::Testing() const {
    return run_ && run_->Running();
}

CTestP::Rect CTestP::ResultListRect() const {
    return settings_.newStyleWizard ? Rect{31, 37, 430, 162} : Rect{31, 107, 430, 222};
}

void CTestP::OnSetActive() {
    items_->SetText(kResultLine, "");
    // An unattended run tests on the worker too, so that the window stays
    // alive and Cancel (or a signal) stops the test under way; it shows no
    // rows and ends the wizard itself.
    host_->SetWizardButtons(kWizDisabledFinish);
    resultList_.RemoveAll();
    if (settings_.automaticMode) {
        run_->Start({TestContext(), resultList_, *items_, *host_});
        return;
    }
    for (int id : {46, 47, 48}) resultList_.AddItem(texts::Text(id));
    if (!settings_.phoneNumber.empty()) {
        resultList_.AddItem(texts::Text(49));
        if (!services_.records.commands.diagCmd.empty()) resultList_.AddItem(texts::Text(60));
    }
    run_->Start({TestContext(), resultList_, *items_, *host_});
}

void CTestP::OnClose() {
    StopWorker();
}

void CTestP::StopWorker() {
    if (run_) run_->Stop();
}

}  // namespace nubo
