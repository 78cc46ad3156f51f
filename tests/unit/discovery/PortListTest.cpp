// The port list buffer, its readers, and the callers' walk over a port source.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "discovery/PortList.h"

namespace nubo {
namespace {

std::vector<std::string> Entries(const char* list) {
    std::vector<std::string> out;
    for (int i = 0; i < MultiSzCount(list); ++i) out.emplace_back(MultiSzEntry(list, i));
    return out;
}

// A source whose answers the test changes; counts its walks.
class ScriptedPorts : public PortSource {
public:
    std::vector<std::string> names;
    bool readable = true;
    int walks = 0;
    std::function<void()> afterWalk;
    bool ListPorts(const AddPort& add) override {
        ++walks;
        if (readable) {
            for (const auto& n : names) add(n);
        }
        if (afterWalk) afterWalk();
        return readable;
    }
};

TEST(PortList, EmptyListAndReadersAtTheEdges) {
    PortList list;
    EXPECT_EQ(std::memcmp(list.Data(), "\0\0", 2), 0);
    EXPECT_EQ(MultiSzEntry(list.Data(), 0), nullptr);
    EXPECT_EQ(MultiSzCount(nullptr), 0);
    EXPECT_EQ(MultiSzEntry(nullptr, 0), nullptr);

    list.Add("COM1");
    list.Add("COM2");
    EXPECT_STREQ(MultiSzEntry(list.Data(), 1), "COM2");
    EXPECT_EQ(MultiSzEntry(list.Data(), 2), nullptr);
    EXPECT_EQ(MultiSzEntry(list.Data(), -1), nullptr);
    // Two NULs behind the last name.
    EXPECT_EQ(std::memcmp(list.Data(), "COM1\0COM2\0\0", 11), 0);
}

TEST(PortList, DuplicatesIgnoringCaseAndEmptyNamesAreSkipped) {
    PortList list;
    for (const std::string& name :
         {std::string("com3"), std::string("COM1"), std::string(), std::string("COM3"),
          std::string("Com1"), std::string("COM2\0junk", 9), std::string("/dev/ttyUSB0"),
          std::string("/DEV/TTYusb0")}) {
        list.Add(name);
    }
    // The first spelling and the order stay; an empty name hides nothing behind it.
    EXPECT_EQ(Entries(list.Data()),
              (std::vector<std::string>{"com3", "COM1", "COM2", "/dev/ttyUSB0"}));
}

TEST(PortList, NamesThatNoLongerFitAreDropped) {
    PortList list;
    // 102 names of 10 bytes each fill 1020 bytes; the end marker needs one more.
    for (int i = 0; i < 102; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "PORT%05d", i);
        list.Add(name);
    }
    list.Add("TOOLONG");  // 1020 + 8 + 1 > 1024
    list.Add("AB");       // 1020 + 3 + 1 == 1024: the last name that fits
    list.Add("C");
    const auto entries = Entries(list.Data());
    ASSERT_EQ(entries.size(), 103u);
    EXPECT_EQ(entries[101], "PORT00101");
    EXPECT_EQ(entries.back(), "AB");
    EXPECT_EQ(list.Data()[PortList::kSize - 1], '\0');
    EXPECT_EQ(list.Data()[PortList::kSize - 2], '\0');
}

// That an unreadable source gives no list and an empty one an empty list, the
// registry walks' tests see; here that the list of the last walk is emptied too.
TEST(EnumSerialPorts, UnreadableSourceEmptiesTheBuffer) {
    ScriptedPorts source;
    source.names = {"COM1", "COM2"};
    const char* list = EnumSerialPorts(source);
    ASSERT_EQ(MultiSzCount(list), 2);
    source.readable = false;
    EXPECT_EQ(EnumSerialPorts(source), nullptr);
    EXPECT_EQ(MultiSzCount(list), 0);  // the same buffer, rewritten
}

TEST(EnumSerialPorts, CallersWalkFetchesAfreshForEveryCountAndEntry) {
    ScriptedPorts source;
    source.names = {"COM1", "com1", "COM4", "COM2"};
    EXPECT_EQ(ReadPortList(source), (std::vector<std::string>{"COM1", "COM4", "COM2"}));
    EXPECT_EQ(source.walks, 2 * 3 + 1);

    // A port that goes away between the count and the entry ends the walk.
    source.walks = 0;
    source.afterWalk = [&] {
        if (source.walks == 3) source.names.resize(1);
    };
    EXPECT_EQ(ReadPortList(source), (std::vector<std::string>{"COM1"}));
}

TEST(EnumSerialPorts, ThreadsDoNotRewriteEachOthersList) {
    ScriptedPorts mine;
    mine.names = {"COM1", "COM2"};
    const char* list = EnumSerialPorts(mine);
    std::thread other([] {
        ScriptedPorts theirs;
        theirs.names = {"/dev/ttyS0"};
        EXPECT_EQ(Entries(EnumSerialPorts(theirs)), (std::vector<std::string>{"/dev/ttyS0"}));
    });
    other.join();
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"COM1", "COM2"}));
}

}  // namespace
}  // namespace nubo
