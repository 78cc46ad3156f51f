// The dial data file: cutting a line into fields and filling the location box
// and number field.
#include <gtest/gtest.h>

#include "FakeDialogItems.h"
#include "TempFiles.h"
#include "config/DialData.h"
#include "platform/fake/FakeSystem.h"

namespace nubo {
namespace {

using test::TempDir;

TEST(ReadDialField, ColumnsByCommaCount) {
    struct Row {
        std::string line;
        int n;
        bool ok;
        std::string field;
    };
    const Row rows[] = {
        {"49,D,Berlin,030,555\n", 1, true, "D"},
        {"49,D,Berlin,030,555\n", 2, true, "Berlin"},
        {"49,D,Berlin,030,555\n", 3, true, "030"},
        {"49,D,Berlin,030,555\n", 4, true, "555"},
        {"49, D , Berlin , 030 , 555 \r\n", 2, true, "Berlin"},
        {"49,\t\v\f New York \t,1", 1, true, "New York"},
        {"49,D,Berlin", 3, false, ""},
        {"49,D,Berlin,", 3, true, ""},
        {"49,,,,", 4, true, ""},
        {"", 1, false, ""},
        {"\n", 1, false, ""},
        {"a,b", 0, false, ""},
    };
    for (const Row& r : rows) {
        std::string field = "stale";
        EXPECT_EQ(ReadDialField(r.line, r.n, field), r.ok) << r.line << " n=" << r.n;
        EXPECT_EQ(field, r.field) << r.line << " n=" << r.n;
    }
}

TEST(DialDataPath, BesideTheProgram) {
    FakeSystem system;
    system.programPath = "/opt/nubo/nubotest";
    EXPECT_EQ(DialDataPath(system), "/opt/nubo/nubotest.dat");
    system.family = PlatformFamily::NT;
    system.programPath = "C:\\x\\tool.exe";
    EXPECT_EQ(DialDataPath(system), "C:\\x\\tool.dat");
}

class DialData : public ::testing::Test {
protected:
    void Load(const std::string& content) {
        LoadDialData(dir_.Write("d.dat", content), items_, entries_);
    }
    std::vector<std::string> Box() { return items_.lists[kLocationBoxId].items; }
    std::string Number() { return items_.texts[kNumberFieldId]; }

    TempDir dir_;
    test::FakeDialogItems items_;
    std::vector<DialEntry> entries_;
};

TEST_F(DialData, SortedBoxFirstLocationSelectedEntriesInFileOrder) {
    Load("49,D,Munich,089,111\n49,D,Berlin,030,555\n43,A,Wien,01,7");
    EXPECT_EQ(Box(), (std::vector<std::string>{"Berlin", "Munich", "Wien"}));
    EXPECT_EQ(items_.ListSelectedText(kLocationBoxId), "Berlin");
    EXPECT_EQ(Number(), "030555");
    ASSERT_EQ(entries_.size(), 3u);
    EXPECT_EQ(entries_[0].location, "Munich");
    EXPECT_EQ(entries_[0].number, "089111");
    EXPECT_EQ(entries_[2].number, "017");

    items_.ListSelect(kLocationBoxId, 2);
    ShowLocationNumber(items_, entries_);
    EXPECT_EQ(Number(), "017");
}

TEST_F(DialData, FirstOfTwoEqualLocationsInFileOrderGivesTheNumber) {
    Load("1,X,Berlin,030,1\n1,X,Berlin,030,2\n");
    ASSERT_EQ(Box().size(), 2u);
    for (int i = 0; i < 2; ++i) {
        items_.ListSelect(kLocationBoxId, i);
        ShowLocationNumber(items_, entries_);
        EXPECT_EQ(Number(), "0301");
    }
}

TEST_F(DialData, ShortLinesStillGiveEntriesAndABlankLineSortsFirst) {
    items_.texts[kNumberFieldId] = "old";
    Load("49,D,Berlin,030,555\n\n49,D,Hamburg\n");
    EXPECT_EQ(Box(), (std::vector<std::string>{"", "Berlin", "Hamburg"}));
    ASSERT_EQ(entries_.size(), 3u);
    EXPECT_EQ(entries_[2].number, "");
    EXPECT_EQ(Number(), "");  // the empty location is selected and has an empty number
}

TEST_F(DialData, MissingOrEmptyFileKeepsTheNumberField) {
    items_.texts[kNumberFieldId] = "keep";
    Load("49,D,Berlin,030,555\n");
    ASSERT_EQ(Number(), "030555");
    items_.texts[kNumberFieldId] = "keep";
    Load("");
    EXPECT_TRUE(Box().empty());
    EXPECT_TRUE(entries_.empty());
    EXPECT_EQ(items_.ListSelectedIndex(kLocationBoxId), -1);
    EXPECT_EQ(Number(), "keep");
    LoadDialData(dir_.File("none.dat"), items_, entries_);
    EXPECT_TRUE(Box().empty());
    EXPECT_EQ(Number(), "keep");
    ShowLocationNumber(items_, entries_);
    EXPECT_EQ(Number(), "keep");
}

TEST_F(DialData, LongColumnsAreCutAndLongLinesComeInPieces) {
    const std::string part(200, '1');
    Load("49,D,Far," + part + "," + std::string(130, '2') + "\n");
    ASSERT_EQ(entries_.size(), 1u);
    EXPECT_EQ(entries_[0].number, std::string(127, '1') + std::string(127, '2'));

    // 511 characters make one piece; the rest of the line is a line of its own.
    const std::string head = "49,D,Near,0,1,";
    Load(head + std::string(511 - head.size(), 'x') + ",y,Rest,2,3\n");
    ASSERT_EQ(entries_.size(), 2u);
    EXPECT_EQ(entries_[0].location, "Near");
    EXPECT_EQ(entries_[1].location, "Rest");
    EXPECT_EQ(entries_[1].number, "23");
}

TEST_F(DialData, NulEndsTheLineAndJunkDoesNotHurt) {
    Load(test::Bytes("49,D,Ber\0lin,030,555\n49,D,Bonn,0228,1\n\xFF\xFE,\x01,\x80,9"));
    ASSERT_EQ(entries_.size(), 3u);
    EXPECT_EQ(entries_[0].location, "Ber");
    EXPECT_EQ(entries_[0].number, "");
    EXPECT_EQ(entries_[2].location, "\x80");
}

TEST_F(DialData, SampleFileBesideTheProgram) {
    LoadDialData(std::string(NUBO_SOURCE_DIR) + "/res/data/nubotest.dat", items_, entries_);
    ASSERT_GE(entries_.size(), 4u);
    EXPECT_NE(entries_.front().location, Box().front());  // the file is not in box order
    EXPECT_EQ(items_.ListSelectedText(kLocationBoxId), "Berlin");
    EXPECT_EQ(Number(), "03047110");
}

}  // namespace
}  // namespace nubo
