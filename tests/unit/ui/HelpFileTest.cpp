// The help file reader: topics, escapes, junk lines, a missing file.
#include <gtest/gtest.h>

#include "support/Process.h"
#include "ui/HelpFile.h"

namespace nubo {
namespace {

TEST(HelpFile, TopicsEscapesAndJunk) {
    testing::TempDir dir;
    const std::string path =
        dir.Write("help.HLP", std::string("# comment\r\n100 First line\\nsecond\\tend \\x\r\n"
                                          "101\tTabbed\njunk line\n102\n103 \n"
                                          "100 a second text for 100 is ignored\n"
                                          "104 ") +
                                  '\0' + "nul\n99999999999 too long an id\n");
    const auto topics = LoadHelpFile(path);
    EXPECT_EQ(topics.at(100), "First line\nsecond\tend \\x");
    EXPECT_EQ(topics.at(101), "Tabbed");
    EXPECT_EQ(topics.count(102), 0u);
    EXPECT_EQ(topics.at(103), "");
    EXPECT_EQ(topics.at(104), std::string(1, '\0') + "nul");
    EXPECT_EQ(topics.size(), 4u);
    EXPECT_TRUE(LoadHelpFile(path + ".missing").empty());
    EXPECT_TRUE(LoadHelpFile("").empty());
}

}  // namespace
}  // namespace nubo
