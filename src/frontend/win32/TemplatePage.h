// One wizard page as a property-sheet page: its in-memory dialog template,
// built from the page's template in src/ui, its dialog procedure, and the
// DialogItems the page talks to. Created on the UI thread; DialogItems calls
// may come from a worker and are carried over by the dispatcher.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include <commctrl.h>

#include "frontend/win32/UiDispatcher.h"
#include "ui/DialogTemplates.h"
#include "wizard/DialogItems.h"
#include "wizard/WizardPage.h"

namespace nubo {

class WizardSheet;
class ResultListView;

// The page's dialog template in memory (the extended kind, with its font).
std::vector<DWORD> BuildDialog(const DialogTemplate& dialog, const std::wstring& caption);

class TemplatePage : public DialogItems {
public:
    TemplatePage(WizardPage& page, WizardSheet& sheet, UiDispatcher& dispatcher);
    ~TemplatePage() override;
    TemplatePage(const TemplatePage&) = delete;
    TemplatePage& operator=(const TemplatePage&) = delete;

    // The page for the sheet header; valid as long as this object lives.
    PROPSHEETPAGEW SheetPage(bool newStyle);
    bool Created() const { return created_; }
    WizardPage& Page() { return page_; }

    void SetText(int id, const std::string& text) override;
    std::string GetText(int id) override;
    void Show(int id, bool show) override;
    void Enable(int id, bool enable) override;
    bool IsEnabled(int id) override;
    void Check(int id, bool checked) override;
    bool IsChecked(int id) override;
    void SetReadOnly(int id, bool readOnly) override;
    void ListReset(int id) override;
    int ListAdd(int id, const std::string& text) override;
    int ListCount(int id) override;
    void ListSelect(int id, int index) override;
    int ListSelectedIndex(int id) override;
    std::string ListSelectedText(int id) override;
    void Focus(int id) override;
    void SetTitleFont(int id, const TitleFont& font) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Notify(const NMHDR& header);
    void StretchPicture();
    void ShowHelp(HWND control, POINT at);
    ControlKind KindOf(int id) const;
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

    WizardPage& page_;
    WizardSheet& sheet_;
    UiDispatcher& dispatcher_;
    const DialogTemplate* template_;
    std::vector<DWORD> dialog_;  // the in-memory template, DWORD-aligned
    std::wstring headerTitle_;
    std::wstring headerSubtitle_;
    HWND hwnd_ = nullptr;
    bool created_ = false;
    std::map<int, HFONT> titleFonts_;
    HBITMAP picture_ = nullptr;  // the picture control's, stretched to the DPI
    std::unique_ptr<ResultListView> resultList_;
};

}  // namespace nubo
