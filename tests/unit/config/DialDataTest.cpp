// The dial data file: cutting a line into fields and filling the location box
// and number field. Junk, NUL bytes and the bounds of every field: the dial
// data fuzz target.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/DialData.h"
#include "support/Process.h"
#include "wizard/fake/FakeDialogItems.h"

namespace nubo {
namespace {

using Texts = std::vector<std::string>;

class DialData : public ::testing::Test {
protected:
    void Load(const std::string& content) {
        LoadDialData(dir_.Write("d.dat", content), items_, entries_);
    }
    Texts Box() { return items_.lists[ctl::kLocationBox].items; }
    std::string& Number() { return items_.texts[ctl::kLocationNumber]; }

    testing::TempDir dir_;
    FakeDialogItems items_;
    std::vector<DialEntry> entries_;
};

// The first location chosen on loading, with its number: the search page's tests.
TEST_F(DialData, SortedBoxAndTheFirstEqualEntryWins) {
    Load("49,D,Munich,089,111\n49,D,Berlin,030,555\n43,A,Wien,01,7\n49,D,Berlin,030,666\n");
    EXPECT_EQ(Box(), (Texts{"Berlin", "Berlin", "Munich", "Wien"}));
    const std::pair<int, const char*> picks[] = {{1, "030555"}, {3, "017"}, {2, "089111"}};
    for (const auto& [index, number] : picks) {
        items_.ListSelect(ctl::kLocationBox, index);
        ShowLocationNumber(items_, entries_);
        EXPECT_EQ(Number(), number);
    }
}

// Columns by comma count, blanks of every kind around them dropped.
TEST_F(DialData, ShortLinesStillGiveEntriesAndABlankLineSortsFirst) {
    Number() = "old";
    Load("49, D ,\t\v\fBerlin ,030 , 555 \r\n\n49,D,Hamburg\n49,D,Kiel,\n");
    EXPECT_EQ(Box(), (Texts{"", "Berlin", "Hamburg", "Kiel"}));
    ASSERT_EQ(entries_.size(), 4u);
    EXPECT_EQ(entries_[0].number, "030555");
    EXPECT_EQ(entries_[2].number, "");
    EXPECT_EQ(entries_[3].number, "");
    EXPECT_EQ(Number(), "");  // the empty location is selected and has an empty number
    std::string field;  // the first column, which no entry takes, is still one
    EXPECT_TRUE(ReadDialField("49, D ,x", 1, field) && field == "D");
}

TEST_F(DialData, MissingEmptyOrDirectoryKeepsTheNumberField) {
    dir_.Write("empty.dat", "");
    std::filesystem::create_directory(dir_.File("dir.dat"));
    for (const char* name : {"empty.dat", "none.dat", "dir.dat"}) {
        Load("49,D,Berlin,030,555\n");
        Number() = "keep";
        LoadDialData(dir_.File(name), items_, entries_);
        EXPECT_TRUE(Box().empty()) << name;
        EXPECT_TRUE(entries_.empty());
        EXPECT_EQ(items_.ListSelectedIndex(ctl::kLocationBox), -1);
        ShowLocationNumber(items_, entries_);
        EXPECT_EQ(Number(), "keep");
    }
}

TEST_F(DialData, LongColumnsAreCutAndLongLinesComeInPieces) {
    Load("49,D,Far," + std::string(200, '1') + "," + std::string(130, '2') + "\n");
    ASSERT_EQ(entries_.size(), 1u);
    EXPECT_EQ(entries_[0].number, std::string(127, '1') + std::string(127, '2'));

    // 511 characters make one piece; the rest of the line is a line of its own.
    // A byte-order mark is not one of them.
    const std::string head = "49,D,Near,0,1,";
    Load("\xEF\xBB\xBF" + head + std::string(508 - head.size(), 'x') + ",,,,y,Rest,2,3\n");
    ASSERT_EQ(entries_.size(), 2u);
    EXPECT_EQ(entries_[0].location, "Near");
    EXPECT_EQ(entries_[1].location, "Rest");
    EXPECT_EQ(entries_[1].number, "23");
}

}  // namespace
}  // namespace nubo
