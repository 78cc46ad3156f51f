// A page's worker thread and its way to the page.
#include "wizard/PageWorker.h"

#include <algorithm>

namespace nubo {

namespace {

std::atomic<int> abandonedWorkers{0};

}  // namespace

// One worker. Its thread shares the cancel flag, the end and the interrupter
// with the UI thread; the thread object is the UI thread's.
struct PageWorker::Run {
    std::uint64_t id = 0;
    CancelToken cancel;
    std::atomic<bool> abandoned{false};
    std::mutex mutex;
    std::condition_variable changed;
    bool ended = false;               // under mutex
    std::function<void()> interrupt;  // under mutex; breaks a blocking system call of the thread
    std::thread thread;
};

// The page's side. The host may be used from any thread; the rest belongs to
// the UI thread, where every check of a worker's call runs.
struct PageWorker::Shared {
    explicit Shared(WizardHost& h) : host(h) {}
    bool Reaches(const Run& run) const { return active && run.id == newest; }

    WizardHost& host;
    bool active = false;
    std::uint64_t newest = 0;
    std::shared_ptr<Run> running;
    std::optional<Work> pending;
};

CancelToken* PageWorker::Link::Cancel() const {
    return &run_->cancel;
}

bool PageWorker::Link::OnPage(const std::function<void()>& fn) const {
    if (run_->abandoned) return false;
    bool ran = false;
    shared_->host.RunOnUi([&] {
        if (!shared_->Reaches(*run_)) return;
        fn();
        ran = true;
    });
    return ran;
}

void PageWorker::Link::PostOnPage(std::function<void()> fn) const {
    if (run_->abandoned) return;
    shared_->host.PostToUi([shared = shared_, run = run_, fn = std::move(fn)] {
        if (shared->Reaches(*run)) fn();
    });
}

PageWorker::PageWorker(WizardHost& host) : shared_(std::make_shared<Shared>(host)) {}

PageWorker::~PageWorker() {
    Stop();
}

namespace {

bool HasEnded(std::mutex& mutex, const bool& ended) {
    std::lock_guard lock(mutex);
    return ended;
}

}  // namespace

void PageWorker::Start(Work work) {
    Shared& s = *shared_;
    s.active = true;
    s.pending.reset();
    if (s.running && HasEnded(s.running->mutex, s.running->ended)) {
        s.running->thread.join();
        s.running.reset();
    }
    if (!s.running) {
        Launch(shared_, std::move(work));
        return;
    }
    // Joining here would freeze the window for as long as the old worker's
    // port takes (a silent port's time-outs, an open that keeps looking).
    Run& old = *s.running;
    old.cancel.Raise();
    ++s.newest;  // from now on the old worker reaches nothing
    std::function<void()> interrupt;
    {
        std::lock_guard lock(old.mutex);
        interrupt = old.interrupt;
    }
    if (interrupt) interrupt();
    s.pending = std::move(work);
}

void PageWorker::Launch(const std::shared_ptr<Shared>& shared, Work work) {
    Shared& s = *shared;
    s.host.OpenWorkerCalls();
    auto run = std::make_shared<Run>();
    run->id = ++s.newest;
    s.running = run;
    run->thread = std::thread([shared, run, work = std::move(work)] {
        if (std::function<void()> interrupt = shared->host.ThreadInterrupter()) {
            std::lock_guard lock(run->mutex);
            run->interrupt = std::move(interrupt);
        }
        work(Link(shared, run));
        {
            std::lock_guard lock(run->mutex);
            run->ended = true;
        }
        run->changed.notify_all();
        // The UI thread joins this thread and makes the start that waits for it.
        if (!run->abandoned) shared->host.PostToUi([shared, run] { Ended(shared, run); });
    });
}

void PageWorker::Ended(const std::shared_ptr<Shared>& shared, const std::shared_ptr<Run>& run) {
    Shared& s = *shared;
    if (s.running != run) return;
    run->thread.join();
    s.running.reset();
    if (s.pending) {
        Work work = std::move(*s.pending);
        s.pending.reset();
        Launch(shared, std::move(work));
    }
}

void PageWorker::Leave() {
    shared_->active = false;
    shared_->pending.reset();
}

bool PageWorker::Stop(std::chrono::milliseconds limit) {
    Shared& s = *shared_;
    s.active = false;
    s.pending.reset();
    const std::shared_ptr<Run> run = std::move(s.running);
    s.running.reset();
    if (!run) return true;
    run->cancel.Raise();
    // The worker may wait for a call that this thread would have to run.
    s.host.CloseWorkerCalls();
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::unique_lock lock(run->mutex);
    while (!run->ended && std::chrono::steady_clock::now() < deadline) {
        // A call broken off may be followed by the next before the worker
        // looks at its flag: break in again now and then.
        if (run->interrupt) {
            const std::function<void()> interrupt = run->interrupt;
            lock.unlock();
            interrupt();
            lock.lock();
        }
        const auto step = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
        run->changed.wait_until(lock, std::min(step, deadline), [&] { return run->ended; });
    }
    const bool ended = run->ended;
    lock.unlock();
    if (ended) {
        run->thread.join();
        return true;
    }
    run->abandoned = true;
    run->thread.detach();
    ++abandonedWorkers;
    return false;
}

bool PageWorker::Running() const {
    return shared_->running != nullptr || shared_->pending.has_value();
}

int PageWorker::Abandoned() {
    return abandonedWorkers.load();
}

}  // namespace nubo
