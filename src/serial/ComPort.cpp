// The serial port of one conversation: open with the fixed line set-up, byte
// I/O under temporary read time-outs, input purge, close, and the debug trace.
#include "serial/ComPort.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "serial/PortFailureText.h"

namespace nubo {

namespace {

// Traced for an operation on a closed port, as the platform reports an invalid handle.
constexpr std::uint32_t kInvalidHandleError = 6;

}  // namespace

CComPort::CComPort(SerialDriver& driver, Clock& clock, SerialTraceSink* trace)
    : driver_(driver), clock_(clock), trace_(trace != nullptr ? *trace : DefaultSerialTrace()) {}

CComPort::~CComPort() {
    Close();
}

void CComPort::DebugTrace(const char* format, ...) {
    if (!trace_.Enabled()) return;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<std::size_t>(length));
    }
    va_end(args);
    trace_.Trace(text);
}

int CComPort::SetPortName(const std::string& name) {
    portName_ = name;
    return static_cast<int>(portName_.size());
}

int CComPort::Open() {
    DebugTrace("Open: <%s>\n", portName_.c_str());
    Close();
    openFailure_ = {};
    std::unique_ptr<SerialDevice> device = driver_.Open(portName_);
    if (!device) {
        DebugTrace("Open: Abort Open <%s>\n", portName_.c_str());
        openFailure_ = driver_.ExplainOpenFailure(portName_, driver_.LastError());
        const std::string why = DescribePortFailure(portName_, openFailure_);
        DebugTrace("Open: %s\n", why.c_str());
        trace_.Notice(why);
        return 0;
    }
    LineSettings line;
    SerialTimeouts timeouts;
    bool ok = device->GetLineSettings(line);
    if (ok) {
        line.baudRate = 115200;
        line.byteSize = 8;
        line.parity = Parity::None;
        line.stopBits = StopBits::One;
        line.binary = true;
        line.outxCtsFlow = true;
        line.outxDsrFlow = false;
        line.dtrControl = DtrControl::Enable;
        line.rtsControl = RtsControl::Handshake;
        line.outX = false;
        line.inX = false;
        ok = device->SetLineSettings(line);
    }
    if (ok) ok = device->GetTimeouts(timeouts);
    if (ok) {
        timeouts.writeTotalPerByte = 10;
        timeouts.writeTotalConstant = 1000;
        ok = device->SetTimeouts(timeouts);
    }
    if (!ok) {
        device->Close();
        return 0;
    }
    device_ = std::move(device);
    if (watcher_ != nullptr) watcher_->Watch(device_.get());
    return 1;
}

int CComPort::Close() {
    DebugTrace("Close: <%s>\n", portName_.c_str());
    PurgeInput(0);
    if (!device_) return 0;
    if (watcher_ != nullptr) watcher_->Unwatch(device_.get());
    if (!device_->Close()) {
        if (watcher_ != nullptr) watcher_->Watch(device_.get());
        return 0;
    }
    device_.reset();
    return 1;
}

int CComPort::BytesWaiting() {
    std::uint32_t waiting = 0;
    if (!device_ || !device_->ClearError(waiting)) return 0;
    return static_cast<int>(waiting);
}

int CComPort::Read(std::string& out, int count) {
    const std::uint32_t wanted = count > 0 ? static_cast<std::uint32_t>(count) : 0;
    std::vector<char> buffer(wanted + 1, '\0');
    std::uint32_t got = 0;
    bool ok = false;
    std::uint32_t error = kInvalidHandleError;
    if (device_) {
        ok = device_->Read(buffer.data(), wanted, got);
        if (!ok) error = device_->LastError();
    }
    if (!ok) {
        DebugTrace("Read:Critial Error: %u\n", static_cast<unsigned>(error));
        got = 0;
    }
    bytesHeard_ += got;
    out.assign(buffer.data(), wanted);
    return static_cast<int>(got);
}

int CComPort::ReadWithTimeout(std::string& out, int count, std::uint32_t total,
                              std::uint32_t interval) {
    SerialTimeouts saved;
    const bool haveSaved = device_ && device_->GetTimeouts(saved);
    if (device_) {
        SerialTimeouts temporary = haveSaved ? saved : SerialTimeouts{};
        temporary.readInterval = interval;
        temporary.readTotalPerByte = 0;
        temporary.readTotalConstant = total;
        device_->SetTimeouts(temporary);
    }
    const int got = Read(out, count);
    if (haveSaved && device_) device_->SetTimeouts(saved);
    return got;
}

int CComPort::Write(const std::string& text, int count) {
    std::uint32_t wanted = count > 0 ? static_cast<std::uint32_t>(count) : 0;
    // Never past the end of the text, whatever the caller counted.
    if (wanted > text.size()) wanted = static_cast<std::uint32_t>(text.size());
    std::uint32_t written = 0;
    bool ok = false;
    std::uint32_t error = kInvalidHandleError;
    if (device_) {
        ok = device_->Write(text.data(), wanted, written);
        if (!ok) error = device_->LastError();
    }
    if (!ok) DebugTrace("Write:Critial Error: %u\n", static_cast<unsigned>(error));
    return static_cast<int>(written);
}

void CComPort::PurgeInput(std::uint32_t delay) {
    if (delay != 0) clock_.Sleep(delay);
    if (device_) device_->PurgeInput();
}

}  // namespace nubo
