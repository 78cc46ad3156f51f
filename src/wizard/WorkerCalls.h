// Carries calls from worker threads out on the UI thread. Send waits for the
// call, Post does not. Close() (UI thread) drops every call in flight or made
// later, so the UI thread may then join a worker that was blocked in Send.
// Each front end only wakes its UI thread, which then runs RunQueued().
#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

namespace nubo {

class WorkerCalls {
public:
    WorkerCalls() : uiThread_(std::this_thread::get_id()) {}  // on the UI thread
    virtual ~WorkerCalls() = default;
    WorkerCalls(const WorkerCalls&) = delete;
    WorkerCalls& operator=(const WorkerCalls&) = delete;

    bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }
    // Runs fn on the UI thread and waits for it; at once when called there.
    // False when the call was dropped because worker calls are closed.
    bool Send(std::function<void()> fn);
    // Runs fn on the UI thread later, unless worker calls are closed by then.
    void Post(std::function<void()> fn);
    // Runs start on the UI thread and waits until it calls the done function it
    // was given (once whatever it began is over) or until worker calls close.
    // The UI thread goes on serving everything else meanwhile. False when closed.
    bool SendAndWait(std::function<void(std::function<void()> done)> start);
    // Send for fn, handing back what fn returned (a default value when dropped).
    template <typename F>
    auto OnUi(F&& fn) -> decltype(fn());

    void Close();
    void Open();
    // The UI thread runs the calls queued so far when woken.
    void RunQueued();

protected:
    // Makes the UI thread call RunQueued() soon; called from any thread, with
    // the queue locked, so it must only post and never wait.
    virtual void WakeUi() = 0;

private:
    struct Call {
        std::function<void()> fn;
        std::uint64_t generation;
        bool fromUi;
        std::shared_ptr<bool> done;  // null for posted calls
    };
    void Queue(Call call);

    const std::thread::id uiThread_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Call> queue_;
    std::uint64_t generation_ = 0;
    bool closed_ = false;
};

template <typename F>
auto WorkerCalls::OnUi(F&& fn) -> decltype(fn()) {
    using R = decltype(fn());
    if constexpr (std::is_void_v<R>) {
        Send([&] { fn(); });
    } else {
        R result{};
        Send([&] { result = fn(); });
        return result;
    }
}

}  // namespace nubo
