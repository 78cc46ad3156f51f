// What the emulated modem is and how it misbehaves: model name, firmware,
// command table, dial outcome, delays and faults. Read from a small profile file
// and from command-line options; plain data, no I/O beyond reading the file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nubo::modemsim {

// One command the modem knows: the information lines it answers with and the
// final result word.
struct CommandAnswer {
    std::string command;  // upper case, as typed after the line is complete
    std::string info;     // lines separated by "\n"; empty = result word only
    std::string result = "OK";
};

enum class DialOutcome { Connect, NoCarrier, Busy, NoDialTone, Silent };

struct Faults {
    bool echoOff = false;          // nothing typed is echoed
    int wrongEchoAt = 0;           // 1-based character of a line echoed wrong (0 = never)
    int wrongEchoTimes = 1;        // ... for this many lines (negative = every line)
    bool silent = false;           // the modem neither echoes nor answers
    bool silentAfterCr = false;    // echo and CR come back, no answer ever follows
    bool noCrEcho = false;         // the line end is neither echoed nor acted upon
    int pageLines = 0;             // answers page after this many lines, waiting for a CR
    bool flood = false;            // an endless stream of data instead of an answer
    int chunkSize = 0;             // answers arrive in pieces of this many bytes ...
    std::uint32_t chunkPause = 0;  // ... with this pause between them
    bool hangUpMidAnswer = false;  // an answer breaks off half-way and the line goes dead
    bool endlessPages = false;     // paged answers never come to their end
    std::size_t floodBytes = 0;    // the flood stops after this many bytes (0 = never)
    int floodRate = 256;           // flood bytes per 20 ms
    bool binaryNoise = false;      // NUL and 0xFF bytes at the start of every answer line
    // The answer faults (silent after CR, no CR echo, paging, flood, chunks,
    // hang-up) apply only to this command; empty = every command.
    std::string onlyCommand;
};

struct ModemProfile {
    std::string manufacturer = "NUBO";
    std::string modelName = "NUBO 56K-PRO";
    std::string firmware = "Version 2.14/0815";
    std::string detectCommand = "ATI";
    std::string nameCommand = "ATI3";
    std::string name2Command = "AT+GMM";
    std::string firmwareCommand = "ATI7";
    std::string ramCommand = "AT&T7";
    std::string crcCommand = "AT&T8";
    std::string diagCommand = "AT&V1";
    bool nameError = false;  // the plain name command answers ERROR
    bool ramFails = false;
    bool crcFails = false;

    DialOutcome dial = DialOutcome::Connect;
    std::string connectSpeed = "33600/ARQ";
    // Lines reported before the dial outcome (a verbose modem's CARRIER and
    // PROTOCOL lines), separated by "\n"; empty = the outcome alone.
    std::string dialReport;
    std::uint32_t connectDelay = 3000;  // ms from the dial command to its result
    std::uint32_t replyDelay = 20;      // ms from a line end to its answer

    // Extra or replaced commands ("answer.<CMD>" / "result.<CMD>" in a profile).
    std::vector<CommandAnswer> extra;
    Faults faults;

    // The whole command table: the built-in commands with the names above,
    // then the extra ones (which win on the same command).
    std::vector<CommandAnswer> Commands() const;
};

// Applies one "key = value" setting (profile line or option); false with a
// message when the key or value is unknown.
bool ApplySetting(ModemProfile& profile, const std::string& key, const std::string& value,
                  std::string& error);

// Reads a profile file: "key = value" lines, "#" comments, blank lines.
bool LoadProfile(ModemProfile& profile, const std::string& path, std::string& error);

// The keys ApplySetting understands, for the usage text.
const char* ProfileKeysHelp();

}  // namespace nubo::modemsim
