// Paints a CResultList by its layout.
#include "frontend/win32/ResultListView.h"

#include <algorithm>

#include <commctrl.h>

#include "frontend/win32/Dpi.h"
#include "platform/win32/WideText.h"

namespace nubo {
namespace {

constexpr wchar_t kClassName[] = L"NuboResultList";
constexpr int kPassMark = 151;
constexpr int kActiveMark = 152;
constexpr int kFailMark = 165;

MarkSize SizeOf(HBITMAP bitmap);

// The marks are drawn for 96 DPI; beside larger text they grow with it.
HBITMAP LoadMark(int id, int dpi) {
    COLORMAP white{RGB(255, 255, 255), GetSysColor(COLOR_BTNFACE)};
    HBITMAP mark = CreateMappedBitmap(GetModuleHandleW(nullptr), id, 0, &white, 1);
    if (!mark || dpi == 96) return mark;
    const MarkSize size = SizeOf(mark);
    HBITMAP scaled = StretchedBitmap(mark, Scaled(size.width, dpi), Scaled(size.height, dpi));
    DeleteObject(mark);
    return scaled;
}

MarkSize SizeOf(HBITMAP bitmap) {
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) return {};
    return {bm.bmWidth, bm.bmHeight, true};
}

// The pages' font: 8 points at the window's DPI.
HFONT ListFont(int dpi, int weight) {
    const int height = -MulDiv(8, dpi, 72);
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg");
}

}  // namespace

ResultListView::ResultListView(CResultList& list, HWND parent, const RECT& rect) : list_(list) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
    const int dpi = WindowDpi(parent);
    pass_ = LoadMark(kPassMark, dpi);
    active_ = LoadMark(kActiveMark, dpi);
    fail_ = LoadMark(kFailMark, dpi);
    hwnd_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, rect.left,
                            rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                            nullptr, wc.hInstance, this);
    HWND hwnd = hwnd_;
    // InvalidateRect from the worker posts nothing and never waits.
    list_.SetRepaintHandler([hwnd] { InvalidateRect(hwnd, nullptr, TRUE); });
}

ResultListView::~ResultListView() {
    list_.SetRepaintHandler(nullptr);
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    for (HBITMAP b : {pass_, active_, fail_}) {
        if (b) DeleteObject(b);
    }
}

LRESULT CALLBACK ResultListView::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    }
    auto* self = reinterpret_cast<ResultListView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            self->Paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // painting fills the whole client area
        case WM_VSCROLL:
            self->Scroll(LOWORD(wp));
            return 0;
        case WM_MOUSEWHEEL:
            self->Scroll(GET_WHEEL_DELTA_WPARAM(wp) > 0 ? SB_LINEUP : SB_LINEDOWN);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

ResultLayout ResultListView::Layout(HDC dc) {
    // The row height comes from the surface's own font, before any of ours is selected.
    SIZE a{};
    GetTextExtentPoint32W(dc, L"A", 1, &a);
    return LayoutResultList(list_.Snapshot(), a.cy, SizeOf(pass_), SizeOf(active_), SizeOf(fail_),
                            WindowDpi(hwnd_));
}

void ResultListView::Paint(HDC dc) {
    const ResultLayout layout = Layout(dc);
    rowHeight_ = std::max(1, layout.rowHeight);
    contentHeight_ = layout.contentHeight;
    RECT client;
    GetClientRect(hwnd_, &client);
    const int maxScroll = std::max(0, contentHeight_ - static_cast<int>(client.bottom));
    scrollY_ = std::clamp(scrollY_, 0, maxScroll);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = std::max(0, contentHeight_ - 1);
    si.nPage = static_cast<UINT>(client.bottom);
    si.nPos = scrollY_;
    SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);

    // Painted off screen first: the worker repaints often, and flicker would show.
    HDC canvas = CreateCompatibleDC(dc);
    HBITMAP surface = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ oldSurface = SelectObject(canvas, surface);
    FillRect(canvas, &client, GetSysColorBrush(COLOR_BTNFACE));
    const int dpi = WindowDpi(hwnd_);
    HFONT normal = ListFont(dpi, FW_NORMAL);
    HFONT bold = ListFont(dpi, FW_BOLD);
    HGDIOBJ oldFont = SelectObject(canvas, normal);
    SetBkMode(canvas, TRANSPARENT);
    SetTextColor(canvas, GetSysColor(COLOR_BTNTEXT));
    HDC marks = CreateCompatibleDC(dc);
    HGDIOBJ oldMark = nullptr;
    for (const DrawOp& op : layout.ops) {
        const int y = op.y - scrollY_;
        HBITMAP mark = op.kind == DrawOp::Kind::PassMark     ? pass_
                       : op.kind == DrawOp::Kind::ActiveMark ? active_
                       : op.kind == DrawOp::Kind::FailMark   ? fail_
                                                             : nullptr;
        if (mark) {
            const MarkSize size = SizeOf(mark);
            HGDIOBJ previous = SelectObject(marks, mark);
            if (!oldMark) oldMark = previous;
            BitBlt(canvas, op.x, y, size.width, size.height, marks, 0, 0, SRCCOPY);
        } else if (op.kind == DrawOp::Kind::Text) {
            SelectObject(canvas, op.bold ? bold : normal);
            const std::wstring text = Widen(op.text);
            TextOutW(canvas, op.x, y, text.c_str(), static_cast<int>(text.size()));
        }
    }
    if (oldMark) SelectObject(marks, oldMark);
    DeleteDC(marks);
    BitBlt(dc, 0, 0, client.right, client.bottom, canvas, 0, 0, SRCCOPY);
    SelectObject(canvas, oldFont);
    SelectObject(canvas, oldSurface);
    DeleteObject(surface);
    DeleteDC(canvas);
    DeleteObject(normal);
    DeleteObject(bold);
}

void ResultListView::Scroll(int code) {
    RECT client;
    GetClientRect(hwnd_, &client);
    int y = scrollY_;
    switch (code) {
        case SB_LINEUP:
            y -= rowHeight_;
            break;
        case SB_LINEDOWN:
            y += rowHeight_;
            break;
        case SB_PAGEUP:
            y -= client.bottom;
            break;
        case SB_PAGEDOWN:
            y += client.bottom;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_TRACKPOS;
            GetScrollInfo(hwnd_, SB_VERT, &si);
            y = si.nTrackPos;
            break;
        }
        default:
            return;
    }
    scrollY_ = std::clamp(y, 0, std::max(0, contentHeight_ - static_cast<int>(client.bottom)));
    InvalidateRect(hwnd_, nullptr, FALSE);
}

}  // namespace nubo
