// Whether the detected modem is installed in the operating system as a
// telephony modem: the model names of the first ten installed modems against
// the TAPI name of the modem description. Reads only; keeps no state.
#pragma once
#include <string>
#include <vector>

#include "platform/InstalledModems.h"
#include "platform/Registry.h"
#include "platform/System.h"

namespace nubo {

// Where the installed modems are listed: the registry on both Windows
// families, the installed-modems source on POSIX. Without a registry a Windows
// family asks the installed-modems source too (RegistryModems walks the same
// keys). A source that is missing lists no modems.
struct ModemRegistration {
    System& system;
    Registry* registry = nullptr;
    InstalledModems* installed = nullptr;
};

// Number of installed-modem entries looked at, "0000" to "0009".
constexpr int kTapiEntries = 10;

// The model names of installed-modem entries 0 to 9 from the registry, in the
// layout of the family the system reports: the Windows program's source of
// installed modems.
class RegistryModems : public InstalledModems {
public:
    RegistryModems(Registry& registry, System& system) : registry_(registry), system_(system) {}
    std::vector<std::string> Models() override;

private:
    Registry& registry_;
    System& system_;
};

// 1 when one of the installed modems matches tapiName, -1 otherwise. A leading
// "?" makes the rest a fragment to look for in the model names; otherwise the
// whole name must equal a model name. Names holding "IP Virtual Modem" never match.
int CheckTapiRegistration(const std::string& tapiName, const ModemRegistration& where);

// The matching rules alone, over the model names of entries 0 to 9 ("" = none).
int MatchTapiName(const std::string& tapiName, const std::vector<std::string>& models);

// Key of installed modem entry n below HKEY_LOCAL_MACHINE, for the family the
// system reports now.
std::string ModemClassKey(int entry, System& system);

// The text of a value up to its first NUL, or defaultText when the key or the
// value cannot be read. The value's type is not looked at.
std::string ReadRegistryText(Registry& registry, Registry::Key root, const std::string& keyPath,
                             const std::string& valueName, const std::string& defaultText);

}  // namespace nubo
