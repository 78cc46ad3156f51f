// A page's worker thread, started, left and stopped from the UI thread only.
// The work gets a Link: its cancel flag and its way to the page, which reaches
// the page only while that page is the active page and has started no newer
// worker. A new start waits, without blocking the UI thread, until the
// previous worker has ended, so a page never runs two workers at once.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/CancelToken.h"
#include "wizard/WizardHost.h"

namespace nubo {

class PageWorker {
    struct Shared;
    struct Run;

public:
    // What one worker holds of its page. Copies may be used on that worker's thread.
    class Link {
    public:
        CancelToken* Cancel() const;
        // Runs fn on the UI thread and waits for it, if the page is still the
        // active page and this worker its newest; the check is made there,
        // just before fn. False when fn did not run.
        bool OnPage(const std::function<void()>& fn) const;
        // The same without waiting; the check is made when fn is due.
        void PostOnPage(std::function<void()> fn) const;

    private:
        friend class PageWorker;
        Link(std::shared_ptr<Shared> shared, std::shared_ptr<Run> run)
            : shared_(std::move(shared)), run_(std::move(run)) {}
        std::shared_ptr<Shared> shared_;
        std::shared_ptr<Run> run_;
    };
    using Work = std::function<void(const Link& link)>;

    // How long Stop waits for a worker that does not end.
    static constexpr std::chrono::milliseconds kStopLimit{700};

    explicit PageWorker(WizardHost& host);
    ~PageWorker();
    PageWorker(const PageWorker&) = delete;
    PageWorker& operator=(const PageWorker&) = delete;

    // The page became the active page: work runs on a new thread. A previous
    // worker that still runs is cancelled, and work starts once it has ended
    // (the ended worker's last call to the UI thread starts it).
    void Start(Work work);
    // The page is no longer the active page: its worker goes on, but reaches
    // no page any more, and a start that waits for an old worker is dropped.
    void Leave();
    // Cancels the worker, closes the workers' calls to the UI (so that a call
    // waiting for this thread returns) and waits up to limit for it to end.
    // False when it did not: it is left behind, blocked in the system, and
    // counted in Abandoned(). Must have been called before anything the work
    // uses goes away.
    bool Stop(std::chrono::milliseconds limit = kStopLimit);
    // A worker runs, or waits to start.
    bool Running() const;

    // Workers of this process that Stop left behind: then nothing they use
    // may be torn down, and the process must end without doing so.
    static int Abandoned();

private:
    static void Launch(const std::shared_ptr<Shared>& shared, Work work);
    static void Ended(const std::shared_ptr<Shared>& shared, const std::shared_ptr<Run>& run);

    std::shared_ptr<Shared> shared_;
};

}  // namespace nubo
