// Simulated serial line in virtual time: a SerialDriver whose devices talk to a
// SerialPeer and advance a FakeClock to the next event instead of waiting, so a
// minute-long wait costs nothing. Single-threaded, like the conversation it
// serves, but for Wake.
#pragma once
#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <memory>
#include <string>
#include <vector>

#include "platform/SerialDevice.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/SerialPeer.h"

namespace nubo {

// One line: its peer, the host's input queue, device state that survives a
// close, what the host wrote, and test knobs.
class FakeSerialLine {
public:
    FakeSerialLine(FakeClock& clock, SerialPeer& peer) : clock_(clock), peer_(peer) {}

    // Test knobs.
    bool ctsLow = false;              // every write is held until its time-out
    bool rejectLineSettings = false;  // SetLineSettings fails
    bool rejectTimeouts = false;      // SetTimeouts fails
    bool failReads = false;           // Read reports a platform failure
    // The device went away (unplugged, its pseudo-terminal closed): opening it
    // fails, and a handle still open fails every call but Close.
    bool gone = false;

    // Runs action once virtual time reaches time (for cancels and line events).
    void At(std::uint32_t time, std::function<void()> action);

    // What the host has written, all of it, in order.
    const std::string& Written() const { return written_; }
    int OpenCount() const { return opens_; }
    bool InUse() const { return inUse_; }
    const LineSettings& Settings() const { return settings_; }
    std::uint32_t Now() const { return clock_.TickCount(); }

private:
    friend class FakeSerialDevice;
    friend class FakeSerialDriver;

    // Moves everything due by now into the input queue and runs due actions.
    void Pump();
    // The next moment something happens on the line; false when nothing will.
    bool NextEvent(std::uint32_t& due);
    // Advances the clock to the next event, but never past limit.
    void AdvanceTowards(std::uint32_t limit);

    struct Action {
        std::uint32_t time;
        std::function<void()> run;
    };

    FakeClock& clock_;
    SerialPeer& peer_;
    std::string input_;
    std::string written_;
    std::vector<Action> actions_;
    LineSettings settings_{};
    SerialTimeouts timeouts_{};
    bool inUse_ = false;
    int opens_ = 0;
};

class FakeSerialDevice : public SerialDevice {
public:
    explicit FakeSerialDevice(FakeSerialLine& line) : line_(&line) {}
    ~FakeSerialDevice() override { Close(); }
    FakeSerialDevice(const FakeSerialDevice&) = delete;
    FakeSerialDevice& operator=(const FakeSerialDevice&) = delete;

    bool GetLineSettings(LineSettings& settings) override;
    bool SetLineSettings(const LineSettings& settings) override;
    bool GetTimeouts(SerialTimeouts& timeouts) override;
    bool SetTimeouts(const SerialTimeouts& timeouts) override;
    bool Read(char* buffer, std::uint32_t count, std::uint32_t& bytesRead) override;
    bool Write(const char* data, std::uint32_t count, std::uint32_t& bytesWritten) override;
    bool ClearError(std::uint32_t& inputQueue) override;
    bool PurgeInput() override;
    bool Close() override;
    std::uint32_t LastError() override { return lastError_; }
    bool WaitForInput(std::uint32_t timeoutMs) override;
    void Wake() override { woken_ = true; }

private:
    bool Closed();

    FakeSerialLine* line_;  // null once closed
    std::uint32_t lastError_ = 0;
    std::atomic<bool> woken_{false};
};

class FakeSerialDriver : public SerialDriver {
public:
    void Add(const std::string& name, FakeSerialLine& line) { lines_[name] = &line; }
    // While held, every open waits in the driver, as the open of a paired
    // wireless port does while it looks for its device, until the hold is
    // released (if ever). Any thread may hold, release and look.
    void HoldOpens(bool hold);
    // How many opens wait in the hold now.
    int HeldOpens();
    std::unique_ptr<SerialDevice> Open(const std::string& name) override;
    std::uint32_t LastError() override { return lastError_; }
    // The fake answers with Win32 error numbers, so it explains them as Win32 does.
    PortFailure ExplainOpenFailure(const std::string&, std::uint32_t error) override {
        return Win32OpenFailure(error);
    }

private:
    std::map<std::string, FakeSerialLine*> lines_;
    std::uint32_t lastError_ = 0;
    std::mutex holdMutex_;
    std::condition_variable holdChanged_;
    bool hold_ = false;
    int held_ = 0;
};

}  // namespace nubo
