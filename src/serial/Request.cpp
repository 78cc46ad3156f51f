// The AT request engine: character-by-character echo check with close-and-
// reopen cycles, the line-end phase, answer collection and its classification.
// Runs on the caller's thread; the cancel flag is the one thing shared, and
// raising it wakes the port's wait.
#include <string_view>

#include "serial/ComPort.h"

namespace nubo {

namespace {

constexpr std::uint32_t kEchoWait = 500;
constexpr std::uint32_t kReopenPause = 10;
constexpr int kMaxEchoFailures = 10;
constexpr int kMaxLineEndTries = 10;
constexpr std::uint32_t kAttemptPause = 500;

struct ResultWord {
    std::string_view word;
    int answerClass;
    const char* trace;
};

// Searched in this order; the first word found decides ("NOK" before "OK").
constexpr ResultWord kResultWords[] = {
    {"NOK", -3, "Request: \"NOK\" found in modem string, exiting.\n"},
    {"ERROR", -1, "Request: \"ERROR\" found in modem string, exiting.\n"},
    {"NO CARRIER", -2, "Request: \"NO CARRIER\" found in modem string, exiting.\n"},
    {"OK", 1, "Request: \"OK\" found in modem string, exiting.\n"},
};

// Tick values wrap like the platform's 32-bit counter.
std::uint32_t Since(std::uint32_t now, std::uint32_t start) {
    return now - start;
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// A run of scroll CRs that bring back nothing but line ends may cover at most
// the time-out: then the device is taken to be silent, not paging.
int IdleScrollLimit(int timeout) {
    const int limit = (timeout + static_cast<int>(CComPort::kScrollAfter) - 1) /
                      static_cast<int>(CComPort::kScrollAfter);
    return limit < 1 ? 1 : limit;
}

}  // namespace

struct CComPort::CancelFlag {
    CancelToken* token = nullptr;
    const int* plain = nullptr;
    bool Raised() const {
        if (token != nullptr) return token->Raised();
        return plain != nullptr && *plain != 0;
    }
};

int CComPort::Request(const std::string& command, std::string& answer, int flags,
                      CancelToken* cancel, int timeout, int retries) {
    CancelFlag flag;
    flag.token = cancel;
    WatchWith(cancel);
    const int result = RunRequest(command, answer, flags, flag, timeout, retries);
    WatchWith(nullptr);
    return result;
}

int CComPort::Request(const std::string& command, std::string& answer, int flags, const int* cancel,
                      int timeout, int retries) {
    CancelFlag flag;
    flag.plain = cancel;
    return RunRequest(command, answer, flags, flag, timeout, retries);
}

int CComPort::Request(const std::string& command, std::string& answer, int flags, std::nullptr_t,
                      int timeout, int retries) {
    return RunRequest(command, answer, flags, CancelFlag{}, timeout, retries);
}

bool CComPort::Cancelled(const CancelFlag& cancel) {
    if (!cancel.Raised()) return false;
    DebugTrace("Request: Action canceld!\n");
    return true;
}

void CComPort::WatchWith(CancelToken* token) {
    if (watcher_ != nullptr && device_) watcher_->Unwatch(device_.get());
    watcher_ = token;
    if (watcher_ != nullptr && device_) watcher_->Watch(device_.get());
}

void CComPort::WaitForInputUntil(std::uint32_t deadline) {
    const std::uint32_t now = clock_.TickCount();
    const auto left = static_cast<std::int32_t>(deadline - now);
    if (left <= 0) return;
    if (device_) {
        device_->WaitForInput(static_cast<std::uint32_t>(left));
    } else {
        clock_.Sleep(static_cast<std::uint32_t>(left));
    }
}

bool CComPort::WriteCommand(const std::string& command, int flags, const CancelFlag& cancel) {
    if (flags & RequestSkipEcho) {
        DebugTrace("Request: Ignore answer!\n");
        if (Write(command, static_cast<int>(command.size())) == 0) {
            DebugTrace("Request: Error writing character!\n");
            return false;
        }
        return true;
    }
    DebugTrace("Request: Try to write ");
    int failures = 0;
    std::size_t k = 0;
    while (k < command.size()) {
        DebugTrace("%d.%c ", static_cast<int>(k), command[k]);
        if (Cancelled(cancel)) return false;
        if (Write(command.substr(k, 1), 1) == 0) {
            DebugTrace("Request: Error writing character!\n");
            return false;
        }
        std::string echo;
        if (ReadWithTimeout(echo, 1, kEchoWait, 0) == 1 && echo[0] == command[k]) {
            ++k;
            continue;
        }
        // An echo wait that a cancel ended is no disturbed line.
        if (Cancelled(cancel)) return false;
        Close();
        DebugTrace("Request: no echo return \n");
        if (++failures > kMaxEchoFailures) {
            DebugTrace("Request: Error Retries!\n");
            return false;
        }
        clock_.Sleep(kReopenPause);
        Open();
        k = 0;
    }
    return true;
}

bool CComPort::WriteLineEnd(const CancelFlag& cancel) {
    DebugTrace("\n");
    const std::string lineEnd(1, '\r');
    int failures = 0;
    for (;;) {
        if (Cancelled(cancel)) return false;
        if (++failures > kMaxLineEndTries) return false;
        DebugTrace("Request: Send <CR>\n");
        if (Write(lineEnd, 1) == 0) {
            DebugTrace("Request: Error writing character!\n");
            return false;
        }
        std::string echo;
        if (ReadWithTimeout(echo, 1, kEchoWait, 0) == 1 && IsLineEnd(echo[0])) return true;
    }
}

bool CComPort::CollectAnswer(std::string& collected, int& answerClass, int flags,
                             const CancelFlag& cancel, std::uint32_t answerTime) {
    const std::string lineEnd(1, '\r');
    std::uint32_t start = clock_.TickCount();
    collected.clear();
    bool scrollSent = false;
    bool onlyLineEndsSinceScroll = true;
    int idleScrolls = 0;
    const std::uint32_t phaseStart = start;
    bool idleTraced = false;
    const int idleLimit = IdleScrollLimit(static_cast<int>(answerTime));
    while (answerClass == 0 && Since(clock_.TickCount(), start) < answerTime) {
        if (Cancelled(cancel)) return false;
        const int waiting = BytesWaiting();
        if (waiting == 0) {
            if (!(flags & RequestScroll)) {
                WaitForInputUntil(start + answerTime);
                continue;
            }
            if (!idleTraced) {
                DebugTrace("Request: no sign and scroll on\n");
                idleTraced = true;
            }
            if (Since(clock_.TickCount(), start) < kScrollAfter) {
                const std::uint32_t scrollAt = start + kScrollAfter;
                const std::uint32_t timeoutAt = start + answerTime;
                WaitForInputUntil(answerTime < kScrollAfter ? timeoutAt : scrollAt);
                continue;
            }
            if (scrollSent) idleScrolls = onlyLineEndsSinceScroll ? idleScrolls + 1 : 0;
            if (idleScrolls >= idleLimit) break;
            if (Since(clock_.TickCount(), phaseStart) >= kScrollTimeouts * answerTime) break;
            if (Write(lineEnd, 1) == 0) {
                DebugTrace("Request: Error writing character!\n");
                return false;
            }
            start = clock_.TickCount();
            scrollSent = true;
            onlyLineEndsSinceScroll = true;
            idleTraced = false;
            continue;
        }
        std::string chunk;
        if (Read(chunk, waiting) != waiting) {
            DebugTrace("Request: Error reading character!\n");
            return false;
        }
        idleTraced = false;
        for (char c : chunk) {
            if (!IsLineEnd(c)) onlyLineEndsSinceScroll = false;
        }
        const std::size_t room = kMaxAnswer - collected.size();
        collected.append(chunk, 0, chunk.size() < room ? chunk.size() : room);
        for (const ResultWord& word : kResultWords) {
            if (collected.find(word.word) != std::string::npos) {
                answerClass = word.answerClass;
                DebugTrace("%s", word.trace);
                break;
            }
        }
        // A device that floods the line gets no more than the cap.
        if (collected.size() >= kMaxAnswer) break;
    }
    return true;
}

int CComPort::RunRequest(const std::string& command, std::string& answer, int flags,
                         const CancelFlag& cancel, int timeout, int retries) {
    const std::uint32_t answerTime = timeout > 0 ? static_cast<std::uint32_t>(timeout) : 0;
    DebugTrace("\n#####################\n\nRequest: COMMAND <%s>\n", command.c_str());
    int answerClass = 0;
    int attempts = 0;
    std::string collected;
    echoComplete_ = false;

    while (answerClass < 1) {
        answerClass = 0;
        if (Cancelled(cancel)) return 0;
        PurgeInput(0);
        if (!WriteCommand(command, flags, cancel)) return 0;
        // The CR must come back before the answer counts.
        if (!WriteLineEnd(cancel)) return 0;
        DebugTrace("Request: complete command written\n");
        echoComplete_ = true;
        if (flags & RequestNoAnswer) return 1;
        if (!CollectAnswer(collected, answerClass, flags, cancel, answerTime)) return 0;

        if (++attempts > retries) break;
        if (answerClass < 1) clock_.Sleep(kAttemptPause);
    }

    DebugTrace("Request: Modem answer: \"%s\"\n", collected.c_str());
    answer = collected;
    if (answerClass == 1) {
        DebugTrace("Request: Result: OK! \n\n#####################\n");
    } else {
        DebugTrace("Request: Result:Error %d \n\n#####################\n", answerClass);
    }
    return answerClass > 0 ? 1 : 0;
}

}  // namespace nubo
