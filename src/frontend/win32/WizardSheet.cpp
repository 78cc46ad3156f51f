// The wizard sheet.
#include "frontend/win32/WizardSheet.h"

#include <commctrl.h>

#include <algorithm>
#include <iostream>

#include "frontend/win32/Dpi.h"
#include "frontend/win32/TemplatePage.h"
#include "platform/win32/WideText.h"
#include "ui/DialogTemplates.h"
#include "ui/HelpFile.h"
#include "wizard/Texts.h"

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

// A canvas in the window colour with the picture at (x, y). Sizes and
// places are given for 96 DPI: at another DPI the picture is stretched with
// its canvas, else it would stand apart from the sheet's texts, which grow.
HBITMAP ComposeBitmap(int pictureId, int width, int height, int x, int y, int dpi) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    auto picture = static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(pictureId), IMAGE_BITMAP, 0, 0, 0));
    if (picture && dpi != 96) {
        BITMAP bm{};
        GetObjectW(picture, sizeof bm, &bm);
        HBITMAP stretched =
            StretchedBitmap(picture, Scaled(bm.bmWidth, dpi), Scaled(bm.bmHeight, dpi));
        DeleteObject(picture);
        picture = stretched;
    }
    width = Scaled(width, dpi);
    height = Scaled(height, dpi);
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
        BitBlt(to, Scaled(x, dpi), Scaled(y, dpi), bm.bmWidth, bm.bmHeight, from, 0, 0, SRCCOPY);
        SelectObject(from, oldFrom);
        DeleteObject(picture);
    }
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    return canvas;
}

// Whether anyone can see a window of this process. A service, a task run
// whether the user is logged on or not, or a tool running as SYSTEM gets a
// window station that is not visible, or no desktop at all; a box shown
// there waits for a click that never comes.
bool AnyoneSeesWindows() {
    if (!GetThreadDesktop(GetCurrentThreadId())) return false;
    HWINSTA station = GetProcessWindowStation();
    if (!station) return false;
    USEROBJECTFLAGS flags{};
    if (GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
        !(flags.dwFlags & WSF_VISIBLE)) {
        return false;
    }
    // Wine's null display driver shows nothing to anybody, yet it answers as
    // a visible desktop on every count Windows offers (window station flags,
    // input desktop, monitors, screen metrics, display settings: all those
    // of a 1024 x 768 screen). Under Wine, its driver setting decides.
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return true;
    wchar_t drivers[64] = L"";
    DWORD size = sizeof drivers;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Wine\\Drivers", L"Graphics", RRF_RT_REG_SZ,
                     nullptr, drivers, &size) != ERROR_SUCCESS) {
        return true;
    }
    // A list of drivers to try in turn: the first that loads is used.
    std::wstring first(drivers);
    first = first.substr(0, first.find(L','));
    return lstrcmpiW(first.c_str(), L"null") != 0;
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
    : pages_(std::move(pages)), newStyle_(newStyle), boxesSeen_(AnyoneSeesWindows()) {
    for (const auto& [topic, text] : LoadHelpFile(helpFile)) help_[topic] = Widen(text);
    for (WizardPage* page : pages_) {
        windows_.push_back(std::make_unique<TemplatePage>(*page, *this, dispatcher_));
    }
    caption_ = Widen(texts::Text(kSheetCaption));
    if (newStyle_) {
        const bool low = LowColourDisplay();
        // The sheet does not exist yet: it will come up at the screen's DPI.
        const int dpi = WindowDpi(nullptr);
        auto compose = [low, dpi](const SheetPicture& p) {
            return ComposeBitmap(p.Id(low), p.width, p.height, p.x, p.y, dpi);
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
    if (dispatcher_.OnUiThread()) {
        // At once: a second Return or click that waits behind the one that
        // brought the page must meet this page's buttons. And once more when
        // the notification under way has returned, since the sheet does not
        // take every change sent from inside PSN_SETACTIVE properly.
        ApplyButtons(flags);
    }
    dispatcher_.Post([this, flags] { ApplyButtons(flags); });
}

void WizardSheet::PressButton(WizardButton button) {
    const int index = ButtonIndex(button);
    dispatcher_.Send([this, index] {
        if (sheet_) SendMessageW(sheet_, PSM_PRESSBUTTON, static_cast<WPARAM>(index), 0);
    });
}

bool WizardSheet::RunOnUi(std::function<void()> fn) {
    return dispatcher_.Send(std::move(fn));
}

void WizardSheet::PostToUi(std::function<void()> fn) {
    dispatcher_.Post(std::move(fn));
}

std::function<void()> WizardSheet::ThreadInterrupter() {
    // CancelSynchronousIo wants a real handle of the worker with
    // THREAD_TERMINATE access; the pseudo handle means the caller's thread.
    HANDLE self = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self,
                         THREAD_TERMINATE, FALSE, 0)) {
        return {};
    }
    const std::shared_ptr<void> thread(self, [](HANDLE h) { CloseHandle(h); });
    // A CreateFile that waits for a paired wireless device gives up with
    // ERROR_OPERATION_ABORTED; with nothing under way this does nothing.
    return [thread] { CancelSynchronousIo(thread.get()); };
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
thread_local HWND boxOwnerWindow = nullptr;
}  // namespace

LRESULT CALLBACK WizardSheet::BoxHook(int code, WPARAM wp, LPARAM lp) {
    // Owned by the sheet, the box stays in front of it; given as the owner to
    // MessageBoxW, the sheet would be disabled until the box is closed.
    if (code == HCBT_ACTIVATE && boxOwner && boxOwnerWindow) {
        auto box = reinterpret_cast<HWND>(wp);
        bool ours = false;
        {
            std::lock_guard lock(boxOwner->boxMutex_);
            ours = std::find(boxOwner->boxes_.begin(), boxOwner->boxes_.end(), box) !=
                   boxOwner->boxes_.end();
        }
        // Outside the lock: the UI thread may wait for it while this talks to the sheet.
        if (ours && GetWindow(box, GW_OWNER) != boxOwnerWindow) {
            SetWindowLongPtrW(box, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(boxOwnerWindow));
        }
    }
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
    if (!boxesSeen_) {
        // As the program without a display does: said, and the run goes on.
        std::cerr << caption << ": " << text << std::endl;
        return;
    }
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
    boxOwnerWindow = dispatcher_.OnUi([this] { return sheet_; });
    HHOOK hook = SetWindowsHookExW(WH_CBT, BoxHook, nullptr, GetCurrentThreadId());
    MessageBoxW(nullptr, wideText.c_str(), wideCaption.c_str(), kStyle);
    if (hook) UnhookWindowsHookEx(hook);
    boxOwner = nullptr;
    boxOwnerWindow = nullptr;
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
