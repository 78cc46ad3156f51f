// Key names of the modem description file. They live in the string catalogs
// (the same text in every language); only "Common" and "Alias" are literals.
#pragma once
#include <string>

namespace nubo::keys {

enum Id : int {
    kFirmWareVersion = 36,
    kCrcCheckCmd = 37,
    kCrcCheckAnswer = 38,
    kRamCheckCmd = 39,
    kRamCheckError = 40,
    kDialCmd = 41,
    kDialAnswer = 42,
    kDiagCmd = 43,
    kDiagAnswer = 44,
    kModemDetectCmd = 76,
    kModemDetectAnsw = 77,
    kModemReadName = 78,
    kModemReadName2 = 79,
    kModemReadFirmw = 80,
    kDefaultCrcCheckCmd = 81,
    kDefaultCrcCheckAnswer = 82,
    kDefaultRamCheckCmd = 83,
    kDefaultRamCheckError = 84,
    kDefaultDialCmd = 85,
    kDefaultDialAnswer = 86,
    kDefaultDialCmdNoDialT = 87,
    kDialCmdNoDialT = 88,
    kMinSpeed = 89,
    kDefaultMinSpeed = 90,
    kModemTapiName = 92,
};

inline constexpr const char* kCommon = "Common";
inline constexpr const char* kAlias = "Alias";

// The key's name from the catalog of the selected language.
std::string Name(Id id);

}  // namespace nubo::keys
