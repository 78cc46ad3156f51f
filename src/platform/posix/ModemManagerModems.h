// Installed modems on Linux: the modems that a running ModemManager reports on
// the system D-Bus. Every call opens and closes its own connection, so any
// thread may call.
#pragma once
#include <cstdint>
#include <string>

#include "platform/InstalledModems.h"

namespace nubo {

// Orders object paths as their numbers read, so ".../Modem/2" comes before
// ".../Modem/10"; a strict weak ordering over all paths.
bool ObjectPathLess(const std::string& a, const std::string& b);

class ModemManagerModems : public InstalledModems {
public:
    // An empty address is the system bus (DBUS_SYSTEM_BUS_ADDRESS names another
    // one). timeoutMs bounds the whole question, connecting included.
    explicit ModemManagerModems(std::string busAddress = {}, std::uint32_t timeoutMs = 2000);

    // The "Model" of every modem object, in object-path order, the first ten.
    // A bus, a service or an answer that fails gives no modems.
    std::vector<std::string> Models() override;

private:
    std::string busAddress_;
    std::uint32_t timeoutMs_;
};

}  // namespace nubo
