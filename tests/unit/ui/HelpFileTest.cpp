// The help file reader: topics, escapes, junk lines, a missing file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "ui/HelpFile.h"

namespace nubo {
namespace {

TEST(HelpFile, TopicsEscapesAndJunk) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "nubotest-help-test.HLP").string();
    {
        std::ofstream out(path, std::ios::binary);
        out << "# comment\r\n100 First line\\nsecond\\tend \\x\r\n"
            << "101\tTabbed\n"
            << "junk line\n102\n103 \n"
            << "100 a second text for 100 is ignored\n"
            << std::string("104 ") + std::string(1, '\0') + "nul\n"
            << "99999999999 too long an id\n";
    }
    const auto topics = LoadHelpFile(path);
    std::remove(path.c_str());
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
