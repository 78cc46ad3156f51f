// The wizard sheet.
#include "win32/WizardSheet.h"

#include <commctrl.h>

#include "platform/Texts.h"
#include "ui/DialogTemplates.h"
#include "ui/HelpFile.h"
#include "win32/PageWindow.h"
#include "platform/win32/WideText.h"

namespace nubo {
namespace {

constexpr int kSheetCaption = 1;
// The wizard-97 flag of the property-sheet generation that introduced it.
constexpr DWORD kWizard97 = 0x2000;
// Control ids of the sheet's own buttons.
constexpr int kBackButton = 0x3023;
constexpr int kNextButton = 0x3024;
constexpr int kFinishButton = 0x3025;

bool LowColourDisplay() {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    return EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmBitsPerPel == 4;
}

// A canvas in the window colour with the picture copied unscaled at (x, y).
HBITMAP ComposeBitmap(int pictureId, int width, int height, int x, int y) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    auto picture = static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(pictureId), IMAGE_BITMAP, 0, 0, 0));
    HDC screen = GetDC(nullptr);
    HBITMAP canvas = CreateCompatibleBitmap(screen, width, height);
    HDC to = CreateCompatibleDC(screen);
    HDC from = CreateCompatibleDC(screen);
    HGDIOBJ oldTo = SelectObject(to, canvas);
    RECT all{0, 0, width, height};
    FillRect(to, &all, GetSysColorBrush(COLOR_WINDOW));
    if (picture) {
        BITMAP bm{};
        GetObjectW(picture, sizeof bm, &bm);
        HGDIOBJ oldFrom = SelectObject(from, picture);
        BitBlt(to, x, y, bm.bmWidth, bm.bmHeight, from, 0, 0, SRCCOPY);
        SelectObject(from, oldFrom);
        DeleteObject(picture);
    }
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    return canvas;
}

int ButtonIndex(WizardButton button) {
    switch (button) {
        case WizardButton::Back:
            return PSBTN_BACK;
        case WizardButton::Next:
            return PSBTN_NEXT;
        case WizardButton::Finish:
            return PSBTN_FINISH;
        case WizardButton::Cancel:
            return PSBTN_CANCEL;
    }
    return PSBTN_CANCEL;
}

}  // namespace

WizardSheet::WizardSheet(std::vector<WizardPage*> pages, bool newStyle, const std::string& helpFile)
    : pages_(std::move(pages)), newStyle_(newStyle) {
    for (const auto& [topic, text] : LoadHelpFile(helpFile)) help_[topic] = Widen(text);
    for (WizardPage* page : pages_) {
        windows_.push_back(std::make_unique<PageWindow>(*page, *this, dispatcher_));
    }
    caption_ = Widen(texts::Text(kSheetCaption));
    if (newStyle_) {
        const bool low = LowColourDisplay();
        auto compose = [low](const SheetPicture& p) {
            return ComposeBitmap(p.Id(low), p.width, p.height, p.x, p.y);
        };
        watermark_ = compose(kWatermark);
        header_ = compose(kHeader);
    }
}

WizardSheet::~WizardSheet() {
    for (HBITMAP b : {watermark_, header_}) {
        if (b) DeleteObject(b);
    }
}

bool WizardSheet::RunModal() {
    std::vector<PROPSHEETPAGEW> sheetPages;
    for (auto& w : windows_) sheetPages.push_back(w->SheetPage(newStyle_));
    PROPSHEETHEADERW psh{};
    psh.dwSize = sizeof psh;
    psh.dwFlags = PSH_PROPSHEETPAGE | PSH_WIZARD | PSH_WIZARDCONTEXTHELP;
    psh.hInstance = GetModuleHandleW(nullptr);
    psh.nPages = static_cast<UINT>(sheetPages.size());
    psh.ppsp = sheetPages.data();
    if (newStyle_) {
        psh.dwFlags |=
            kWizard97 | PSH_WATERMARK | PSH_USEHBMWATERMARK | PSH_HEADER | PSH_USEHBMHEADER;
        psh.pszCaption = caption_.c_str();
        psh.hbmWatermark = watermark_;
        psh.hbmHeader = header_;
    }
    const INT_PTR result = PropertySheetW(&psh);
    if (result < 0) cancelled_ = true;  // the sheet could not be shown at all
    // Pages were destroyed with the sheet; their workers may still run, but
    // their calls to the UI go nowhere now. Stop them outside any handler.
    CloseWorkerCalls();
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        if (windows_[i]->Created()) pages_[i]->OnClose();
    }
    sheet_ = nullptr;
    return cancelled_;
}

void WizardSheet::PageCreated(HWND page) {
    sheet_ = GetParent(page);
}

