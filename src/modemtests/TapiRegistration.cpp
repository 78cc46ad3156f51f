// The registration check: ten registry entries on Windows, the installed-modem
// source elsewhere, one set of matching rules for both.
#include "modemtests/TapiRegistration.h"

#include <algorithm>
#include <cstdio>

namespace nubo {

namespace {

const char* const kModemClass9x = "SYSTEM\\CurrentControlSet\\Services\\Class\\Modem\\";
const char* const kModemClassNT =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\";
const char* const kExcluded = "IP Virtual Modem";

void TrimRight(std::string& text) {
    const auto last = text.find_last_not_of(" \t\r\n\v\f");
    text.erase(last == std::string::npos ? 0 : last + 1);
}

std::vector<std::string> RegistryModels(Registry& registry, System& system) {
    std::vector<std::string> models;
    models.reserve(kTapiEntries);
    for (int entry = 0; entry < kTapiEntries; ++entry) {
        models.push_back(ReadRegistryText(registry, Registry::kLocalMachine,
                                          ModemClassKey(entry, system), "Model", ""));
    }
    return models;
}

}  // namespace

std::string ModemClassKey(int entry, System& system) {
    char number[16];
    std::snprintf(number, sizeof number, "%04d", entry);
    return std::string(system.Family() == PlatformFamily::Win9x ? kModemClass9x : kModemClassNT) +
           number;
}

std::string ReadRegistryText(Registry& registry, Registry::Key root, const std::string& keyPath,
                             const std::string& valueName, const std::string& defaultText) {
    const Registry::Key key = registry.Open(root, keyPath);
    if (key == 0) return defaultText;
    RegValue value;
    const bool read = registry.QueryValue(key, valueName, value);
    registry.Close(key);
    if (!read) return defaultText;
    return value.data.substr(0, value.data.find('\0'));
}

int MatchTapiName(const std::string& tapiName, const std::vector<std::string>& models) {
    const bool fragment = !tapiName.empty() && tapiName[0] == '?';
    const std::string name = fragment ? tapiName.substr(1) : tapiName;
    int result = -1;
    const std::size_t count = std::min(models.size(), static_cast<std::size_t>(kTapiEntries));
    for (std::size_t i = 0; i < count; ++i) {
        std::string model = models[i];
        TrimRight(model);
        if (model.empty() || model.find(kExcluded) != std::string::npos) continue;
        if (fragment ? model.find(name) != std::string::npos : model == name) result = 1;
    }
    return result;
}

std::vector<std::string> RegistryModems::Models() {
    return RegistryModels(registry_, system_);
}

int CheckTapiRegistration(const std::string& tapiName, const ModemRegistration& where) {
    std::vector<std::string> models;
    if (where.system.Family() != PlatformFamily::Posix && where.registry) {
        models = RegistryModels(*where.registry, where.system);
    } else if (where.installed) {
        models = where.installed->Models();
    }
    return MatchTapiName(tapiName, models);
}

}  // namespace nubo
