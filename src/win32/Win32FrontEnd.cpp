// The native Windows front end: common-controls set-up and the property sheet.
#include "win32/Win32FrontEnd.h"

#include <windows.h>

#include <commctrl.h>

#include "win32/WizardSheet.h"

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
