// One open serial device and the driver that opens devices by name, with the
// Win32 communications semantics the core relies on (the POSIX layer emulates
// them). A device belongs to the thread that opened it; only Wake may be called
// from another thread.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace nubo {

enum class Parity : std::uint8_t { None, Odd, Even, Mark, Space };
enum class StopBits : std::uint8_t { One, OneAndHalf, Two };
enum class DtrControl : std::uint8_t { Disable, Enable, Handshake };
enum class RtsControl : std::uint8_t { Disable, Enable, Handshake, Toggle };

struct LineSettings {
    std::uint32_t baudRate = 9600;
    std::uint8_t byteSize = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    bool binary = true;
    bool outxCtsFlow = false;
    bool outxDsrFlow = false;
    DtrControl dtrControl = DtrControl::Enable;
    RtsControl rtsControl = RtsControl::Enable;
    bool outX = false;
    bool inX = false;
};

// The five time-outs in milliseconds, named and combined as on Win32: a read
// waits at most perByte * count + constant in total and, once a byte has come,
// at most interval between two bytes (0 = not used); all three read values 0
// means "wait until count bytes have come". A write waits at most
// perByte * count + constant (both 0 = no limit).
struct SerialTimeouts {
    std::uint32_t readInterval = 0;
    std::uint32_t readTotalPerByte = 0;
    std::uint32_t readTotalConstant = 0;
    std::uint32_t writeTotalPerByte = 0;
    std::uint32_t writeTotalConstant = 0;
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;
    virtual bool GetLineSettings(LineSettings& settings) = 0;
    virtual bool SetLineSettings(const LineSettings& settings) = 0;
    virtual bool GetTimeouts(SerialTimeouts& timeouts) = 0;
    virtual bool SetTimeouts(const SerialTimeouts& timeouts) = 0;
    // Up to count bytes under the read time-outs, or fewer once Wake was
    // called; false on a platform failure (bytesRead then tells what moved
    // before it).
    virtual bool Read(char* buffer, std::uint32_t count, std::uint32_t& bytesRead) = 0;
    // count bytes under the write time-outs; a write held by flow control ends
    // with true and bytesWritten 0 once its time-out has passed.
    virtual bool Write(const char* data, std::uint32_t count, std::uint32_t& bytesWritten) = 0;
    // Clears the line-error state and reports the input-queue count.
    virtual bool ClearError(std::uint32_t& inputQueue) = 0;
    // Discards the input queue; output is not touched.
    virtual bool PurgeInput() = 0;
    virtual bool Close() = 0;
    // Platform error number of the last failed call, for traces only.
    virtual std::uint32_t LastError() = 0;
    // Blocks until input is waiting, timeoutMs has passed or Wake was called,
    // whichever comes first; true when input is waiting. Replaces polling.
    virtual bool WaitForInput(std::uint32_t timeoutMs) = 0;
    // Ends a WaitForInput or a Read of another thread early; when none is
    // under way, the next one returns at once. Safe from any thread, but not
    // while the device is being closed.
    virtual void Wake() = 0;
};

// Why a device could not be opened, as far as the platform can tell: a small
// value each platform fills and the program says in one line.
enum class PortFailureKind : std::uint8_t { None, Missing, NoPermission, Busy, Other };

struct PortFailure {
    PortFailureKind kind = PortFailureKind::None;
    std::uint32_t error = 0;  // the platform error number behind it
    std::string group;        // NoPermission: members of this group may open it (empty: unknown)
    std::string holder;       // Busy: the program that holds it (empty: unknown)
    long holderPid = 0;       // Busy: its process id (0: unknown)
};

class SerialDriver {
public:
    virtual ~SerialDriver() = default;
    // Opens an existing device by name for reading and writing, not shared with
    // any other opener; null when that is not possible.
    virtual std::unique_ptr<SerialDevice> Open(const std::string& name) = 0;
    // Platform error number of the last failed Open, for traces only.
    virtual std::uint32_t LastError() = 0;
    // Why Open(name) failed with the platform error number `error`; a
    // platform that cannot tell more leaves the kind Other.
    virtual PortFailure ExplainOpenFailure(const std::string& name, std::uint32_t error) {
        (void)name;
        return {PortFailureKind::Other, error, {}, {}, 0};
    }
};

// The reading of a Win32 open error: a COM port that another program holds
// answers "access denied" (or, from some drivers, "sharing violation"); a
// name that is no device, "not found".
PortFailure Win32OpenFailure(std::uint32_t error);

}  // namespace nubo
