// Carries calls from worker threads out on the UI thread: a queued invocation
// on this object, which lives on that thread, runs the calls.
#pragma once
#include <QMetaObject>
#include <QObject>

#include "wizard/WorkerCalls.h"

namespace nubo {

class UiDispatcher : public QObject, public WorkerCalls {
public:
    explicit UiDispatcher(QObject* parent = nullptr) : QObject(parent) {}

protected:
    void WakeUi() override {
        QMetaObject::invokeMethod(
            this, [this] { RunQueued(); }, Qt::QueuedConnection);
    }
};

}  // namespace nubo
