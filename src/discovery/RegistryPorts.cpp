// The two registry walks behind the port list. Buffer sizes are those of the
// platform calls they stand for: names that do not fit make the read fail.
#include "discovery/RegistryPorts.h"

#include <cstring>

namespace nubo {

namespace {

constexpr std::size_t kMaxName = 260;  // 261-byte name buffers
constexpr std::size_t kMaxData = 256;

// Registry strings carry their NUL; a string stored without one still ends
// where its data ends.
std::string AsText(const std::string& data) {
    return std::string(data.c_str());
}

bool EnumKeyFits(Registry& registry, Registry::Key key, std::uint32_t index, std::string& name) {
    return registry.EnumKey(key, index, name) && name.size() <= kMaxName;
}

bool QueryString(Registry& registry, Registry::Key key, const char* name, std::string& text) {
    RegValue value;
    if (!registry.QueryValue(key, name, value)) return false;
    if (value.data.size() > kMaxData || value.type != RegType::String) return false;
    text = AsText(value.data);
    return true;
}

}  // namespace

bool RegistryPorts::ListPorts(const AddPort& add) {
    return family_ == PlatformFamily::Win9x ? List9x(add) : ListNt(add);
}

bool RegistryPorts::ListNt(const AddPort& add) {
    const Registry::Key map =
        registry_.Open(Registry::kLocalMachine, "Hardware\\DeviceMap\\SerialComm");
    if (!map) return false;
    RegValue value;
    for (std::uint32_t i = 0; registry_.EnumValue(map, i, value); ++i) {
        // A value that does not fit the buffers ends the walk, as the read fails.
        if (value.name.size() > kMaxName || value.data.size() > kMaxData) break;
        add(AsText(value.data));
    }
    registry_.Close(map);
    return true;
}

bool RegistryPorts::List9x(const AddPort& add) {
    const Registry::Key root = registry_.Open(Registry::kLocalMachine, "Enum");
    if (!root) return false;
    std::string enumerator;
    for (std::uint32_t e = 0; EnumKeyFits(registry_, root, e, enumerator); ++e) {
        const Registry::Key enumKey = registry_.Open(root, enumerator);
        if (!enumKey) continue;
        std::string device;
        for (std::uint32_t d = 0; EnumKeyFits(registry_, enumKey, d, device); ++d) {
            const Registry::Key deviceKey = registry_.Open(enumKey, device);
            if (!deviceKey) continue;
            std::string instance;
            for (std::uint32_t i = 0; EnumKeyFits(registry_, deviceKey, i, instance); ++i) {
                const Registry::Key instanceKey = registry_.Open(deviceKey, instance);
                if (!instanceKey) continue;
                AddInstance(instanceKey, add);
                registry_.Close(instanceKey);
            }
            registry_.Close(deviceKey);
        }
        registry_.Close(enumKey);
    }
    registry_.Close(root);
    return true;
}

void RegistryPorts::AddInstance(Registry::Key instance, const AddPort& add) {
    std::string portName;
    std::string driver;
    if (!QueryString(registry_, instance, "PortName", portName)) return;
    if (!QueryString(registry_, instance, "Driver", driver)) return;
    const Registry::Key driverKey = registry_.Open(
        Registry::kLocalMachine, "System\\CurrentControlSet\\Services\\Class\\" + driver);
    if (!driverKey) return;
    RegValue subClass;
    const bool isPort = registry_.QueryValue(driverKey, "PortSubClass", subClass) &&
                        subClass.type == RegType::Binary && subClass.data.size() == 1 &&
                        (subClass.data[0] == 1 || subClass.data[0] == 2);
    registry_.Close(driverKey);
    if (isPort) add(portName);
}

}  // namespace nubo
