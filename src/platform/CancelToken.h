// The cancel of one worker: a flag that its requests look at, and the serial
// device the worker waits on at the moment, which raising the flag wakes, so
// that a wait ends at once instead of at its time-out or at a periodic look.
#pragma once
#include <atomic>
#include <mutex>

#include "platform/SerialDevice.h"

namespace nubo {

class CancelToken {
public:
    // Any thread.
    bool Raised() const { return raised_.load() != 0; }

    // Any thread. The flag comes first: a waiter that registers its device
    // after this wake sees the flag at its next look, which it makes before
    // it waits.
    void Raise() {
        raised_.store(1);
        std::lock_guard<std::mutex> lock(mutex_);
        if (device_ != nullptr) device_->Wake();
    }

    // Only while no thread uses the token.
    void Reset() { raised_.store(0); }

    // The waiting thread names the device that Raise must wake from now on,
    // and takes it back before the device is closed: a wake never meets a
    // device that is going away.
    void Watch(SerialDevice* device) {
        std::lock_guard<std::mutex> lock(mutex_);
        device_ = device;
    }
    void Unwatch(SerialDevice* device) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (device_ == device) device_ = nullptr;
    }

private:
    std::atomic<int> raised_{0};
    std::mutex mutex_;
    SerialDevice* device_ = nullptr;  // guarded by mutex_
};

}  // namespace nubo
