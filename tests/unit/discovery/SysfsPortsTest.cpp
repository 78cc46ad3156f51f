// Serial ports from prepared sysfs trees, and the NUBOTEST_PORTS override.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "discovery/PortList.h"
#include "platform/fake/FakeSystem.h"
#include "platform/posix/SysfsPorts.h"
#include "support/Process.h"

namespace nubo {
namespace {

namespace fs = std::filesystem;

class SysfsPortsTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(root_ / "class" / "tty"); }

    // A tty class device below devicePath; with a device link when hasDevice.
    void AddTty(const std::string& name, const std::string& devicePath, bool hasDevice,
                const char* uartType = nullptr) {
        const fs::path device = root_ / "devices" / devicePath;
        const fs::path tty = device / "tty" / name;
        fs::create_directories(tty);
        if (hasDevice) fs::create_directory_symlink(device, tty / "device");
        if (uartType) std::ofstream(tty / "type") << uartType << "\n";
        fs::create_directory_symlink(fs::path("../../devices") / devicePath / "tty" / name,
                                     root_ / "class" / "tty" / name);
    }

    std::vector<std::string> List(bool* listed = nullptr) {
        SysfsPorts source(root_.string(), "/nonexistent-dev");
        std::vector<std::string> names;
        const bool ok = source.ListPorts([&](const std::string& n) { names.push_back(n); });
        if (listed) *listed = ok;
        return names;
    }

    testing::TempDir tmp_;
    fs::path root_ = tmp_.Path();
};

TEST_F(SysfsPortsTest, RealPortsInNameOrderWithoutVirtualOrPhantomOnes) {
    AddTty("ttyUSB0", "pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB0", true);
    AddTty("ttyACM1", "pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.2", true);
    AddTty("ttyACM0", "pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0", true);
    AddTty("ttyS10", "platform/serial8250/s10", true, "4");
    AddTty("ttyS2", "pnp0/00:02", true, "4");              // a real 16550A
    AddTty("ttyS3", "platform/serial8250/s3", true, "0");  // a phantom slot
    AddTty("ttyS4", "platform/serial8250/s4", true);       // no type file, no device node
    AddTty("ttySAC0", "platform/soc/serial0", true, "0");  // another driver's ttyS-like name
    AddTty("console", "cons", false);           // no device link
    AddTty("ttyprintk", "virtual/tty3", true);  // virtual even with a device link

    // A dangling device link counts as none.
    AddTty("ttyGone0", "pci0000:00/gone", false);
    fs::create_directory_symlink(root_ / "devices" / "nowhere",
                                 root_ / "devices" / "pci0000:00/gone/tty/ttyGone0/device");

    bool listed = false;
    EXPECT_EQ(List(&listed),
              (std::vector<std::string>{"/nonexistent-dev/ttyACM0", "/nonexistent-dev/ttyACM1",
                                        "/nonexistent-dev/ttyS2", "/nonexistent-dev/ttyS10",
                                        "/nonexistent-dev/ttySAC0", "/nonexistent-dev/ttyUSB0"}));
    EXPECT_TRUE(listed);
}

TEST_F(SysfsPortsTest, NoTtyClassGivesNone) {
    fs::remove_all(root_ / "class");
    bool listed = true;
    EXPECT_TRUE(List(&listed).empty());
    EXPECT_FALSE(listed);

    fs::create_directories(root_ / "class" / "tty");
    EXPECT_TRUE(List(&listed).empty());
    EXPECT_TRUE(listed);
}

TEST(PortSourceChoice, EnvironmentListWinsOverTheSystem) {
    FakeSystem system;
    system.environment["NUBOTEST_PORTS"] = ":/dev/pts/9::/tmp/nubo-modem:";
    auto source = MakePortSource(system);
    EXPECT_EQ(ReadPortList(*source), (std::vector<std::string>{"/dev/pts/9", "/tmp/nubo-modem"}));

    system.environment["NUBOTEST_PORTS"] = "";
    EXPECT_NE(dynamic_cast<SysfsPorts*>(MakePortSource(system).get()), nullptr);
}

}  // namespace
}  // namespace nubo
