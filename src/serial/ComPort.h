// One serial conversation with a modem: fixed line set-up, plain byte I/O with
// short time-outs, and the AT request engine. An object belongs to the thread
// that created it; only the cancel token of Request may be raised from elsewhere.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/CancelToken.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"
#include "serial/SerialTrace.h"

namespace nubo {

enum RequestFlags : int {
    RequestSkipEcho = 1,  // write the command at once, await no echo
    RequestNoAnswer = 2,  // done once the line end came back
    RequestScroll = 4,    // send a CR when the answer stalls, for paged output
};

class CComPort {
public:
    // Collected answer text stops growing here; the answer phase ends with it.
    static constexpr std::size_t kMaxAnswer = std::size_t{64} * 1024;
    // Pause after which a stalled answer gets a scroll CR.
    static constexpr std::uint32_t kScrollAfter = 250;
    // Scroll CRs are sent for at most this many time-outs of one attempt:
    // output that trickles in a few bytes per CR would otherwise keep an
    // answer going for hours before the answer cap is reached.
    static constexpr std::uint32_t kScrollTimeouts = 6;

    CComPort(SerialDriver& driver, Clock& clock, SerialTraceSink* trace = nullptr);
    virtual ~CComPort();
    CComPort(const CComPort&) = delete;
    CComPort& operator=(const CComPort&) = delete;

    // Length of the new name; 0 (an empty name) is a failure for every caller.
    int SetPortName(const std::string& name);
    // 1 opened with the fixed line settings, 0 failed (the port is then closed).
    int Open();
    // 1 closed, 0 nothing closed.
    int Close();
    // Received bytes waiting; 0 also on failure. Clears pending line errors.
    int BytesWaiting();
    // Up to count bytes under the device's read time-outs; out gets exactly
    // count characters, NUL where nothing arrived. Returns the count read.
    int Read(std::string& out, int count);
    int ReadWithTimeout(std::string& out, int count, std::uint32_t total, std::uint32_t interval);
    // Writes the first count bytes of text; the count written, 0 on failure.
    int Write(const std::string& text, int count);
    // Sleeps delay ms (0 = none), then discards all received input.
    void PurgeInput(std::uint32_t delay);

    // One AT command exchange: 1 on "OK" (or, with RequestNoAnswer, once the
    // command and its CR went through), 0 otherwise. answer is written only at
    // the normal end. cancel may be null; once raised it ends the request, and
    // raising it during a wait on the port ends the wait at once.
    int Request(const std::string& command, std::string& answer, int flags, CancelToken* cancel,
                int timeout, int retries);
    // For callers whose flag no other thread writes: looked at between the
    // steps of the request, it ends no wait.
    int Request(const std::string& command, std::string& answer, int flags, const int* cancel,
                int timeout, int retries);
    int Request(const std::string& command, std::string& answer, int flags, std::nullptr_t,
                int timeout, int retries);

    // printf-style step trace to the sink given at construction (or the default).
    void DebugTrace(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    // What the port heard, for the run report: bytes read since construction,
    // and whether the last request's command and CR came back whole.
    std::uint64_t BytesHeard() const {
        return bytesHeard_;
    }
    bool LastEchoComplete() const {
        return echoComplete_;
    }

    bool IsOpen() const {
        return device_ != nullptr;
    }
    const std::string& PortName() const {
        return portName_;
    }
    // Why the last Open found no device to open (kind None after a good Open
    // or a failed line set-up).
    const PortFailure& OpenFailure() const {
        return openFailure_;
    }

private:
    struct CancelFlag;
    int RunRequest(const std::string& command, std::string& answer, int flags,
                   const CancelFlag& cancel, int timeout, int retries);
    // The request's three phases; false ends the request without an answer.
    // Write phase: the command, each character checked against its echo
    // (unless RequestSkipEcho), the port reopened after a disturbed echo.
    bool WriteCommand(const std::string& command, int flags, const CancelFlag& cancel);
    // Line-end phase: the CR, sent until it comes back.
    bool WriteLineEnd(const CancelFlag& cancel);
    // Answer phase: collects until a result word (its class in answerClass),
    // the time-out, the end of scrolling or the answer cap.
    bool CollectAnswer(std::string& collected, int& answerClass, int flags,
                       const CancelFlag& cancel, std::uint32_t answerTime);
    bool Cancelled(const CancelFlag& cancel);
    // Blocks until input waits, deadline (a tick value) comes or the request's
    // cancel token is raised.
    void WaitForInputUntil(std::uint32_t deadline);
    // The token that a raise must wake this port's device through: set for the
    // length of a request, and the device handed to it whenever one is open.
    void WatchWith(CancelToken* token);

    SerialDriver& driver_;
    Clock& clock_;
    SerialTraceSink& trace_;
    std::unique_ptr<SerialDevice> device_;  // null exactly when the port is closed
    std::string portName_;
    std::uint64_t bytesHeard_ = 0;
    bool echoComplete_ = false;
    PortFailure openFailure_;
    CancelToken* watcher_ = nullptr;
};

}  // namespace nubo
