// Carries calls from worker threads out on the UI thread through a message
// window of that thread. Send waits for the call, Post does not. Close() (UI
// thread) drops every call in flight or made later, so the UI thread may then
// join a worker that was blocked in Send.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include <windows.h>

namespace nubo {

class UiDispatcher {
public:
    UiDispatcher();  // on the UI thread
    ~UiDispatcher();
    UiDispatcher(const UiDispatcher&) = delete;
    UiDispatcher& operator=(const UiDispatcher&) = delete;

    bool OnUiThread() const { return GetCurrentThreadId() == uiThread_; }
    // Runs fn on the UI thread and waits for it; at once when called there.
    // False when the call was dropped because worker calls are closed.
    bool Send(std::function<void()> fn);
    // Runs fn on the UI thread later, unless worker calls are closed by then.
    void Post(std::function<void()> fn);

    void Close();
    void Open();

private:
    struct Call {
        std::function<void()> fn;
        std::uint64_t generation;
        bool fromUi;
        std::shared_ptr<bool> done;  // null for posted calls
    };
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Queue(Call call);
    void RunQueued();

    DWORD uiThread_;
    HWND window_ = nullptr;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Call> queue_;
    std::uint64_t generation_ = 0;
    bool closed_ = false;
};

}  // namespace nubo
