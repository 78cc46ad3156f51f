// What a page may ask of the wizard sheet. Any method may be called from a
// page's worker thread. From a worker, SetWizardButtons and PostToUi are
// posted (they do not wait); PressButton, EndWizard, RunOnUi and
// ShowMessageBox wait until the UI thread took them. On the UI thread
// SetWizardButtons and PressButton act at once: a Return or click that piled
// up behind the press that changed the page meets the new page's buttons.
#pragma once
#include <functional>
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
    // Not from a page's own notifications: the press would change the page
    // while the sheet is still busy with it.
    virtual void PressButton(WizardButton button) = 0;
    // Ends the sheet with a result that is not Cancel.
    virtual void EndWizard(int result) = 0;
    // Blocks the calling thread until the user acknowledged the box. Without a
    // display the text goes to stderr and the call returns at once.
    virtual void ShowMessageBox(const std::string& text, const std::string& caption) = 0;

    // Runs fn on the UI thread and waits for it (at once on the UI thread).
    // False when the worker calls are closed and fn did not run.
    virtual bool RunOnUi(std::function<void()> fn) = 0;
    // Runs fn on the UI thread later, unless the worker calls close first.
    virtual void PostToUi(std::function<void()> fn) = 0;
    // Called on a worker thread as it starts: what another thread may call to
    // make this worker give up a system call that blocks (an open of a port
    // that keeps looking for its device). Empty where the platform cannot.
    virtual std::function<void()> ThreadInterrupter() { return {}; }

    // A page that stops its worker first closes the worker's way to the UI:
    // calls in flight and later ones return at once without effect, so the UI
    // thread can then join the worker without a deadlock. Reopen before the
    // next worker starts. Called on the UI thread only.
    virtual void CloseWorkerCalls() = 0;
    virtual void OpenWorkerCalls() = 0;
};

}  // namespace nubo
