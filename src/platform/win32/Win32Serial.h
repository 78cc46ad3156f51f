// Win32 communications devices behind SerialDevice: synchronous ReadFile and
// WriteFile under the device's own time-outs, so every wait blocks in the
// driver. A device belongs to the thread that opened it; Wake may be called
// from any thread.
#pragma once
#include <atomic>
#include <memory>
#include <string>

#include "platform/SerialDevice.h"

namespace nubo {

class Win32SerialDevice : public SerialDevice {
public:
    // Takes over an open communications handle (a HANDLE).
    explicit Win32SerialDevice(void* handle);
    ~Win32SerialDevice() override;
    Win32SerialDevice(const Win32SerialDevice&) = delete;
    Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;

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
    // ReadFile that Wake can end; got tells what came before it ended.
    bool WakeableRead(char* buffer, std::uint32_t count, std::uint32_t& got);

    void* handle_;
    // A byte that WaitForInput read to learn that input came; the next Read
    // returns it first. -1: none.
    int pending_ = -1;
    std::uint32_t lastError_ = 0;
    std::atomic<bool> wakeUp_{false};  // a Wake that no read has ended on yet
    std::atomic<bool> reading_{false};  // a read is on its way into the driver or in it
};

class Win32SerialDriver : public SerialDriver {
public:
    // Opens "\\.\" + name, so that COM10 and above open as well as COM1.
    std::unique_ptr<SerialDevice> Open(const std::string& name) override;
    std::uint32_t LastError() override { return lastError_.load(); }
    PortFailure ExplainOpenFailure(const std::string&, std::uint32_t error) override {
        return Win32OpenFailure(error);
    }

private:
    std::atomic<std::uint32_t> lastError_{0};
};

}  // namespace nubo
