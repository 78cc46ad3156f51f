// The identification texts from "Common".
#include "config/IdentifyCommands.h"

#include "config/IniFile.h"
#include "config/KeyNames.h"

namespace nubo {

IdentifyCommands ReadIdentifyCommands(const CIniFile& ini) {
    IdentifyCommands c;
    c.detectCmd = ini.GetValue(keys::kCommon, keys::Name(keys::kModemDetectCmd));
    c.detectAnswer = ini.GetValue(keys::kCommon, keys::Name(keys::kModemDetectAnsw));
    c.readNameCmd = ini.GetValue(keys::kCommon, keys::Name(keys::kModemReadName));
    c.readName2Cmd = ini.GetValue(keys::kCommon, keys::Name(keys::kModemReadName2));
    c.readFirmwareCmd = ini.GetValue(keys::kCommon, keys::Name(keys::kModemReadFirmw));
    return c;
}

}  // namespace nubo
