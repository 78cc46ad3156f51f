// Win32 communications devices: the DCB and COMMTIMEOUTS carry the line
// set-up and time-outs unchanged, ReadFile and WriteFile wait in the driver.
#include "platform/win32/Win32Serial.h"

#include <windows.h>

namespace nubo {

namespace {

HANDLE AsHandle(void* handle) {
    return static_cast<HANDLE>(handle);
}

}  // namespace

Win32SerialDevice::Win32SerialDevice(void* handle)
    : handle_(handle), wakeEvent_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

Win32SerialDevice::~Win32SerialDevice() {
    Close();
    if (wakeEvent_) CloseHandle(AsHandle(wakeEvent_));
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
    DWORD got = 0;
    const BOOL ok = ReadFile(AsHandle(handle_), buffer, count, &got, nullptr);
    bytesRead = got;
    return ok ? true : Fail();
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
    inputQueue = stat.cbInQue;
    return true;
}

bool Win32SerialDevice::PurgeInput() {
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
    // A synchronous handle has no waitable "input arrived" (WaitCommEvent would
    // hold the handle without a time limit), so look at the queue in short
    // steps, sleeping on the wake event in between.
    constexpr DWORD kStep = 2;
    const DWORD start = GetTickCount();
    for (;;) {
        std::uint32_t waiting = 0;
        if (!ClearError(waiting)) return false;
        if (waiting > 0) return true;
        const DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs) return false;
        const DWORD left = timeoutMs - spent;
        if (wakeEvent_ && WaitForSingleObject(AsHandle(wakeEvent_), left < kStep ? left : kStep) ==
                              WAIT_OBJECT_0) {
            return false;
        }
    }
}

void Win32SerialDevice::Wake() {
    if (wakeEvent_) SetEvent(AsHandle(wakeEvent_));
}

std::unique_ptr<SerialDevice> Win32SerialDriver::Open(const std::string& name) {
    if (name.empty()) {
        lastError_ = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    // The plain name opens only COM1 to COM9; the device namespace opens them all.
    const std::string path = name.rfind("\\\\.\\", 0) == 0 ? name : "\\\\.\\" + name;
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        lastError_ = GetLastError();
        return nullptr;
    }
    return std::make_unique<Win32SerialDevice>(handle);
}

}  // namespace nubo
