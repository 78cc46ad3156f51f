// What a page may ask of the wizard sheet. SetWizardButtons is posted (it does
// not wait); PressButton and ShowMessageBox wait until the UI thread took them.
// Any method may be called from a page's worker thread.
#pragma once
#include <string>

namespace nubo {

// Values of the platform's wizard-button flags.
enum WizardButtonFlags : unsigned {
    kWizBack = 0x1,
    kWizNext = 0x2,
    kWizFinish = 0x4,
    kWizDisabledFinish = 0x8,
};

enum class WizardButton { Back, Next, Finish, Cancel };

class WizardHost {
public:
    virtual ~WizardHost() = default;
    virtual void SetWizardButtons(unsigned flags) = 0;
    virtual void PressButton(WizardButton button) = 0;
    // Ends the sheet with a result that is not Cancel.
    virtual void EndWizard(int result) = 0;
    // Blocks the calling thread until the user acknowledged the box. Without a
    // display the text goes to stderr and the call returns at once.
    virtual void ShowMessageBox(const std::string& text, const std::string& caption) = 0;

    // A page that stops its worker first closes the worker's way to the UI:
    // calls in flight and later ones return at once without effect, so the UI
    // thread can then join the worker without a deadlock. Reopen before the
    // next worker starts. Called on the UI thread only.
    virtual void CloseWorkerCalls() = 0;
    virtual void OpenWorkerCalls() = 0;
};

}  // namespace nubo
