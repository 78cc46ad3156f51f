// The registration check over registry fixtures of both Windows families and
// over the installed-modem source of POSIX.
#include <gtest/gtest.h>

#include "modemtests/TapiRegistration.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeSystem.h"

namespace nubo {
namespace {

const std::string kNT =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\";
const std::string k9x = "SYSTEM\\CurrentControlSet\\Services\\Class\\Modem\\";

// Keeps the path of every key the check tries to open.
class RecordingRegistry : public FakeRegistry {
public:
    using FakeRegistry::FakeRegistry;
    Key Open(Key parent, const std::string& subKey) override {
        opened.push_back(subKey);
        return FakeRegistry::Open(parent, subKey);
    }
    std::vector<std::string> opened;
};

// One installed modem per (entry, model) pair under the family's key.
using Modems = std::vector<std::pair<int, const char*>>;

std::string Fixture(const std::string& root, const Modems& modems) {
    std::string text;
    for (const auto& [entry, model] : modems) {
        char number[8];
        std::snprintf(number, sizeof number, "%04d", entry);
        text += "[" + root + number + "]\n\"Model\"=\"" + model + "\"\n";
    }
    return text;
}

TEST(TapiRegistration, RegistryWalkOfBothFamilies) {
    struct Case {
        const char* name;
        Modems modems;
        const char* tapiName;
        int result;
    };
    const Case cases[] = {
        {"entry 0007 after six missing", {{7, "NUBO 56K-PRO"}}, "NUBO 56K-PRO", 1},
        {"entry 0010 is not looked at", {{10, "NUBO 56K-PRO"}}, "NUBO 56K-PRO", -1},
        {"trailing blanks of the model go", {{0, "NUBO 56K-PRO  "}}, "NUBO 56K-PRO", 1},
        {"trailing blank of the TAPI name stays", {{0, "NUBO 56K-PRO"}}, "NUBO 56K-PRO ", -1},
        {"exact mode minds the case", {{0, "NUBO 56K-Pro"}}, "NUBO 56K-PRO", -1},
        {"fragment anywhere", {{1, "Standard"}, {2, "My NUBO 56K modem"}}, "?NUBO 56K", 1},
        {"fragment minds the case", {{2, "My NUBO 56K modem"}}, "?nubo 56K", -1},
        {"virtual modem skipped", {{0, "NUBO IP Virtual Modem"}}, "?NUBO", -1},
        {"lone ? finds any other modem", {{0, "IP Virtual Modem"}, {4, "Any"}}, "?", 1},
        {"lone ? without other modems", {{0, "IP Virtual Modem"}}, "?", -1},
        {"empty TAPI name", {{0, "NUBO 56K-PRO"}}, "", -1},
    };
    for (const PlatformFamily family : {PlatformFamily::NT, PlatformFamily::Win9x}) {
        const std::string& root = family == PlatformFamily::NT ? kNT : k9x;
        const std::string& other = family == PlatformFamily::NT ? k9x : kNT;
        FakeSystem system;
        system.family = family;
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (family == PlatformFamily::NT ? " (NT)" : " (9x)"));
            // The other family's key holds every modem too: it must never be read.
            RecordingRegistry registry(Fixture(root, c.modems) + Fixture(other, {{0, c.tapiName}}));
            ASSERT_EQ(registry.error(), "");
            EXPECT_EQ(CheckTapiRegistration(c.tapiName, {system, &registry, nullptr}), c.result);
            ASSERT_EQ(registry.opened.size(), 10u);
            for (int i = 0; i < 10; ++i) {
                EXPECT_EQ(registry.opened[i], root + "000" + std::to_string(i));
            }
            EXPECT_EQ(registry.OpenKeys(), 0u);
            EXPECT_EQ(registry.BadCloses(), 0);
        }
    }
}

// A string's trailing NUL, missing keys and the closing of every key are the walk's;
// its one caller passes an empty default, the same as an empty model.
TEST(TapiRegistration, ReadRegistryText) {
    FakeRegistry registry(R"(
[A]
"Cut"=hex(1):41,00,42
"NoNul"=hex(1):41,42
"Number"=dword:00000041
)");
    ASSERT_EQ(registry.error(), "");
    auto read = [&](const char* value) {
        return ReadRegistryText(registry, Registry::kLocalMachine, "A", value, "");
    };
    EXPECT_EQ(read("Cut"), "A");
    EXPECT_EQ(read("NoNul"), "AB");
    EXPECT_EQ(read("Number"), "A");  // the type is not looked at
}

// The installed-modem source itself is asked in the golden runs on Linux.
TEST(TapiRegistration, PosixAsksTheInstalledModems) {
    FakeSystem system;
    RecordingRegistry registry(Fixture(kNT, {{0, "NUBO 56K-PRO"}}));
    // Without a source (no ModemManager) there are no installed modems, and
    // the registry is never read.
    EXPECT_EQ(CheckTapiRegistration("NUBO 56K-PRO", {system, &registry, nullptr}), -1);
    EXPECT_TRUE(registry.opened.empty());

    std::vector<std::string> eleven(10, "Other");
    eleven.push_back("NUBO 56K-PRO");
    EXPECT_EQ(MatchTapiName("NUBO 56K-PRO", eleven), -1);
    eleven[9] = "NUBO 56K-PRO\t\r\n";
    EXPECT_EQ(MatchTapiName("NUBO 56K-PRO", eleven), 1);
}

}  // namespace
}  // namespace nubo
