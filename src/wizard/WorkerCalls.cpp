// Carries calls from worker threads out on the UI thread.
#include "wizard/WorkerCalls.h"

namespace nubo {

void WorkerCalls::Queue(Call call) {
    queue_.push_back(std::move(call));
    WakeUi();
}

void WorkerCalls::RunQueued() {
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

bool WorkerCalls::Send(std::function<void()> fn) {
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

void WorkerCalls::Post(std::function<void()> fn) {
    std::lock_guard lock(mutex_);
    // The UI thread's own deferred calls are not worker calls: never dropped.
    const bool fromUi = OnUiThread();
    if (closed_ && !fromUi) return;
    Queue({std::move(fn), generation_, fromUi, nullptr});
}

bool WorkerCalls::SendAndWait(std::function<void(std::function<void()> done)> start) {
    auto done = std::make_shared<bool>(false);
    std::unique_lock lock(mutex_);
    if (closed_) return false;
    const std::uint64_t generation = generation_;
    auto finish = [this, done, generation] {
        std::lock_guard finishLock(mutex_);
        if (generation != generation_) return;
        *done = true;
        cv_.notify_all();
    };
    Queue({[start = std::move(start), finish] { start(finish); }, generation, false, nullptr});
    cv_.wait(lock, [&] { return *done || generation != generation_; });
    return *done;
}

void WorkerCalls::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    ++generation_;
    cv_.notify_all();
}

void WorkerCalls::Open() {
    std::lock_guard lock(mutex_);
    closed_ = false;
}

}  // namespace nubo
