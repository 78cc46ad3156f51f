// The lookup of the detected modem in the modem description file. Runs on the
// search worker thread.
#include "config/ModemDescription.h"

#include <cstring>

#include "config/IniFile.h"
#include "config/KeyNames.h"
#include "run/RunSettings.h"
#include "wizard/Texts.h"
#include "wizard/WizardHost.h"

namespace nubo {
namespace {

struct Defaulted {
    keys::Id key;
    keys::Id defaultKey;
    std::string ModemCommandSet::*field;
    const char* logLine;
};

const Defaulted kDefaulted[] = {
    {keys::kCrcCheckCmd, keys::kDefaultCrcCheckCmd, &ModemCommandSet::crcCheckCmd,
     "ModemCmds & Answers : Cmd CrcCheck not in INI > Load default CrcCheck"},
    {keys::kCrcCheckAnswer, keys::kDefaultCrcCheckAnswer, &ModemCommandSet::crcCheckAnswer,
     "ModemCmds & Answers : Answ CrcCheck not in INI > Load def. CrcCheckAnsw"},
    {keys::kRamCheckCmd, keys::kDefaultRamCheckCmd, &ModemCommandSet::ramCheckCmd,
     "ModemCmds & Answers : Cmd RamCheck not in INI > Load default RamCheck"},
    {keys::kRamCheckError, keys::kDefaultRamCheckError, &ModemCommandSet::ramCheckError,
     "ModemCmds & Answers : RamCheckError not in INI > Load default RamCheckError"},
    {keys::kDialCmd, keys::kDefaultDialCmd, &ModemCommandSet::dialCmd,
     "ModemCmds & Answers : DialCmd not in INI > Load default DialCmd"},
    {keys::kDialCmdNoDialT, keys::kDefaultDialCmdNoDialT, &ModemCommandSet::dialCmdNoDialTone,
     "ModemCmds & Answers : DialCmdNoDialT not in INI > Load def. DialCmdNoDialT"},
    {keys::kDialAnswer, keys::kDefaultDialAnswer, &ModemCommandSet::dialAnswer,
     "ModemCmds & Answers : DialAnsw not in INI > Load default DialAnsw"},
    {keys::kMinSpeed, keys::kDefaultMinSpeed, &ModemCommandSet::minSpeed,
     "ModemCmds & Answers : MinSpeed not in INI > Load default MinSpeed"},
};

}  // namespace

bool FirmwareConditionHolds(const std::string& condition, const std::string& firmware) {
    bool greater = false;
    bool less = false;
    bool equal = false;
    std::string rest;
    for (char c : condition) {
        if (c == '>') {
            greater = true;
        } else if (c == '<') {
            less = true;
        } else if (c == '=') {
            equal = true;
        } else {
            rest += c;
        }
    }
    // Both sides as C strings: a NUL in the firmware text ends it there.
    const int order = std::strcmp(firmware.c_str(), rest.c_str());
    if (greater && less) return equal || order != 0;
    if (greater) return order > 0 || (equal && order == 0);
    if (less) return order < 0 || (equal && order == 0);
    // No operator, or "=" alone (which would otherwise shut the section out for good).
    return order == 0;
}

bool LoadModemDescription(const CIniFile& ini, const std::string& modelName,
                          const std::string& firmware, ModemCommandSet& commands,
                          RunSettings& settings, WizardHost& host) {
    const std::string firmwareKey = keys::Name(keys::kFirmWareVersion);
    std::string section;
    bool accepted = false;
    for (int start = 0; !accepted;) {
        const int i = ini.FindSection(modelName, start);
        if (i == -1) break;
        section = ini.SectionName(i);
        const std::string condition = ini.GetValue(section, firmwareKey);
        if (condition.empty()) {
            accepted = true;
            settings.Log("PRG-MESSAGE         : no SerialNbr for this modem in .INI File !");
        } else {
            accepted = FirmwareConditionHolds(condition, firmware);
        }
        start = i + 1;
    }
    if (!accepted) {
        settings.Log("Search modem .INI   : Modem not found !");
        return false;
    }
    settings.Log("Search modem .INI   : Modem found.");

    const std::string alias = ini.GetValue(section, keys::kAlias);
    if (!alias.empty()) section = alias;
    if (settings.report.modem) settings.report.modem->section = section;

    const std::string tapiName = ini.GetValue(section, keys::Name(keys::kModemTapiName));
    if (tapiName.empty()) {
        host.ShowMessageBox(section + " : No TapiModemName for this section !", texts::Text(1));
    } else {
        commands.tapiModemName = tapiName;
    }

    for (const Defaulted& d : kDefaulted) {
        std::string value = ini.GetValue(section, keys::Name(d.key));
        if (value.empty()) {
            value = ini.GetValue(keys::kCommon, keys::Name(d.defaultKey));
            settings.Log(d.logLine);
            if (settings.report.modem)
                settings.report.modem->defaultedKeys.push_back(keys::Name(d.key));
        }
        commands.*d.field = value;
    }

    const std::string diagCmd = ini.GetValue(section, keys::Name(keys::kDiagCmd));
    if (!diagCmd.empty()) commands.diagCmd = diagCmd;
    const std::string diagAnswer = ini.GetValue(section, keys::Name(keys::kDiagAnswer));
    if (!diagAnswer.empty()) commands.diagAnswer = diagAnswer;
    return true;
}

}  // namespace nubo
