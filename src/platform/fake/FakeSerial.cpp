// Simulated serial line in virtual time: every wait jumps the clock to the next
// byte or action of the line instead of sleeping.
#include "platform/fake/FakeSerial.h"

#include <algorithm>

namespace nubo {

namespace {

constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorGenFailure = 31;

// Tick values wrap; a is earlier than b.
bool Before(std::uint32_t a, std::uint32_t b) {
    return static_cast<std::int32_t>(a - b) < 0;
}

}  // namespace

void FakeSerialLine::At(std::uint32_t time, std::function<void()> action) {
    actions_.push_back({time, std::move(action)});
}

void FakeSerialLine::Pump() {
    const std::uint32_t now = clock_.TickCount();
    for (;;) {
        auto due = actions_.end();
        for (auto it = actions_.begin(); it != actions_.end(); ++it) {
            if (!Before(now, it->time) && (due == actions_.end() || Before(it->time, due->time))) {
                due = it;
            }
        }
        if (due == actions_.end()) break;
        auto run = std::move(due->run);
        actions_.erase(due);
        run();
    }
    input_ += peer_.TakeOutput(now);
}

bool FakeSerialLine::NextEvent(std::uint32_t& due) {
    const std::uint32_t now = clock_.TickCount();
    bool found = peer_.NextDue(now, due);
    for (const Action& action : actions_) {
        if (!found || Before(action.time, due)) {
            due = action.time;
            found = true;
        }
    }
    if (found && Before(due, now)) due = now;
    return found;
}

void FakeSerialLine::AdvanceTowards(std::uint32_t limit) {
    const std::uint32_t now = clock_.TickCount();
    std::uint32_t target = limit;
    std::uint32_t due = 0;
    if (NextEvent(due) && Before(due, limit)) target = due;
    if (Before(now, target)) clock_.Advance(target - now);
    Pump();
}

bool FakeSerialDevice::Closed() {
    if (line_ != nullptr && !line_->gone) return false;
    lastError_ = line_ == nullptr ? kErrorInvalidHandle : kErrorGenFailure;
    return true;
}

bool FakeSerialDevice::GetLineSettings(LineSettings& settings) {
    if (Closed()) return false;
    settings = line_->settings_;
    return true;
}

bool FakeSerialDevice::SetLineSettings(const LineSettings& settings) {
    if (Closed()) return false;
    if (line_->rejectLineSettings) {
        lastError_ = kErrorGenFailure;
        return false;
    }
    line_->settings_ = settings;
    return true;
}

bool FakeSerialDevice::GetTimeouts(SerialTimeouts& timeouts) {
    if (Closed()) return false;
    timeouts = line_->timeouts_;
    return true;
}

bool FakeSerialDevice::SetTimeouts(const SerialTimeouts& timeouts) {
    if (Closed()) return false;
    if (line_->rejectTimeouts) {
        lastError_ = kErrorGenFailure;
        return false;
    }
    line_->timeouts_ = timeouts;
    return true;
}

bool FakeSerialDevice::Read(char* buffer, std::uint32_t count, std::uint32_t& bytesRead) {
    bytesRead = 0;
    if (Closed()) return false;
    if (line_->failReads) {
        lastError_ = kErrorGenFailure;
        return false;
    }
    FakeSerialLine& line = *line_;
    auto take = [&] {
        const std::size_t n = std::min<std::size_t>(count - bytesRead, line.input_.size());
        std::copy_n(line.input_.begin(), n, buffer + bytesRead);
        line.input_.erase(0, n);
        bytesRead += static_cast<std::uint32_t>(n);
    };
    line.Pump();
    take();
    // Only the total time-out counts: the port sets no interval or per-byte one.
    const std::uint32_t total = line.timeouts_.readTotalConstant;
    const std::uint32_t limit = line.Now() + total;
    while (bytesRead < count) {
        if (woken_.exchange(false)) return true;
        std::uint32_t due = 0;
        if (!line.NextEvent(due) || (total != 0 && Before(limit, due))) {
            // Nothing arrives before the time-out (or ever: a read without
            // time-outs on a dead line would hang a real program for good).
            if (total != 0 && Before(line.Now(), limit)) line.clock_.Advance(limit - line.Now());
            line.Pump();
            take();
            return true;
        }
        if (Before(line.Now(), due)) line.clock_.Advance(due - line.Now());
        line.Pump();
        take();
    }
    return true;
}

bool FakeSerialDevice::Write(const char* data, std::uint32_t count, std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    if (Closed()) return false;
    FakeSerialLine& line = *line_;
    line.Pump();
    if (count == 0) return true;
    if (line.ctsLow) {
        const SerialTimeouts& t = line.timeouts_;
        line.clock_.Advance(t.writeTotalPerByte * count + t.writeTotalConstant);
        line.Pump();
        return true;
    }
    line.written_.append(data, count);
    line.peer_.Receive(std::string_view(data, count), line.Now());
    bytesWritten = count;
    return true;
}

bool FakeSerialDevice::ClearError(std::uint32_t& inputQueue) {
    inputQueue = 0;
    if (Closed()) return false;
    line_->Pump();
    inputQueue = static_cast<std::uint32_t>(line_->input_.size());
    return true;
}

bool FakeSerialDevice::PurgeInput() {
    if (Closed()) return false;
    line_->Pump();
    line_->input_.clear();
    line_->peer_.LineReset(line_->Now());
    return true;
}

bool FakeSerialDevice::Close() {
    if (line_ == nullptr) {
        lastError_ = kErrorInvalidHandle;
        return false;
    }
    line_->input_.clear();
    line_->peer_.LineReset(line_->Now());
    line_->inUse_ = false;
    line_ = nullptr;
    return true;
}

bool FakeSerialDevice::WaitForInput(std::uint32_t timeoutMs) {
    if (Closed()) {
        // A dead handle reports at once; let virtual time pass as a real wait would.
        if (line_ != nullptr) line_->clock_.Advance(timeoutMs);
        return false;
    }
    line_->Pump();
    if (!line_->input_.empty()) return true;
    // Virtual time stops at a line event, so a wake that one raises ends the wait there.
    if (!woken_.exchange(false)) line_->AdvanceTowards(line_->Now() + timeoutMs);
    woken_ = false;
    return !line_->input_.empty();
}

void FakeSerialDriver::HoldOpens(bool hold) {
    std::lock_guard lock(holdMutex_);
    hold_ = hold;
    holdChanged_.notify_all();
}

int FakeSerialDriver::HeldOpens() {
    std::lock_guard lock(holdMutex_);
    return held_;
}

std::unique_ptr<SerialDevice> FakeSerialDriver::Open(const std::string& name) {
    {
        std::unique_lock lock(holdMutex_);
        if (hold_) {
            ++held_;
            holdChanged_.notify_all();
            holdChanged_.wait(lock, [&] { return !hold_; });
            --held_;
        }
    }
    auto it = lines_.find(name);
    if (it == lines_.end() || it->second->gone) {
        lastError_ = kErrorFileNotFound;
        return nullptr;
    }
    if (it->second->inUse_) {
        lastError_ = kErrorAccessDenied;
        return nullptr;
    }
    it->second->inUse_ = true;
    ++it->second->opens_;
    return std::make_unique<FakeSerialDevice>(*it->second);
}

}  // namespace nubo
