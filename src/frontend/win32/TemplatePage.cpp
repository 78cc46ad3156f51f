// One wizard page as a property-sheet page.
#include "frontend/win32/TemplatePage.h"

#include <algorithm>

#include <windowsx.h>

#include "frontend/win32/Dpi.h"
#include "frontend/win32/HelpPopup.h"
#include "frontend/win32/ResultListView.h"
#include "frontend/win32/WizardSheet.h"
#include "platform/win32/WideText.h"
#include "ui/Pages.h"
#include "wizard/Texts.h"

namespace nubo {
namespace {

// Atoms of the predefined control classes in a dialog template.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kListBoxClass = 0x0083;
constexpr WORD kComboBoxClass = 0x0085;

// Writes a dialog template as the dialog manager reads it from memory.
class TemplateWriter {
public:
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void String(const std::wstring& s) {
        for (wchar_t c : s) Word(static_cast<WORD>(c));
        Word(0);
    }
    void AlignDword() {
        if (words_.size() % 2) Word(0);
    }
    std::vector<DWORD> Finish() {
        AlignDword();
        std::vector<DWORD> out(words_.size() / 2);
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = MAKELONG(words_[2 * i], words_[2 * i + 1]);
        }
        return out;
    }

private:
    std::vector<WORD> words_;
};

struct ControlClass {
    WORD atom;
    DWORD style;
};

ControlClass ClassOf(const ControlTemplate& c) {
    switch (c.kind) {
        case ControlKind::Static:
        case ControlKind::Title:
            return {kStaticClass, SS_LEFT};
        case ControlKind::Picture:
            return {kStaticClass, SS_BITMAP};
        case ControlKind::EtchedLine:
            return {kStaticClass, SS_ETCHEDHORZ};
        case ControlKind::RadioButton:
            return {kButtonClass, BS_RADIOBUTTON | WS_TABSTOP};
        case ControlKind::AutoRadioButton:
            return {kButtonClass, BS_AUTORADIOBUTTON | WS_TABSTOP};
        case ControlKind::CheckBox:
            return {kButtonClass, BS_AUTOCHECKBOX | WS_TABSTOP};
        case ControlKind::Edit:
            return {kEditClass, static_cast<DWORD>(WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP |
                                                   (c.readOnly ? ES_READONLY : 0))};
        case ControlKind::ListBox:
            // The scroll bar shows only when the entries do not fit.
            return {kListBoxClass, LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL |
                                       WS_BORDER | WS_TABSTOP};
        case ControlKind::ComboBox:
            return {kComboBoxClass, CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP};
        case ControlKind::GroupBox:
            return {kButtonClass, BS_GROUPBOX};
    }
    return {kStaticClass, SS_LEFT};
}

bool IsRadio(ControlKind kind) {
    return kind == ControlKind::RadioButton || kind == ControlKind::AutoRadioButton;
}

}  // namespace

// An extended template: the shell font is taken from no other kind.
std::vector<DWORD> BuildDialog(const DialogTemplate& dialog, const std::wstring& caption) {
    TemplateWriter w;
    w.Word(1);       // version
    w.Word(0xFFFF);  // the extended kind
    w.Dword(0);      // no help id
    w.Dword(0);
    // "MS Shell Dlg" with DS_SHELLFONT is the user interface font of the
    // system's language (same metrics as the old raster font, which covers
    // only the system code page): every language's texts show.
    w.Dword(WS_CHILD | WS_CAPTION | DS_SHELLFONT | DS_3DLOOK | DS_CONTROL);
    w.Word(static_cast<WORD>(dialog.controls.size()));
    for (int v : {0, 0, dialog.width, dialog.height}) w.Word(static_cast<WORD>(v));
    w.Word(0);  // no menu
    w.Word(0);  // the dialog class
    w.String(caption);
    w.Word(8);
    w.Word(FW_NORMAL);
    w.Word(MAKEWORD(FALSE, DEFAULT_CHARSET));  // not italic; the character set
    w.String(L"MS Shell Dlg");
    for (const ControlTemplate& c : dialog.controls) {
        w.AlignDword();
        const ControlClass cls = ClassOf(c);
        DWORD style = WS_CHILD | cls.style;
        if (c.visible) style |= WS_VISIBLE;
        if (!c.enabled) style |= WS_DISABLED;
        // A group of option buttons ends where the next control starts a group.
        if (c.firstInGroup || !IsRadio(c.kind)) style |= WS_GROUP;
        w.Dword(0);  // no help id
        w.Dword(0);
        w.Dword(style);
        for (int v : {c.x, c.y, c.w, c.h}) w.Word(static_cast<WORD>(v));
        w.Dword(static_cast<DWORD>(c.id));
        w.Word(0xFFFF);
        w.Word(cls.atom);
        if (c.kind == ControlKind::Picture) {
            w.Word(0xFFFF);  // a bitmap resource by its id
            w.Word(static_cast<WORD>(c.textKey));
        } else {
            w.String(Widen(texts::DialogText(dialog.id, c.textKey)));
        }
        w.Word(0);  // no creation data
    }
    return w.Finish();
}

