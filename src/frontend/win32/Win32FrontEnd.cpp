// The native Windows front end: common-controls set-up and the property sheet.
#include "frontend/win32/Win32FrontEnd.h"

#include <windows.h>

#include <commctrl.h>

#include <iostream>

#include "frontend/win32/WizardSheet.h"

namespace nubo {
namespace {

class Win32FrontEnd : public FrontEnd {
public:
    bool Prepare(bool /*interactive*/) override {
        INITCOMMONCONTROLSEX icc{};
        icc.dwSize = sizeof icc;
        icc.dwICC = ICC_WIN95_CLASSES;
        // An old library without the call still registers its classes on load.
        if (!InitCommonControlsEx(&icc)) InitCommonControls();
        // Where no window can be made (no display at all), the sheet would end
        // at once as if nothing had failed: say so and let the run end.
        HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        if (!probe) {
            std::cerr << "nubotest: no display for the wizard\n";
            return false;
        }
        DestroyWindow(probe);
        return true;
    }

    bool RunSheet(const std::vector<WizardPage*>& pages, RunSettings& settings,
                  const std::string& helpFile) override {
        WizardSheet sheet(pages, settings.newStyleWizard, helpFile);
        return sheet.RunModal();
    }
};

}  // namespace

std::unique_ptr<FrontEnd> CreateWin32FrontEnd() {
    return std::make_unique<Win32FrontEnd>();
}

}  // namespace nubo
