// Win32 communications devices: the DCB and COMMTIMEOUTS carry the line
// set-up and time-outs unchanged, ReadFile and WriteFile wait in the driver.
#include "platform/win32/Win32Serial.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace nubo {

namespace {

HANDLE AsHandle(void* handle) {
    return static_cast<HANDLE>(handle);
}

}  // namespace

Win32SerialDevice::Win32SerialDevice(void* handle) : handle_(handle) {}

Win32SerialDevice::~Win32SerialDevice() {
    Close();
}

bool Win32SerialDevice::Fail() {
    lastError_ = GetLastError();
    return false;
}

bool Win32SerialDevice::GetLineSettings(LineSettings& settings) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(AsHandle(handle_), &dcb)) return Fail();
    settings.baudRate = dcb.BaudRate;
    settings.byteSize = dcb.ByteSize;
    settings.parity = dcb.Parity <= SPACEPARITY ? static_cast<Parity>(dcb.Parity) : Parity::None;
    settings.stopBits =
        dcb.StopBits <= TWOSTOPBITS ? static_cast<StopBits>(dcb.StopBits) : StopBits::One;
    settings.binary = dcb.fBinary != 0;
    settings.outxCtsFlow = dcb.fOutxCtsFlow != 0;
    settings.outxDsrFlow = dcb.fOutxDsrFlow != 0;
    settings.dtrControl = static_cast<DtrControl>(dcb.fDtrControl);
    // Wine on a pseudo-terminal reports RTS_CONTROL_ENABLE after
    // RTS_CONTROL_HANDSHAKE was set; nothing reads the value back to check it.
    settings.rtsControl = static_cast<RtsControl>(dcb.fRtsControl);
    settings.outX = dcb.fOutX != 0;
    settings.inX = dcb.fInX != 0;
    return true;
}

bool Win32SerialDevice::SetLineSettings(const LineSettings& settings) {
    // Every field the interface does not name stays as the device has it.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(AsHandle(handle_), &dcb)) return Fail();
    dcb.BaudRate = settings.baudRate;
    dcb.ByteSize = settings.byteSize;
    dcb.Parity = static_cast<BYTE>(settings.parity);
    dcb.StopBits = static_cast<BYTE>(settings.stopBits);
    dcb.fBinary = settings.binary;
    dcb.fOutxCtsFlow = settings.outxCtsFlow;
    dcb.fOutxDsrFlow = settings.outxDsrFlow;
    dcb.fDtrControl = static_cast<DWORD>(settings.dtrControl);
    dcb.fRtsControl = static_cast<DWORD>(settings.rtsControl);
    dcb.fOutX = settings.outX;
    dcb.fInX = settings.inX;
    if (!SetCommState(AsHandle(handle_), &dcb)) return Fail();
    return true;
}

bool Win32SerialDevice::GetTimeouts(SerialTimeouts& timeouts) {
    COMMTIMEOUTS t{};
    if (!GetCommTimeouts(AsHandle(handle_), &t)) return Fail();
    timeouts.readInterval = t.ReadIntervalTimeout;
    timeouts.readTotalPerByte = t.ReadTotalTimeoutMultiplier;
    timeouts.readTotalConstant = t.ReadTotalTimeoutConstant;
    timeouts.writeTotalPerByte = t.WriteTotalTimeoutMultiplier;
    timeouts.writeTotalConstant = t.WriteTotalTimeoutConstant;
    return true;
}

bool Win32SerialDevice::SetTimeouts(const SerialTimeouts& timeouts) {
    COMMTIMEOUTS t{timeouts.readInterval, timeouts.readTotalPerByte, timeouts.readTotalConstant,
                   timeouts.writeTotalPerByte, timeouts.writeTotalConstant};
    if (!SetCommTimeouts(AsHandle(handle_), &t)) return Fail();
    return true;
}

bool Win32SerialDevice::Read(char* buffer, std::uint32_t count, std::uint32_t& bytesRead) {
    bytesRead = 0;
    if (count == 0) return true;
    if (pending_ >= 0) {
        *buffer++ = static_cast<char>(pending_);
        pending_ = -1;
        --count;
        bytesRead = 1;
        if (count == 0) return true;
    }
    std::uint32_t got = 0;
    const bool ok = WakeableRead(buffer, count, got);
    bytesRead += got;
    return ok;
}

