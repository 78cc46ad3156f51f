// Carries calls from worker threads out on the UI thread.
#include "qt/UiDispatcher.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <memory>

namespace nubo {

bool UiDispatcher::OnUiThread() const {
    return QThread::currentThread() == thread();
}

bool UiDispatcher::Send(std::function<void()> fn) {
    if (OnUiThread()) {
        fn();
        return true;
    }
    auto done = std::make_shared<bool>(false);
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        if (closed_) return false;
        generation = generation_;
    }
    // fn may refer to the caller's stack: it only runs while the caller still
    // waits, which the generation check guarantees.
    QMetaObject::invokeMethod(
        this,
        [this, fn, done, generation] {
            {
                std::lock_guard lock(mutex_);
                if (generation != generation_) return;
            }
            fn();
            std::lock_guard lock(mutex_);
            *done = true;
            cv_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return *done || generation != generation_; });
    return *done;
}

void UiDispatcher::Post(std::function<void()> fn) {
    if (OnUiThread()) {
        // The UI thread's own deferred calls are not worker calls: never dropped.
        QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
        return;
    }
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        generation = generation_;
    }
    QMetaObject::invokeMethod(
        this,
        [this, fn = std::move(fn), generation] {
            {
                std::lock_guard lock(mutex_);
                if (generation != generation_) return;
            }
            fn();
        },
        Qt::QueuedConnection);
}

bool UiDispatcher::SendAndWait(std::function<void(std::function<void()> done)> start) {
    auto done = std::make_shared<bool>(false);
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        if (closed_) return false;
        generation = generation_;
    }
    auto finish = [this, done, generation] {
        std::lock_guard lock(mutex_);
        if (generation != generation_) return;
        *done = true;
        cv_.notify_all();
    };
    QMetaObject::invokeMethod(
        this,
        [this, start = std::move(start), finish, generation] {
            {
                std::lock_guard lock(mutex_);
                if (generation != generation_) return;
            }
            start(finish);
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return *done || generation != generation_; });
    return *done;
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