TemplatePage::TemplatePage(WizardPage& page, WizardSheet& sheet, UiDispatcher& dispatcher)
    : page_(page), sheet_(sheet), dispatcher_(dispatcher) {
    static const DialogTemplate kEmpty{0, 317, 193, {}};
    template_ = FindTemplate(page.Ids().templateId);
    if (!template_) template_ = &kEmpty;
    dialog_ = BuildDialog(*template_, Widen(texts::Text(page.Ids().captionId)));
    if (page.Ids().titleId) headerTitle_ = Widen(texts::Text(page.Ids().titleId));
    if (page.Ids().subtitleId) headerSubtitle_ = Widen(texts::Text(page.Ids().subtitleId));
}

TemplatePage::~TemplatePage() {
    for (auto& [id, font] : titleFonts_) DeleteObject(font);
    if (picture_) DeleteObject(picture_);
}

PROPSHEETPAGEW TemplatePage::SheetPage(bool newStyle) {
    PROPSHEETPAGEW psp{};
    psp.dwSize = sizeof psp;
    psp.dwFlags = PSP_DLGINDIRECT;
    psp.hInstance = GetModuleHandleW(nullptr);
    psp.pResource = reinterpret_cast<LPCDLGTEMPLATEW>(dialog_.data());
    psp.pfnDlgProc = DialogProc;
    psp.lParam = reinterpret_cast<LPARAM>(this);
    if (newStyle) {
        if (page_.HidesHeader()) {
            psp.dwFlags |= PSP_HIDEHEADER;
        } else {
            psp.dwFlags |= PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
            psp.pszHeaderTitle = headerTitle_.c_str();
            psp.pszHeaderSubTitle = headerSubtitle_.c_str();
        }
    }
    return psp;
}

INT_PTR CALLBACK TemplatePage::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<TemplatePage*>(reinterpret_cast<PROPSHEETPAGEW*>(lp)->lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<TemplatePage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return self ? self->Handle(msg, wp, lp) : FALSE;
}