bool Win32SerialDevice::WakeableRead(char* buffer, std::uint32_t count, std::uint32_t& got) {
    got = 0;
    // The flag is looked at after reading_ is up, and Wake looks at reading_
    // after raising the flag: a wake either stops the read here or finds it
    // to cancel.
    reading_ = true;
    if (wakeUp_.exchange(false)) {
        reading_ = false;
        return true;
    }
    DWORD n = 0;
    const BOOL ok = ReadFile(AsHandle(handle_), buffer, count, &n, nullptr);
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    reading_ = false;
    got = n;
    if (ok) return true;
    if (error == ERROR_OPERATION_ABORTED && wakeUp_.exchange(false)) return true;
    lastError_ = error;
    return false;
}

bool Win32SerialDevice::Write(const char* data, std::uint32_t count, std::uint32_t& bytesWritten) {
    DWORD put = 0;
    const BOOL ok = WriteFile(AsHandle(handle_), data, count, &put, nullptr);
    bytesWritten = put;
    return ok ? true : Fail();
}

bool Win32SerialDevice::ClearError(std::uint32_t& inputQueue) {
    DWORD errors = 0;
    COMSTAT stat{};
    inputQueue = 0;
    if (!ClearCommError(AsHandle(handle_), &errors, &stat)) return Fail();
    inputQueue = stat.cbInQue + (pending_ >= 0 ? 1 : 0);
    return true;
}

bool Win32SerialDevice::PurgeInput() {
    pending_ = -1;
    if (!PurgeComm(AsHandle(handle_), PURGE_RXCLEAR)) return Fail();
    return true;
}

bool Win32SerialDevice::Close() {
    if (handle_ == INVALID_HANDLE_VALUE) {
        lastError_ = ERROR_INVALID_HANDLE;
        return false;
    }
    if (!CloseHandle(AsHandle(handle_))) return Fail();
    handle_ = INVALID_HANDLE_VALUE;
    return true;
}

bool Win32SerialDevice::WaitForInput(std::uint32_t timeoutMs) {
    if (pending_ >= 0) return true;
    std::uint32_t queued = 0;
    if (!ClearError(queued)) return false;
    if (queued > 0) return true;
    // A synchronous handle has nothing waitable for "input arrived" but a read
    // itself: a one-byte read under a total time-out blocks in the driver and
    // returns as soon as a byte came. The byte is kept for the next Read.
    COMMTIMEOUTS saved{};
    if (!GetCommTimeouts(AsHandle(handle_), &saved)) return Fail();
    COMMTIMEOUTS wait = saved;
    wait.ReadIntervalTimeout = 0;
    wait.ReadTotalTimeoutMultiplier = 0;
    wait.ReadTotalTimeoutConstant = timeoutMs > 0 ? timeoutMs : 1;
    if (!SetCommTimeouts(AsHandle(handle_), &wait)) return Fail();
    char byte = 0;
    std::uint32_t got = 0;
    const bool ok = WakeableRead(&byte, 1, got);
    SetCommTimeouts(AsHandle(handle_), &saved);
    if (!ok || got == 0) return false;
    pending_ = static_cast<unsigned char>(byte);
    return true;
}

void Win32SerialDevice::Wake() {
    wakeUp_ = true;
    // A synchronous read ends early only when cancelled. One that has looked
    // at the flag but not reached the driver yet has nothing to cancel: try
    // again until it has left (at once, normally), within a bound so that a
    // driver that cannot cancel leaves the wait to its time-out. Wine 8 is
    // one: CancelIoEx reports the read cancelled, which then runs on to its
    // time-out (the engine's waits last at most half a second there).
    constexpr DWORD kMaxTryMs = 100;
    const DWORD start = GetTickCount();
    while (reading_ && GetTickCount() - start < kMaxTryMs) {
        if (CancelIoEx(AsHandle(handle_), nullptr)) break;
        if (GetLastError() != ERROR_NOT_FOUND) break;
        Sleep(1);
    }
}

std::unique_ptr<SerialDevice> Win32SerialDriver::Open(const std::string& name) {
    if (name.empty()) {
        lastError_ = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    // The plain name opens only COM1 to COM9; the device namespace opens them all.
    const std::string path = name.rfind("\\\\.\\", 0) == 0 ? name : "\\\\.\\" + name;
    HANDLE handle = CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        lastError_ = GetLastError();
        return nullptr;
    }
    return std::make_unique<Win32SerialDevice>(handle);
}

}  // namespace nubo
