// Carries calls from worker threads out on the UI thread. Send waits for the
// call, Post does not. Close() (UI thread) drops every call in flight or made
// later, so the UI thread may then join a worker that was blocked in Send.
#pragma once
#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace nubo {

class UiDispatcher : public QObject {
    Q_OBJECT
public:
    explicit UiDispatcher(QObject* parent = nullptr) : QObject(parent) {}

    bool OnUiThread() const;
    // Runs fn on the UI thread and waits for it; at once when called there.
    // False when the call was dropped because worker calls are closed.
    bool Send(std::function<void()> fn);
    // Runs fn on the UI thread later, unless worker calls are closed by then.
    void Post(std::function<void()> fn);
    // Runs start on the UI thread and waits until it calls the done function it
    // was given (once whatever it began is over) or until worker calls close.
    // The UI thread goes on serving everything else meanwhile. False when closed.
    bool SendAndWait(std::function<void(std::function<void()> done)> start);

    void Close();
    void Open();

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::uint64_t generation_ = 0;
    bool closed_ = false;
};

}  // namespace nubo
