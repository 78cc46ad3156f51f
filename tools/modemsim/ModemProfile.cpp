// Profile settings of the emulated modem: defaults, the command table, and the
// "key = value" reader shared by profile files and command-line options.
#include "ModemProfile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>

namespace nubo::modemsim {

namespace {

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// \n, \r, \t, \\ and \" as in our data files; a value in double quotes keeps its blanks.
std::string Unescape(const std::string& raw) {
    std::string text = raw;
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool ParseBool(const std::string& value, bool& out) {
    const std::string v = Upper(value);
    if (v.empty() || v == "1" || v == "YES" || v == "TRUE" || v == "ON") {
        out = true;
        return true;
    }
    if (v == "0" || v == "NO" || v == "FALSE" || v == "OFF") {
        out = false;
        return true;
    }
    return false;
}

template <typename T>
bool ParseNumber(const std::string& value, T& out) {
    const char* end = value.data() + value.size();
    auto [ptr, ec] = std::from_chars(value.data(), end, out);
    return ec == std::errc() && ptr == end;
}

}  // namespace

std::vector<CommandAnswer> ModemProfile::Commands() const {
    std::vector<CommandAnswer> table = {
        {"AT", "", "OK"},
        {"ATZ", "", "OK"},
        {"AT&F", "", "OK"},
        {"ATE1", "", "OK"},
        {"ATH", "", "OK"},
        {"ATH0", "", "OK"},
        {Upper(detectCommand), manufacturer + " Communications", "OK"},
        {Upper(nameCommand), nameError ? "" : modelName, nameError ? "ERROR" : "OK"},
        {Upper(name2Command), "+GMM: \"" + modelName + "\"", "OK"},
        {Upper(firmwareCommand), firmware, "OK"},
        {"AT+GMI", manufacturer, "OK"},
        {"AT+GMR", firmware, "OK"},
        {Upper(ramCommand), ramFails ? "RAM ERROR AT 0x3F00" : "RAM 128K PASSED",
         ramFails ? "ERROR" : "OK"},
        {Upper(crcCommand), crcFails ? "CRC NOK" : "CRC OK", crcFails ? "ERROR" : "OK"},
        {Upper(diagCommand),
         "ACTIVE PROFILE:\nB0 E1 L2 M1 Q0 V1 X4 &C1 &D2 &K3\nS00:000 S01:000 S02:043 S03:013\n"
         "S04:010 S05:008 S06:002 S07:050\nLAST CALL: " +
             connectSpeed + "\nLINE QUALITY: 092\nRETRAINS: 000\nRX LEVEL: -21 DBM",
         "OK"},
    };
    for (const CommandAnswer& e : extra) {
        auto same = [&](const CommandAnswer& c) { return c.command == e.command; };
        table.erase(std::remove_if(table.begin(), table.end(), same), table.end());
        table.push_back(e);
    }
    return table;
}

bool ApplySetting(ModemProfile& p, const std::string& rawKey, const std::string& rawValue,
                  std::string& error) {
    const std::string key = Trim(rawKey);
    const std::string value = Unescape(Trim(rawValue));
    auto bad = [&] {
        error = "bad value for " + key + ": " + rawValue;
        return false;
    };
    auto flag = [&](bool& target) { return ParseBool(value, target) || bad(); };
    auto number = [&](auto& target) { return ParseNumber(value, target) || bad(); };

    if (key.rfind("answer.", 0) == 0 || key.rfind("result.", 0) == 0) {
        const std::string command = Upper(key.substr(7));
        if (command.empty()) return bad();
        auto it = std::find_if(p.extra.begin(), p.extra.end(),
                               [&](const CommandAnswer& c) { return c.command == command; });
        if (it == p.extra.end()) {
            p.extra.push_back({command, "", "OK"});
            it = p.extra.end() - 1;
        }
        (key[0] == 'a' ? it->info : it->result) = value;
        return true;
    }
    if (key == "manufacturer") return p.manufacturer = value, true;
    if (key == "name") return p.modelName = value, true;
    if (key == "firmware") return p.firmware = value, true;
    if (key == "detect-command") return p.detectCommand = value, true;
    if (key == "name-command") return p.nameCommand = value, true;
    if (key == "name2-command") return p.name2Command = value, true;
    if (key == "firmware-command") return p.firmwareCommand = value, true;
    if (key == "ram-command") return p.ramCommand = value, true;
    if (key == "crc-command") return p.crcCommand = value, true;
    if (key == "diag-command") return p.diagCommand = value, true;
    if (key == "name-error") return flag(p.nameError);
    if (key == "ram-fail") return flag(p.ramFails);
    if (key == "crc-fail") return flag(p.crcFails);
    if (key == "speed") return p.connectSpeed = value, true;
    if (key == "dial-report") return p.dialReport = value, true;
    if (key == "connect-delay") return number(p.connectDelay);
    if (key == "reply-delay") return number(p.replyDelay);
    if (key == "dial") {
        const std::string v = Upper(value);
        if (v == "CONNECT")
            p.dial = DialOutcome::Connect;
        else if (v == "NO-CARRIER")
            p.dial = DialOutcome::NoCarrier;
        else if (v == "BUSY")
            p.dial = DialOutcome::Busy;
        else if (v == "NO-DIALTONE")
            p.dial = DialOutcome::NoDialTone;
        else if (v == "SILENT")
            p.dial = DialOutcome::Silent;
        else
            return bad();
        return true;
    }
    Faults& f = p.faults;
    if (key == "echo-off") return flag(f.echoOff);
    if (key == "silent") return flag(f.silent);
    if (key == "silent-after-cr") return flag(f.silentAfterCr);
    if (key == "no-cr-echo") return flag(f.noCrEcho);
    if (key == "flood") return flag(f.flood);
    if (key == "hangup") return flag(f.hangUpMidAnswer);
    if (key == "paged") return number(f.pageLines);
    if (key == "endless-pages") return flag(f.endlessPages);
    if (key == "binary") return flag(f.binaryNoise);
    if (key == "flood-rate") return number(f.floodRate);
    if (key == "flood-bytes") {
        int kb = 0;
        if (!ParseNumber(value, kb) || kb < 0) return bad();
        f.floodBytes = static_cast<std::size_t>(kb) * 1024;
        return true;
    }
    if (key == "fault-command") return f.onlyCommand = Upper(value), true;
    if (key == "wrong-echo" || key == "chunks") {
        const auto colon = value.find(':');
        const std::string first = value.substr(0, colon);
        const std::string second = colon == std::string::npos ? "" : value.substr(colon + 1);
        if (key == "wrong-echo") {
            f.wrongEchoTimes = 1;
            if (!ParseNumber(first, f.wrongEchoAt)) return bad();
            if (!second.empty() && !ParseNumber(second, f.wrongEchoTimes)) return bad();
            return true;
        }
        f.chunkPause = 50;
        if (!ParseNumber(first, f.chunkSize)) return bad();
        if (!second.empty() && !ParseNumber(second, f.chunkPause)) return bad();
        return true;
    }
    error = "unknown setting: " + key;
    return false;
}

bool LoadProfile(ModemProfile& profile, const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read profile " + path;
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::string text = Trim(line);
        if (text.empty() || text[0] == '#') continue;
        const auto eq = text.find('=');
        std::string key = eq == std::string::npos ? text : text.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : text.substr(eq + 1);
        if (!ApplySetting(profile, key, value, error)) {
            error = path + ":" + std::to_string(number) + ": " + error;
            return false;
        }
    }
    return true;
}

const char* ProfileKeysHelp() {
    return "  name, manufacturer, firmware          identification texts\n"
           "  detect-command, name-command, name2-command, firmware-command,\n"
           "  ram-command, crc-command, diag-command  the commands answered\n"
           "  name-error, ram-fail, crc-fail        failing answers (bool)\n"
           "  answer.<CMD>, result.<CMD>            extra commands (info lines, result word)\n"
           "  dial = connect|no-carrier|busy|no-dialtone|silent\n"
           "  speed, connect-delay, reply-delay     dial answer and delays (ms)\n"
           "  dial-report                           lines before the dial outcome\n"
           "  echo-off, silent, silent-after-cr, no-cr-echo, flood, hangup (bool)\n"
           "  wrong-echo = N[:TIMES], paged = LINES, chunks = SIZE[:PAUSE]\n"
           "  endless-pages, binary (bool), flood-bytes = KB, flood-rate = BYTES per 20 ms\n"
           "  fault-command = CMD                   answer faults for this command only\n";
}

}  // namespace nubo::modemsim
