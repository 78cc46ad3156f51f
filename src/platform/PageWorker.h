// A page's worker thread: one at a time, started, cancelled and joined from
// the UI thread only. The work gets the cancel token to pass to every request.
#pragma once
#include <atomic>
#include <functional>
#include <thread>

#include "platform/CancelToken.h"
#include "platform/WizardHost.h"

namespace nubo {

class PageWorker {
public:
    using Work = std::function<void(CancelToken* cancel)>;

    explicit PageWorker(WizardHost& host) : host_(host) {}
    ~PageWorker() { Stop(); }
    PageWorker(const PageWorker&) = delete;
    PageWorker& operator=(const PageWorker&) = delete;

    // Stops a worker that still runs, then runs work on a new thread.
    void Start(Work work) {
        Stop();
        cancel_.Reset();
        finished_ = false;
        host_.OpenWorkerCalls();
        worker_ = std::thread([this, work = std::move(work)] {
            work(&cancel_);
            finished_ = true;
        });
    }

    // Raises the cancel token, which also ends the wait on the port under way,
    // and waits for the worker to end. Must have been called before anything
    // the work uses goes away.
    void Stop() {
        if (!worker_.joinable()) return;
        cancel_.Raise();
        // The worker may be blocked in a call that waits for the UI thread,
        // which is this one: close those calls first, or the join never returns.
        host_.CloseWorkerCalls();
        worker_.join();
    }

    bool Running() const { return worker_.joinable() && !finished_.load(); }

private:
    WizardHost& host_;
    std::thread worker_;
    CancelToken cancel_;
    std::atomic<bool> finished_{true};
};

}  // namespace nubo
