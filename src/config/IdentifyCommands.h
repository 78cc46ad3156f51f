// The identification texts of the modem description's "Common" section, read
// by the search worker and handed to identification by value.
#pragma once
#include <string>

namespace nubo {

class CIniFile;

struct IdentifyCommands {
    std::string detectCmd;     // "ModemDetectCmd"
    std::string detectAnswer;  // "ModemDetectAnsw": must occur in the answer to detectCmd
    std::string readNameCmd;   // "ModemReadName": plain model name
    std::string readName2Cmd;  // "ModemReadName2": name after "+GMM:", when readNameCmd gave "ERR"
    std::string readFirmwareCmd;  // "ModemReadFirmw": firmware after "Version" or "Ver."
};

// Reads the five keys from "Common" in the order above; a missing file or key
// gives empty texts.
IdentifyCommands ReadIdentifyCommands(const CIniFile& ini);

}  // namespace nubo
