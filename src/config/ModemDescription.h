// What the modem description file says about the detected modem. Written by
// the search worker while a search runs; read by the tests after it ended.
#pragma once
#include <string>

namespace nubo {

class CIniFile;
class WizardHost;
struct RunSettings;

// The commands, answers and limits the tests use for the detected modem.
struct ModemCommandSet {
    std::string tapiModemName;  // kept when the section names none
    std::string crcCheckCmd;
    std::string crcCheckAnswer;
    std::string ramCheckCmd;
    std::string ramCheckError;
    std::string dialCmd;
    std::string dialCmdNoDialTone;
    std::string dialAnswer;
    std::string minSpeed;
    std::string diagCmd;     // kept when the section names none
    std::string diagAnswer;  // kept when the section names none
};

// Model name and firmware text as identification read them from the modem.
struct DetectedModem {
    std::string modelName;
    std::string firmware;
};

// Whether firmware meets a "FirmWareVersion" condition such as ">=2.10": the
// characters <, > and = anywhere in it choose the comparison, the rest is
// compared with firmware as C strings. "=" alone means equal.
bool FirmwareConditionHolds(const std::string& condition, const std::string& firmware);

// Chooses the section for the model and firmware, follows "Alias" once and
// fills commands, falling back to the defaults of "Common". Logs through
// settings; a section without "ModemTapiName" shows a message box on host and
// waits for it. True when a section was found; otherwise commands is untouched.
bool LoadModemDescription(const CIniFile& ini, const std::string& modelName,
                          const std::string& firmware, ModemCommandSet& commands,
                          RunSettings& settings, WizardHost& host);

}  // namespace nubo
