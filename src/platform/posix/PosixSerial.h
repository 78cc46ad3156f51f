// termios serial devices with the Win32 time-out and flow-control semantics of
// SerialDevice. A device belongs to the thread that opened it; Wake may be
// called from any thread.
#pragma once
#include <atomic>
#include <memory>
#include <string>

#include "platform/SerialDevice.h"

namespace nubo {

class PosixSerialDevice : public SerialDevice {
public:
    // Takes over an open, locked descriptor.
    explicit PosixSerialDevice(int fd);
    ~PosixSerialDevice() override;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

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
    void Wake() override;

private:
    bool Fail();
    // Waits for the descriptor (and, when wakeable, the wake pipe) until
    // deadlineMs; false on time-out or wake.
    bool PollUntil(short events, std::uint64_t deadlineMs, bool& woken, bool wakeable = true);
    void DrainWakePipe();

    int fd_;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::uint32_t lastError_ = 0;
    SerialTimeouts timeouts_{};
    // What termios cannot hold (DSR flow, the DTR/RTS modes) is kept as last set.
    LineSettings shadow_{};
};

class PosixSerialDriver : public SerialDriver {
public:
    // A device name without a "/" is looked up under /dev.
    std::unique_ptr<SerialDevice> Open(const std::string& name) override;
    std::uint32_t LastError() override { return lastError_.load(); }
    // No permission names the device's group when its members may read and
    // write it; a held device names a process that has it open, as far as
    // /proc lets this user see.
    PortFailure ExplainOpenFailure(const std::string& name, std::uint32_t error) override;

private:
    std::atomic<std::uint32_t> lastError_{0};
};

}  // namespace nubo
