// Serial port names from the registry: the NT family's serial device map, or
// the 9x family's hardware enumeration tree filtered by the port driver's
// subclass. Called wherever the port list is read (UI thread or search worker).
#pragma once
#include "platform/PortSource.h"
#include "platform/Registry.h"
#include "platform/System.h"

namespace nubo {

class RegistryPorts : public PortSource {
public:
    // family chooses the layout: Win9x walks the enumeration tree, any other
    // family the serial device map.
    RegistryPorts(Registry& registry, PlatformFamily family)
        : registry_(registry), family_(family) {}
    bool ListPorts(const AddPort& add) override;

private:
    bool ListNt(const AddPort& add);
    bool List9x(const AddPort& add);
    void AddInstance(Registry::Key instance, const AddPort& add);

    Registry& registry_;
    PlatformFamily family_;
};

}  // namespace nubo
