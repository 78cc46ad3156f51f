// The wizard: the common controls' property sheet in wizard mode, plain or
// wizard 97, over the pages' TemplatePages. Runs on the UI thread; its
// WizardHost methods may be called from a page's worker.
#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <windows.h>

#include "frontend/win32/UiDispatcher.h"
#include "wizard/WizardHost.h"
#include "wizard/WizardPage.h"

namespace nubo {

class TemplatePage;

class WizardSheet : public WizardHost {
public:
    WizardSheet(std::vector<WizardPage*> pages, bool newStyle, const std::string& helpFile);
    ~WizardSheet() override;

    // Runs the sheet modally; true when it ended by Cancel. Every page's worker
    // has been stopped when it returns.
    bool RunModal();

    void SetWizardButtons(unsigned flags) override;
    void PressButton(WizardButton button) override;
    void EndWizard(int result) override;
    void ShowMessageBox(const std::string& text, const std::string& caption) override;
    bool RunOnUi(std::function<void()> fn) override;
    void PostToUi(std::function<void()> fn) override;
    std::function<void()> ThreadInterrupter() override;
    void CloseWorkerCalls() override;
    void OpenWorkerCalls() override;

    // Called by the pages on the UI thread.
    void PageCreated(HWND page);
    void PageActivated();
    void Cancelled() { cancelled_ = true; }
    bool NewStyle() const { return newStyle_; }
    // The help text of a topic; empty when the help file has none.
    std::wstring HelpText(int topic) const;

private:
    static LRESULT CALLBACK BoxHook(int code, WPARAM wp, LPARAM lp);
    void ApplyButtons(unsigned flags);

    std::vector<WizardPage*> pages_;
    bool newStyle_;
    UiDispatcher dispatcher_;
    std::vector<std::unique_ptr<TemplatePage>> windows_;
    std::map<int, std::wstring> help_;
    std::wstring caption_;
    HWND sheet_ = nullptr;
    HBITMAP watermark_ = nullptr;
    HBITMAP header_ = nullptr;
    bool cancelled_ = false;
    // False where nobody can see a window: boxes then go to stderr.
    const bool boxesSeen_;
    // Message boxes of the workers: each runs on its worker's thread, so that
    // it blocks only that worker; closing the worker calls closes them too.
    std::mutex boxMutex_;
    std::vector<HWND> boxes_;
    bool boxesClosed_ = false;
};

}  // namespace nubo
