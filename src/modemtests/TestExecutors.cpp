// The test exchanges. Every one follows the same conversation: name, open,
// half a second for the modem to settle, the exchange, close.
#include "modemtests/TestExecutors.h"

#include <limits>
#include <memory>

#include "serial/ComPort.h"

namespace nubo {

namespace {

constexpr std::uint32_t kSettle = 500;
constexpr int kTimeout = 10000;
constexpr std::uint32_t kPollInterval = 250;
constexpr int kMaxPolls = 240;
// The connect line keeps coming after its first byte; the speed is in it.
constexpr std::uint32_t kRestOfLine = 1000;
// The answer opens with CR LF; the speed follows the connect word and one separator.
constexpr std::size_t kFirstLineStart = 2;
constexpr std::size_t kSpeedAfterWord = 3;

bool Cancelled(const TestLine& line) {
    return line.cancel && line.cancel->Raised();
}

// Names and opens the port and lets the modem settle; null when that fails.
std::unique_ptr<CComPort> OpenPort(const TestLine& line, const std::string& name) {
    auto port = std::make_unique<CComPort>(line.driver, line.clock, line.trace);
    if (port->SetPortName(name) == 0 || !port->Open()) return nullptr;
    port->PurgeInput(kSettle);
    return port;
}

std::string TextUntil(const std::string& text, std::size_t start, const char* stops) {
    if (start >= text.size()) return {};
    const auto end = text.find_first_of(stops, start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

bool HasModemAnswer(const std::string& answer) {
    return answer.find_first_not_of(" \t\r\n") != std::string::npos;
}

unsigned long long LeadingNumber(const std::string& text) {
    constexpr auto kMax = std::numeric_limits<unsigned long long>::max();
    unsigned long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        const auto digit = static_cast<unsigned long long>(c - '0');
        if (value > (kMax - digit) / 10) return kMax;
        value = value * 10 + digit;
    }
    return value;
}

bool SendAndFind(const TestLine& line, const std::string& port, const std::string& command,
                 const std::string& lookFor, std::string& answer) {
    auto com = OpenPort(line, port);
    if (!com) return false;
    std::string received;
    com->Request(command, received, RequestScroll, line.cancel, kTimeout, 0);
    answer = received;
    com->Close();
    return received.find(lookFor) != std::string::npos;
}

bool DialAndCheckSpeed(const TestLine& line, const std::string& port, const std::string& dialCmd,
                       const std::string& connectAnswer, const std::string& minSpeed,
                       std::string& answer) {
    auto com = OpenPort(line, port);
    if (!com) return false;
    std::string received;
    com->Request(dialCmd, received, RequestNoAnswer, line.cancel, kTimeout, 0);

    int waiting = 0;
    for (int polls = 0; waiting == 0 && polls < kMaxPolls && !Cancelled(line); ++polls) {
        line.clock.Sleep(kPollInterval);
        waiting = com->BytesWaiting();
    }
    if (!Cancelled(line)) line.clock.Sleep(kRestOfLine);
    waiting = com->BytesWaiting();
    com->Read(received, waiting);

    bool passed = false;
    if (received.find(connectAnswer) != std::string::npos) {
        answer = TextUntil(received, kFirstLineStart, "\n");
        const std::string speed =
            TextUntil(received, connectAnswer.size() + kSpeedAfterWord, "\n/ ");
        passed = LeadingNumber(speed) >= LeadingNumber(minSpeed);
    } else {
        answer = received;
    }
    if (waiting == 0) answer = "TimeOut !";
    com->Close();
    return passed;
}

bool SendDiagnostic(const TestLine& line, const std::string& port, const std::string& command,
                    const std::string& diagAnswer, std::string& answer) {
    // The same exchange as the other tests; a silent modem must not pass
    // because an empty diagnostic answer is found in any text.
    return SendAndFind(line, port, command, diagAnswer, answer) && HasModemAnswer(answer);
}

}  // namespace nubo