INT_PTR TemplatePage::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            created_ = true;
            sheet_.PageCreated(hwnd_);
            page_.Attach(*this, sheet_);
            page_.OnCreate();
            StretchPicture();
            if (auto* test = dynamic_cast<CTestP*>(&page_)) {
                // The result list is no template control: the page places it
                // in pixels of a 96-DPI display, where a dialog unit is 6/4 by
                // 13/8 pixels. It keeps its place among the template's texts
                // at any DPI by growing as their dialog units do, which is not
                // quite the DPI's ratio.
                const CTestP::Rect r = test->ResultListRect();
                RECT units{0, 0, 400, 800};
                MapDialogRect(hwnd_, &units);
                auto x = [&](int px) { return MulDiv(px, units.right, 600); };
                auto y = [&](int px) { return MulDiv(px, units.bottom, 1300); };
                resultList_ = std::make_unique<ResultListView>(
                    test->ResultList(), hwnd_, RECT{x(r.left), y(r.top), x(r.right), y(r.bottom)});
            }
            return TRUE;
        case WM_NOTIFY:
            return Notify(*reinterpret_cast<const NMHDR*>(lp));
        case WM_COMMAND: {
            const int id = LOWORD(wp);
            const int code = HIWORD(wp);
            const ControlKind kind = KindOf(id);
            const bool button = kind == ControlKind::CheckBox || IsRadio(kind);
            // Changes the program makes send no command; only the user's do.
            if ((button && code == BN_CLICKED) ||
                (kind == ControlKind::ListBox && code == LBN_SELCHANGE) ||
                (kind == ControlKind::ComboBox && code == CBN_SELCHANGE)) {
                page_.OnCommand(id);
            }
            return FALSE;
        }
        case WM_HELP: {
            const auto* info = reinterpret_cast<const HELPINFO*>(lp);
            if (info->iContextType != HELPINFO_WINDOW) return TRUE;
            auto* control = static_cast<HWND>(info->hItemHandle);
            RECT r;
            GetWindowRect(control, &r);
            // A key press has no useful mouse position: below the control then.
            const bool byMouse = (GetKeyState(VK_F1) & 0x8000) == 0;
            ShowHelp(control, byMouse ? info->MousePos : POINT{r.left, r.bottom});
            return TRUE;
        }
        case WM_CONTEXTMENU: {
            POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            // A disabled control gets no click of its own: look under the click.
            POINT client = at;
            ScreenToClient(hwnd_, &client);
            HWND control = ChildWindowFromPointEx(hwnd_, client, CWP_SKIPINVISIBLE);
            if (control && control != hwnd_) ShowHelp(control, at);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

INT_PTR TemplatePage::Notify(const NMHDR& header) {
    LONG_PTR result = 0;
    switch (header.code) {
        case PSN_SETACTIVE:
            page_.OnSetActive();
            sheet_.PageActivated();
            break;
        case PSN_WIZNEXT:
            result = page_.OnWizardNext() ? 0 : -1;
            break;
        case PSN_WIZBACK:
            result = page_.OnWizardBack() ? 0 : -1;
            break;
        case PSN_RESET:
            sheet_.Cancelled();
            break;
        default:
            return FALSE;
    }
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}

// The template's picture is loaded at its own size, drawn for 96 DPI; at a
// larger DPI it would fill only part of the grown page.
void TemplatePage::StretchPicture() {
    const int dpi = WindowDpi(hwnd_);
    if (dpi == 96) return;
    for (HWND c = GetWindow(hwnd_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) continue;
        auto shown = reinterpret_cast<HBITMAP>(SendMessageW(c, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP bm{};
        if (!shown || !GetObjectW(shown, sizeof bm, &bm)) continue;
        picture_ = StretchedBitmap(shown, Scaled(bm.bmWidth, dpi), Scaled(bm.bmHeight, dpi));
        SendMessageW(c, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_));
        // The control made the original itself; it is not handed back to it.
        DeleteObject(shown);
        return;
    }
}

void TemplatePage::ShowHelp(HWND control, POINT at) {
    const std::map<int, int> topics = page_.HelpMap();
    auto it = topics.find(GetDlgCtrlID(control));
    if (it == topics.end()) return;
    const std::wstring text = sheet_.HelpText(it->second);
    if (text.empty()) return;
    ShowHelpPopup(GetParent(hwnd_), text, at,
                  reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
}

ControlKind TemplatePage::KindOf(int id) const {
    for (const ControlTemplate& c : template_->controls) {
        if (c.id == id) return c.kind;
    }
    return ControlKind::Static;
}

void TemplatePage::SetText(int id, const std::string& text) {
    dispatcher_.OnUi([&] { SetWindowTextW(Item(id), Widen(text).c_str()); });
}

std::string TemplatePage::GetText(int id) {
    return dispatcher_.OnUi([&] {
        HWND item = Item(id);
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
        return Narrow(text);
    });
}

void TemplatePage::Show(int id, bool show) {
    dispatcher_.OnUi([&] { ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE); });
}

void TemplatePage::Enable(int id, bool enable) {
    dispatcher_.OnUi([&] { EnableWindow(Item(id), enable); });
}

bool TemplatePage::IsEnabled(int id) {
    return dispatcher_.OnUi([&] {
        HWND item = Item(id);
        return item && IsWindowEnabled(item) != FALSE;
    });
}

void TemplatePage::Check(int id, bool checked) {
    dispatcher_.OnUi([&] { CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED); });
}

bool TemplatePage::IsChecked(int id) {
    return dispatcher_.OnUi([&] { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; });
}

void TemplatePage::SetReadOnly(int id, bool readOnly) {
    dispatcher_.OnUi([&] { SendMessageW(Item(id), EM_SETREADONLY, readOnly, 0); });
}

void TemplatePage::ListReset(int id) {
    dispatcher_.OnUi([&] {
        SendMessageW(Item(id),
                     KindOf(id) == ControlKind::ComboBox ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
    });
}

int TemplatePage::ListAdd(int id, const std::string& text) {
    return dispatcher_.OnUi([&] {
        const std::wstring s = Widen(text);
        const UINT msg = KindOf(id) == ControlKind::ComboBox ? CB_ADDSTRING : LB_ADDSTRING;
        const LRESULT index = SendMessageW(Item(id), msg, 0, reinterpret_cast<LPARAM>(s.c_str()));
        return index < 0 ? -1 : static_cast<int>(index);
    });
}

int TemplatePage::ListCount(int id) {
    return dispatcher_.OnUi([&] {
        const UINT msg = KindOf(id) == ControlKind::ComboBox ? CB_GETCOUNT : LB_GETCOUNT;
        const LRESULT n = SendMessageW(Item(id), msg, 0, 0);
        return n < 0 ? 0 : static_cast<int>(n);
    });
}

void TemplatePage::ListSelect(int id, int index) {
    dispatcher_.OnUi([&] {
        const UINT msg = KindOf(id) == ControlKind::ComboBox ? CB_SETCURSEL : LB_SETCURSEL;
        SendMessageW(Item(id), msg, static_cast<WPARAM>(index), 0);
    });
}

int TemplatePage::ListSelectedIndex(int id) {
    return dispatcher_.OnUi([&] {
        const UINT msg = KindOf(id) == ControlKind::ComboBox ? CB_GETCURSEL : LB_GETCURSEL;
        const LRESULT index = SendMessageW(Item(id), msg, 0, 0);
        return index < 0 ? -1 : static_cast<int>(index);
    });
}

std::string TemplatePage::ListSelectedText(int id) {
    return dispatcher_.OnUi([&] {
        const bool combo = KindOf(id) == ControlKind::ComboBox;
        HWND item = Item(id);
        const LRESULT index = SendMessageW(item, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
        if (index < 0) return std::string();
        const LRESULT length =
            SendMessageW(item, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, index, 0);
        if (length < 0) return std::string();
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(item, combo ? CB_GETLBTEXT : LB_GETTEXT, index,
                     reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        return Narrow(text);
    });
}

void TemplatePage::Focus(int id) {
    dispatcher_.OnUi([&] {
        // The sheet is the dialog that keeps the focus and the default button.
        if (HWND item = Item(id))
            SendMessageW(GetParent(hwnd_), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
    });
}

void TemplatePage::SetTitleFont(int id, const TitleFont& font) {
    dispatcher_.OnUi([&] {
        HWND item = Item(id);
        if (!item) return;
        // A positive height asks for the character cell's height, leading
        // included; the 20 pixels are those of a 96-DPI display.
        HFONT f =
            CreateFontW(Scaled(font.pixelHeight, WindowDpi(hwnd_)), 0, 0, 0, font.weight, FALSE,
                        FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Widen(font.face).c_str());
        SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
        // The font lives as long as the page shows it.
        auto it = titleFonts_.find(id);
        if (it != titleFonts_.end()) DeleteObject(it->second);
        titleFonts_[id] = f;
        // A title in a large font may need more height than its template
        // gives: it grows downwards into free room, never over the control
        // beneath it. Where even one line has no room there (the old-style
        // title: 10 units, 17 pixels at 96 DPI, for a 20-pixel cell), it moves
        // up into the margin above, lest the descenders be cut.
        RECT r;
        GetWindowRect(item, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        RECT page;
        GetClientRect(hwnd_, &page);
        LONG bottom = page.bottom;
        for (HWND other = GetWindow(hwnd_, GW_CHILD); other;
             other = GetWindow(other, GW_HWNDNEXT)) {
            RECT o;
            GetWindowRect(other, &o);
            MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&o), 2);
            const bool beside = o.left < r.right && r.left < o.right;
            if (other != item && beside && o.top > r.top) bottom = std::min(bottom, o.top);
        }
        const int length = GetWindowTextLengthW(item);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(item, text.data(), length + 1)));
        RECT needed{0, 0, r.right - r.left, 0};
        TEXTMETRICW metrics{};
        HDC dc = GetDC(item);
        HGDIOBJ old = SelectObject(dc, f);
        DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK);
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(item, dc);
        const LONG top = std::max<LONG>(0, std::min(r.top, bottom - metrics.tmHeight));
        const LONG height = std::min(needed.bottom, bottom - top);
        if (height > r.bottom - r.top) {
            SetWindowPos(item, nullptr, r.left, top, r.right - r.left, height,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
    });
}

}  // namespace nubo