void WizardSheet::PageActivated() {
    // Parts of the sheet keep the previous page's paint otherwise.
    dispatcher_.Post([this] {
        if (sheet_)
            RedrawWindow(sheet_, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    });
}

std::wstring WizardSheet::HelpText(int topic) const {
    auto it = help_.find(topic);
    return it == help_.end() ? std::wstring() : it->second;
}

void WizardSheet::ApplyButtons(unsigned flags) {
    if (!sheet_) return;
    SendMessageW(sheet_, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(flags));
    // A disabled button cannot keep the focus, and a focus that fell back on
    // Cancel must come off it again: Enter is not meant to cancel. The sheet
    // puts the focus on a page's first tab stop, which may be a field only
    // shown to be read: a blinking caret there invites typing that goes nowhere.
    HWND focused = GetFocus();
    HWND cancel = GetDlgItem(sheet_, IDCANCEL);
    const bool readOnly = focused && (GetWindowLongW(focused, GWL_STYLE) & ES_READONLY) &&
                          (SendMessageW(focused, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL);
    const bool onButtons = focused == nullptr || focused == cancel ||
                           GetParent(focused) == sheet_ || !IsWindowEnabled(focused) || readOnly;
    if (!onButtons) return;
    const bool finish = flags & (kWizFinish | kWizDisabledFinish);
    HWND primary = GetDlgItem(sheet_, finish ? kFinishButton : kNextButton);
    HWND back = GetDlgItem(sheet_, kBackButton);
    HWND target = IsWindowEnabled(primary) ? primary : IsWindowEnabled(back) ? back : cancel;
    if (target != cancel) {
        SendMessageW(sheet_, DM_SETDEFID, static_cast<WPARAM>(GetDlgCtrlID(target)), 0);
    }
    SendMessageW(sheet_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
}

void WizardSheet::SetWizardButtons(unsigned flags) {
    dispatcher_.Post([this, flags] { ApplyButtons(flags); });
}

void WizardSheet::PressButton(WizardButton button) {
    const int index = ButtonIndex(button);
    if (dispatcher_.OnUiThread()) {
        // A page asking from inside a notification: the sheet takes it once that returned.
        if (sheet_) PostMessageW(sheet_, PSM_PRESSBUTTON, static_cast<WPARAM>(index), 0);
        return;
    }
    dispatcher_.Send([this, index] {
        if (sheet_) SendMessageW(sheet_, PSM_PRESSBUTTON, static_cast<WPARAM>(index), 0);
    });
}

void WizardSheet::EndWizard(int /*result*/) {
    auto finish = [this] {
        // The sheet takes Finish only while it shows the button.
        ApplyButtons(kWizFinish);
        if (sheet_) PostMessageW(sheet_, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    };
    if (dispatcher_.OnUiThread()) {
        dispatcher_.Post(finish);
    } else {
        dispatcher_.Send(finish);
    }
}

namespace {
thread_local WizardSheet* boxOwner = nullptr;
}  // namespace

LRESULT CALLBACK WizardSheet::BoxHook(int code, WPARAM wp, LPARAM lp) {
    // The box's window as soon as it exists: a close that came first closes it at once.
    if (code == HCBT_CREATEWND && boxOwner) {
        const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lp)->lpcs;
        const LPCWSTR cls = create->lpszClass;
        const bool dialog = IS_INTRESOURCE(cls) ? LOWORD(reinterpret_cast<ULONG_PTR>(cls)) == 0x8002
                                                : lstrcmpW(cls, L"#32770") == 0;
        if (dialog && !(create->style & WS_CHILD)) {
            auto box = reinterpret_cast<HWND>(wp);
            std::lock_guard lock(boxOwner->boxMutex_);
            boxOwner->boxes_.push_back(box);
            if (boxOwner->boxesClosed_) PostMessageW(box, WM_CLOSE, 0, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

void WizardSheet::ShowMessageBox(const std::string& text, const std::string& caption) {
    const std::wstring wideText = Widen(text);
    const std::wstring wideCaption = Widen(caption);
    constexpr UINT kStyle = MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND;
    if (dispatcher_.OnUiThread()) {
        MessageBoxW(sheet_, wideText.c_str(), wideCaption.c_str(), kStyle);
        return;
    }
    {
        std::lock_guard lock(boxMutex_);
        if (boxesClosed_) return;
    }
    // Shown on the worker's own thread: the sheet stays usable, and its
    // Cancel closes the box along with the run.
    boxOwner = this;
    HHOOK hook = SetWindowsHookExW(WH_CBT, BoxHook, nullptr, GetCurrentThreadId());
    MessageBoxW(nullptr, wideText.c_str(), wideCaption.c_str(), kStyle);
    if (hook) UnhookWindowsHookEx(hook);
    boxOwner = nullptr;
    std::lock_guard lock(boxMutex_);
    boxes_.clear();
}

void WizardSheet::CloseWorkerCalls() {
    dispatcher_.Close();
    std::lock_guard lock(boxMutex_);
    boxesClosed_ = true;
    // A box with only OK takes a close like OK.
    for (HWND box : boxes_) PostMessageW(box, WM_CLOSE, 0, 0);
}

void WizardSheet::OpenWorkerCalls() {
    dispatcher_.Open();
    std::lock_guard lock(boxMutex_);
    boxesClosed_ = false;
}

}  // namespace nubo
