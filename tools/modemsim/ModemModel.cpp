// The emulated modem's behaviour: echo, command lines, framed answers, the dial
// call, and the faults it can be told to show.
#include "ModemModel.h"

#include <cctype>

namespace nubo::modemsim {

namespace {

constexpr std::size_t kMaxLine = 256;
constexpr std::size_t kFloodChunk = 256;
constexpr std::uint32_t kFloodPeriod = 20;  // about the pace of a 115200 bit/s line
constexpr std::size_t kFloodPerTake = 64 * 1024;
const char* const kMorePrompt = "\r\n-- more --";

bool Before(std::uint32_t a, std::uint32_t b) {
    return static_cast<std::int32_t>(a - b) < 0;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::size_t start = 0;
    for (;;) {
        const auto nl = text.find('\n', start);
        lines.push_back(text.substr(start, nl - start));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return lines;
}

std::string InfoBlock(const std::vector<std::string>& lines, std::size_t from, std::size_t to) {
    std::string bytes;
    for (std::size_t i = from; i < to; ++i) bytes += "\r\n" + lines[i];
    return bytes;
}

}  // namespace

ModemModel::ModemModel(ModemProfile profile)
    : profile_(std::move(profile)),
      commands_(profile_.Commands()),
      wrongEchoesLeft_(profile_.faults.wrongEchoTimes) {}

void ModemModel::Send(std::string bytes, std::uint32_t due) {
    if (bytes.empty()) return;
    // The line is first in, first out: nothing overtakes what is queued.
    if (!out_.empty() && Before(due, lastDue_)) due = lastDue_;
    lastDue_ = due;
    out_.push_back({due, std::move(bytes)});
}

void ModemModel::Echo(char c, std::uint32_t now) {
    if (!profile_.faults.echoOff) Send(std::string(1, c), now);
}

void ModemModel::Receive(std::string_view bytes, std::uint32_t now) {
    const Faults& f = profile_.faults;
    for (char c : bytes) {
        if (f.silent || dead_ || online_) continue;
        if (!pages_.empty()) {
            // A paging modem takes any CR as "go on" and does not echo it.
            if (c == '\r') NextPage(now);
            continue;
        }
        if (c == '\n') continue;
        if (c == '\r') {
            const std::string upper = Upper(line_);
            const bool faulty = f.onlyCommand.empty() || upper == f.onlyCommand;
            if (f.noCrEcho && faulty) continue;
            Echo(c, now);
            const std::string line = line_;
            line_.clear();
            lineChars_ = 0;
            Execute(line, now);
            continue;
        }
        ++lineChars_;
        if (f.wrongEchoAt == lineChars_ && wrongEchoesLeft_ != 0) {
            if (wrongEchoesLeft_ > 0) --wrongEchoesLeft_;
            if (!f.echoOff) Send(std::string(1, c == '#' ? '*' : '#'), now);
        } else {
            Echo(c, now);
        }
        if (line_.size() < kMaxLine) line_ += c;
    }
}

bool ModemModel::IsDial(const std::string& upper) const {
    // AT, then any settings such as X3 or &C1, then D.
    std::size_t i = 2;
    while (i < upper.size()) {
        if (upper[i] == 'D') return true;
        if (upper[i] == '&') ++i;
        if (i >= upper.size() || !std::isalpha(static_cast<unsigned char>(upper[i]))) return false;
        ++i;
        while (i < upper.size() && std::isdigit(static_cast<unsigned char>(upper[i]))) ++i;
    }
    return false;
}

void ModemModel::Execute(const std::string& line, std::uint32_t now) {
    const std::string upper = Upper(line);
    if (upper.rfind("AT", 0) != 0) return;  // not a command line: a modem ignores it
    lines_.push_back(line);
    const Faults& f = profile_.faults;
    const bool faulty = f.onlyCommand.empty() || upper == f.onlyCommand;
    if (f.silentAfterCr && faulty) return;
    if (IsDial(upper)) {
        Dial(faulty, now);
        return;
    }
    for (const CommandAnswer& command : commands_) {
        if (command.command == upper) {
            Answer(SplitLines(command.info), command.result, faulty, now);
            return;
        }
    }
    Answer({}, "ERROR", faulty, now);
}

void ModemModel::Dial(bool faulty, std::uint32_t now) {
    std::string outcome;
    switch (profile_.dial) {
        case DialOutcome::Connect:
            outcome = "CONNECT " + profile_.connectSpeed;
            online_ = true;
            break;
        case DialOutcome::NoCarrier:
            outcome = "NO CARRIER";
            break;
        case DialOutcome::Busy:
            outcome = "BUSY";
            break;
        case DialOutcome::NoDialTone:
            outcome = "NO DIALTONE";
            break;
        case DialOutcome::Silent:
            return;
    }
    std::string bytes;
    for (const std::string& report : SplitLines(profile_.dialReport)) bytes += "\r\n" + report;
    SendFramed(bytes + "\r\n" + outcome + "\r\n", faulty, now + profile_.connectDelay);
}

void ModemModel::Answer(const std::vector<std::string>& info, const std::string& result,
                        bool faulty, std::uint32_t now) {
    const Faults& f = profile_.faults;
    const std::uint32_t at = now + profile_.replyDelay;
    if (f.flood && faulty) {
        flooding_ = true;
        flooded_ = 0;
        floodNext_ = at;
        return;
    }
    const std::string tail = (info.empty() ? "" : "\r\n") + std::string("\r\n") + result + "\r\n";
    const std::size_t page = f.pageLines > 0 ? static_cast<std::size_t>(f.pageLines) : 0;
    if (faulty && f.binaryNoise) {
        std::vector<std::string> noisy;
        for (const std::string& line : info) noisy.push_back(std::string("\0\xFF", 2) + line);
        SendFramed(InfoBlock(noisy, 0, noisy.size()) + tail, faulty, at);
        return;
    }
    if (faulty && page > 0 && f.endlessPages && !info.empty()) {
        // The same page over and over: a listing that never reaches its end.
        const std::string block = InfoBlock(info, 0, info.size() < page ? info.size() : page);
        SendFramed(block + kMorePrompt, true, at);
        pages_.assign(1, block);
        pagedResult_ = tail;
        pagedFaulty_ = faulty;
        return;
    }
    if (faulty && page > 0 && info.size() > page) {
        SendFramed(InfoBlock(info, 0, page) + kMorePrompt, true, at);
        for (std::size_t from = page; from < info.size(); from += page) {
            const std::size_t to = from + page < info.size() ? from + page : info.size();
            pages_.push_back(InfoBlock(info, from, to));
        }
        pagedResult_ = tail;
        pagedFaulty_ = faulty;
        return;
    }
    SendFramed(InfoBlock(info, 0, info.size()) + tail, faulty, at);
}

void ModemModel::NextPage(std::uint32_t now) {
    std::string bytes = pages_.front();
    if (!profile_.faults.endlessPages) pages_.pop_front();
    bytes += pages_.empty() ? pagedResult_ : std::string(kMorePrompt);
    SendFramed(bytes, pagedFaulty_, now + profile_.replyDelay);
}

void ModemModel::SendFramed(const std::string& bytes, bool faulty, std::uint32_t at) {
    const Faults& f = profile_.faults;
    std::string text = bytes;
    if (faulty && f.hangUpMidAnswer) {
        text.resize(text.size() / 2);
        dead_ = true;
        pages_.clear();
    }
    if (faulty && f.chunkSize > 0) {
        const auto size = static_cast<std::size_t>(f.chunkSize);
        for (std::size_t i = 0; i < text.size(); i += size) {
            Send(text.substr(i, size), at);
            at += f.chunkPause;
        }
        return;
    }
    Send(text, at);
}

void ModemModel::LineReset(std::uint32_t) {
    line_.clear();
    lineChars_ = 0;
    out_.clear();
    pages_.clear();
    flooding_ = false;
    online_ = false;
    dead_ = false;
}

std::string ModemModel::TakeOutput(std::uint32_t now) {
    std::string bytes;
    while (!out_.empty() && !Before(now, out_.front().due)) {
        bytes += out_.front().bytes;
        out_.pop_front();
    }
    if (flooding_ && out_.empty()) {
        std::size_t produced = 0;
        const Faults& f = profile_.faults;
        const std::size_t chunkSize =
            f.floodRate > 0 ? static_cast<std::size_t>(f.floodRate) : kFloodChunk;
        while (flooding_ && !Before(now, floodNext_) && produced < kFloodPerTake) {
            std::string chunk;
            while (chunk.size() < chunkSize)
                chunk += "0123456789012345678901234567890123456789\r\n";
            chunk.resize(chunkSize);
            if (f.floodBytes > 0 && flooded_ + chunk.size() >= f.floodBytes) {
                chunk.resize(f.floodBytes - flooded_);
                flooding_ = false;
            }
            flooded_ += chunk.size();
            bytes += chunk;
            produced += chunk.size();
            floodNext_ += kFloodPeriod;
        }
        // A reader that was away for long does not get the whole backlog at once.
        if (!Before(now, floodNext_)) floodNext_ = now + kFloodPeriod;
    }
    return bytes;
}

bool ModemModel::NextDue(std::uint32_t, std::uint32_t& due) {
    if (!out_.empty()) {
        due = out_.front().due;
        return true;
    }
    if (flooding_) {
        due = floodNext_;
        return true;
    }
    return false;
}

}  // namespace nubo::modemsim
