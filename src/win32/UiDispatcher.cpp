// Carries calls from worker threads out on the UI thread.
#include "win32/UiDispatcher.h"

namespace nubo {
namespace {

constexpr UINT kRunCalls = WM_APP + 1;
constexpr wchar_t kClassName[] = L"NuboUiDispatcher";

}  // namespace

UiDispatcher::UiDispatcher() : uiThread_(GetCurrentThreadId()) {
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

void UiDispatcher::Queue(Call call) {
    queue_.push_back(std::move(call));
    PostMessageW(window_, kRunCalls, 0, 0);
}

void UiDispatcher::RunQueued() {
    for (;;) {
        Call call;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) return;
            call = std::move(queue_.front());
            queue_.pop_front();
            // A stale worker call may refer to a caller's stack that is gone.
            if (!call.fromUi && call.generation != generation_) continue;
        }
        call.fn();
        if (call.done) {
            std::lock_guard lock(mutex_);
            *call.done = true;
            cv_.notify_all();
        }
    }
}

bool UiDispatcher::Send(std::function<void()> fn) {
    if (OnUiThread()) {
        fn();
        return true;
    }
    auto done = std::make_shared<bool>(false);
    std::unique_lock lock(mutex_);
    if (closed_) return false;
    const std::uint64_t generation = generation_;
    Queue({std::move(fn), generation, false, done});
    cv_.wait(lock, [&] { return *done || generation != generation_; });
    return *done;
}

void UiDispatcher::Post(std::function<void()> fn) {
    std::lock_guard lock(mutex_);
    // The UI thread's own deferred calls are not worker calls: never dropped.
    const bool fromUi = OnUiThread();
    if (closed_ && !fromUi) return;
    Queue({std::move(fn), generation_, fromUi, nullptr});
}

void UiDispatcher::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    ++generation_;
    cv_.notify_all();
}

void UiDispatcher::Open() {
    std::lock_guard lock(mutex_);
    closed_ = false;
}

}  // namespace nubo
