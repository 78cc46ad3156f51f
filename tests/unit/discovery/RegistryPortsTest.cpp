// Port names from registry fixtures of both layouts, and the fixture format itself.
#include <gtest/gtest.h>

#include "discovery/PortList.h"
#include "discovery/RegistryPorts.h"
#include "platform/fake/FakeRegistry.h"

namespace nubo {
namespace {

std::vector<std::string> Walk(FakeRegistry& registry, PlatformFamily family,
                              bool* listed = nullptr) {
    RegistryPorts source(registry, family);
    const char* list = EnumSerialPorts(source);
    if (listed) *listed = list != nullptr;
    std::vector<std::string> names;
    for (int i = 0; i < MultiSzCount(list); ++i) names.emplace_back(MultiSzEntry(list, i));
    EXPECT_EQ(registry.OpenKeys(), 0u) << "a key was left open";
    EXPECT_EQ(registry.BadCloses(), 0);
    return names;
}

TEST(RegistryPortsNt, DeviceMapValuesInOrderWithoutDuplicates) {
    FakeRegistry registry(R"(
; names and types of the values do not matter, only their data
[HARDWARE\DEVICEMAP\SERIALCOMM]
"\\Device\\Serial0"="COM1"
"\\Device\\Serial1"="COM2"
"\\Device\\VCP0"="com1"
"Raw"=hex(1):43,4f,4d,39
@="COM5"
)");
    ASSERT_EQ(registry.error(), "");
    bool listed = false;
    EXPECT_EQ(Walk(registry, PlatformFamily::NT, &listed),
              (std::vector<std::string>{"COM1", "COM2", "COM9", "COM5"}));
    EXPECT_TRUE(listed);
}

TEST(RegistryPortsNt, WalkStopsAtTheFirstValueThatDoesNotFit) {
    struct Case {
        std::string name;
        std::string data;
        bool stops;
    };
    const Case cases[] = {
        {std::string(260, 'n'), std::string(255, 'd'), false},  // 255 + NUL = 256 bytes
        {std::string(261, 'n'), "COM7", true},
        {"\\Device\\Serial9", std::string(256, 'd'), true},
    };
    for (const Case& c : cases) {
        FakeRegistry registry("[Hardware\\DeviceMap\\SerialComm]\n\"a\"=\"COM1\"\n\"" + c.name +
                              "\"=\"" + c.data + "\"\n\"b\"=\"COM3\"\n");
        ASSERT_EQ(registry.error(), "");
        const auto names = Walk(registry, PlatformFamily::NT);
        if (c.stops) {
            EXPECT_EQ(names, (std::vector<std::string>{"COM1"})) << c.name.size();
        } else {
            EXPECT_EQ(names, (std::vector<std::string>{"COM1", c.data, "COM3"}));
        }
    }
}

TEST(RegistryPorts, MissingOrEmptyListGivesNone) {
    const struct {
        const char* fixture;
        PlatformFamily family;
        bool listed;
    } cases[] = {
        {"[Hardware\\DeviceMap\\Video]\n\"x\"=\"y\"\n", PlatformFamily::NT, false},
        {"[Hardware\\DeviceMap\\SerialComm]\n", PlatformFamily::NT, true},
        {"[Hardware\\DeviceMap\\SerialComm]\n\"a\"=\"COM1\"\n", PlatformFamily::Win9x, false},
    };
    for (const auto& c : cases) {
        FakeRegistry registry(c.fixture);
        bool listed = !c.listed;
        EXPECT_TRUE(Walk(registry, c.family, &listed).empty()) << c.fixture;
        EXPECT_EQ(listed, c.listed) << c.fixture;
    }
}

// Instances under Enum\<enumerator>\<device>\<instance>; only those whose
// driver class says PortSubClass 1 or 2 (one binary byte) are ports.
const char* const k9xFixture = R"(
[Enum\BIOS\*PNP0501\0D]
"PortName"="COM1"
"Driver"="Ports\\0000"
[Enum\BIOS\*PNP0501\0E]
"PortName"="COM2"
"Driver"="PORTS\\0001"
[Enum\Root\Modem\0000]
"PortName"="COM3"
"Driver"="Modem\\0000"
[Enum\Root\Ports\0000]
"PortName"="COM4"
"Driver"="Ports\\Dword"
[Enum\Root\Ports\0001]
"PortName"="COM5"
"Driver"="Ports\\TwoBytes"
[Enum\Root\Ports\0002]
"PortName"="COM6"
"Driver"="Ports\\0001"
[Enum\Root\Ports\0003] noaccess
"PortName"="COM7"
"Driver"="Ports\\0000"
[Enum\Root\Ports\0004]
"PortName"=hex(3):43,4f,4d,38,00
"Driver"="Ports\\0000"
[Enum\Root\Ports\0006]
"PortName"="COM10"
"Driver"="Ports\\Gone"
[Enum\Root\Ports\0007]
"PortName"="COM11"
"Driver"="Ports\\Three"
[Enum\USB\Serial\5678]
"PortName"="COM14"
"Driver"="Ports\\0000"
[Enum\Hidden] noaccess
[Enum\Hidden\Dev\0000]
"PortName"="COM15"
"Driver"="Ports\\0000"

[System\CurrentControlSet\Services\Class\Ports\0000]
"PortSubClass"=hex:01
[System\CurrentControlSet\Services\Class\Ports\0001]
"PortSubClass"=hex:02
[System\CurrentControlSet\Services\Class\Ports\Three]
"PortSubClass"=hex:03
[System\CurrentControlSet\Services\Class\Modem\0000]
"PortSubClass"=hex:00
[System\CurrentControlSet\Services\Class\Ports\Dword]
"PortSubClass"=dword:00000001
[System\CurrentControlSet\Services\Class\Ports\TwoBytes]
"PortSubClass"=hex:01,00
)";

TEST(RegistryPorts9x, OnlyInstancesWhoseDriverIsAPortClass) {
    FakeRegistry registry(k9xFixture);
    ASSERT_EQ(registry.error(), "");
    EXPECT_EQ(Walk(registry, PlatformFamily::Win9x),
              (std::vector<std::string>{"COM1", "COM2", "COM6", "COM14"}));
}

TEST(RegistryPorts9x, OverlongKeyNameEndsItsLevel) {
    FakeRegistry registry(std::string(R"(
[Enum\A\Dev\0000]
"PortName"="COM1"
"Driver"="P"
[Enum\A\)") + std::string(261, 'x') +
                          R"(\0000]
"PortName"="COM2"
"Driver"="P"
[Enum\A\Later\0000]
"PortName"="COM3"
"Driver"="P"
[Enum\B\Dev\0000]
"PortName"="COM4"
"Driver"="P"
[System\CurrentControlSet\Services\Class\P]
"PortSubClass"=hex:01
)");
    ASSERT_EQ(registry.error(), "");
    EXPECT_EQ(Walk(registry, PlatformFamily::Win9x), (std::vector<std::string>{"COM1", "COM4"}));
}

}  // namespace
}  // namespace nubo
