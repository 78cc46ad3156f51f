// Serial port names on Linux, from sysfs, and the choice between them and the
// list in NUBOTEST_PORTS. Reads the file system only; any thread may call.
#pragma once
#include <memory>
#include <string>

#include "platform/PortSource.h"
#include "platform/System.h"

namespace nubo {

// Every <sysfsRoot>/class/tty entry that belongs to a device that is not
// virtual, named <devDir>/<name>. A legacy 8250-family port (ttyS<n>) counts
// only when its UART type is known: sysfs lists every slot the driver
// reserved, and most machines have phantom ones. Order: by name, runs of
// digits compared as numbers (ttyACM0, ttyS2, ttyS10, ttyUSB0).
class SysfsPorts : public PortSource {
public:
    explicit SysfsPorts(std::string sysfsRoot = "/sys", std::string devDir = "/dev")
        : sysfsRoot_(std::move(sysfsRoot)), devDir_(std::move(devDir)) {}
    // False when <sysfsRoot>/class/tty cannot be read.
    bool ListPorts(const AddPort& add) override;

private:
    int UartType(const std::string& entry, const std::string& name) const;

    std::string sysfsRoot_;
    std::string devDir_;
};

// NUBOTEST_PORTS (device paths separated by colons) when it is set and not
// empty, else the system's ports from sysfs.
std::unique_ptr<PortSource> MakePortSource(System& system);

}  // namespace nubo
