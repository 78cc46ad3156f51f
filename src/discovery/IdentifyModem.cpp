// Identification: detect, name (with the "+GMM:" fallback), firmware. One
// answer text serves every request of a call, so a request that ends early
// leaves the previous answer in it, and the steps work on that.
#include "discovery/IdentifyModem.h"

#include "serial/ComPort.h"

namespace nubo {

namespace {

constexpr int kTimeout = 10000;
constexpr std::uint32_t kSettle = 500;
const char* const kSpace = " \t\n\v\f\r";

void TrimLeft(std::string& s) {
    s.erase(0, std::min(s.find_first_not_of(kSpace), s.size()));
}

void TrimRight(std::string& s) {
    const auto last = s.find_last_not_of(kSpace);
    s.erase(last == std::string::npos ? 0 : last + 1);
}

// The final result code of a standard answer sits in its last four
// characters. A shorter text is blanked whole.
void BlankLastFour(std::string& s) {
    for (std::size_t i = s.size() >= 4 ? s.size() - 4 : 0; i < s.size(); ++i) s[i] = ' ';
}

// Appends the characters of text from start on until one of stops.
void AppendUntil(const std::string& text, std::size_t start, const char* stops, std::string& out) {
    for (std::size_t i = start; i < text.size(); ++i) {
        if (std::string_view(stops).find(text[i]) != std::string_view::npos) return;
        out += text[i];
    }
}

bool Rejected(const std::string& answer) {
    return answer.find("ERR") != std::string::npos;
}

}  // namespace

bool IdentifyModem(SerialLine line, const std::string& portName, const IdentifyCommands& commands,
                   DetectedModem& modem, CancelToken* cancel, PortAttempt* attempt) {
    CComPort port(line.driver, line.clock, line.trace);
    if (port.SetPortName(portName) == 0) return false;
    const int opened = port.Open();
    if (attempt) attempt->openFailure = port.OpenFailure();
    if (!opened) return false;
    port.PurgeInput(kSettle);

    std::string answer;
    auto request = [&](const std::string& command) {
        port.Request(command, answer, RequestScroll, cancel, kTimeout, 0);
        // After a cancel the answer text is stale; nothing may be read from it.
        return !(cancel && cancel->Raised());
    };
    auto giveUp = [&] {
        port.Close();
        return false;
    };

    if (!request(commands.detectCmd)) return giveUp();
    if (attempt) {
        attempt->outcome = port.LastEchoComplete() ? PortOutcome::Answered
                           : port.BytesHeard() > 0 ? PortOutcome::NoEcho
                                                   : PortOutcome::Silent;
    }
    if (answer.find(commands.detectAnswer) == std::string::npos) return giveUp();

    bool identified = false;
    if (!request(commands.readNameCmd)) return giveUp();
    if (!Rejected(answer)) {
        identified = true;
        std::string name = answer;
        if (!name.empty()) {
            TrimLeft(name);
            BlankLastFour(name);
            TrimRight(name);
        }
        modem.modelName = name;
    } else {
        if (!request(commands.readName2Cmd)) return giveUp();
        if (!Rejected(answer)) {
            identified = true;
            modem.modelName.clear();
            std::string text = answer;
            if (!text.empty()) {
                BlankLastFour(text);
                const auto p = text.find("+GMM:");
                // The tag is followed by a blank and the opening quote.
                if (p != std::string::npos) AppendUntil(text, p + 7, "\"", modem.modelName);
            }
        }
    }

    if (!request(commands.readFirmwareCmd)) return giveUp();
    if (!Rejected(answer)) {
        identified = true;
        std::string text = answer;
        if (!text.empty()) {
            TrimLeft(text);
            BlankLastFour(text);
            TrimRight(text);
            const auto p = text.find("Version");
            if (p != std::string::npos) AppendUntil(text, p + 8, "/ ", modem.firmware);
            // Eight here too: the short tag's version starts four characters later.
            const auto q = text.find("Ver.");
            if (q != std::string::npos) AppendUntil(text, q + 8, "/ ", modem.firmware);
        }
    }

    port.Close();
    return identified;
}

}  // namespace nubo
