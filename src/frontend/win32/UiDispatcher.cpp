// Carries calls from worker threads out on the UI thread.
#include "frontend/win32/UiDispatcher.h"

namespace nubo {
namespace {

constexpr UINT kRunCalls = WM_APP + 1;
constexpr wchar_t kClassName[] = L"NuboUiDispatcher";

}  // namespace

UiDispatcher::UiDispatcher() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);  // fails harmlessly when a second dispatcher registers again
    // A message-only window: the modal loops of the sheet and of message boxes
    // dispatch its messages like any other window's of this thread.
    window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              wc.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

UiDispatcher::~UiDispatcher() {
    Close();
    if (window_) DestroyWindow(window_);
}

LRESULT CALLBACK UiDispatcher::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kRunCalls) {
        auto* self = reinterpret_cast<UiDispatcher*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self) self->RunQueued();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void UiDispatcher::WakeUi() {
    PostMessageW(window_, kRunCalls, 0, 0);
}

}  // namespace nubo
