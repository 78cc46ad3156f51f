// Context help pop-up.
#include "frontend/win32/HelpPopup.h"

namespace nubo {
namespace {

constexpr wchar_t kClassName[] = L"NuboHelpPopup";
constexpr int kMargin = 6;
constexpr int kTextWidth = 280;

struct Popup {
    std::wstring text;
    HFONT font = nullptr;
};

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* popup = reinterpret_cast<Popup*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_NCCREATE:
            SetWindowLongPtrW(
                hwnd, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
            break;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
            InflateRect(&r, -kMargin, -kMargin);
            HGDIOBJ old = SelectObject(dc, popup->font);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
            DrawTextW(dc, popup->text.c_str(), -1, &r, DT_WORDBREAK | DT_NOPREFIX);
            SelectObject(dc, old);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KILLFOCUS:
            DestroyWindow(hwnd);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) DestroyWindow(hwnd);
            return 0;
        case WM_NCDESTROY:
            delete popup;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

void ShowHelpPopup(HWND owner, const std::wstring& text, POINT at, HFONT font) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PopupProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kClassName;
    wc.style = CS_SAVEBITS;
    RegisterClassW(&wc);

    // Measure the text in the font it will be drawn in.
    RECT r{0, 0, kTextWidth, 0};
    HDC dc = GetDC(owner);
    HGDIOBJ old = SelectObject(dc, font);
    DrawTextW(dc, text.c_str(), -1, &r, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(owner, dc);
    const int width = r.right + 2 * kMargin + 2;
    const int height = r.bottom + 2 * kMargin + 2;

    HMONITOR monitor = MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(monitor, &mi);
    const RECT& work = mi.rcWork;
    int x = at.x;
    int y = at.y;
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;

    auto* popup = new Popup{text, font};
    HWND hwnd =
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, L"", WS_POPUP | WS_BORDER, x,
                        y, width, height, owner, nullptr, wc.hInstance, popup);
    if (!hwnd) {
        delete popup;
        return;
    }
    ShowWindow(hwnd, SW_SHOW);
    SetFocus(hwnd);
}

}  // namespace nubo
