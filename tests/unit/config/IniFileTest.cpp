// The modem description file: section scan, section search, the value reader's
// rules, and files that try to break it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>

#include "AllocationCounter.h"
#include "TempFiles.h"
#include "config/IniFile.h"
#include "config/ProfileReader.h"
#include "platform/fake/FakeSystem.h"

namespace nubo {
namespace {

using test::TempDir;
using Names = std::vector<std::string>;

TEST(IniFileLoad, MissingFileGivesMinusOneCreatesNothingAndReadsEmpty) {
    TempDir dir;
    FakeSystem system;
    system.programPath = dir.File("nubotest");
    CIniFile ini(system);
    EXPECT_EQ(ini.path, dir.File("nubotest.ini"));
    EXPECT_EQ(ini.Load(), -1);
    EXPECT_FALSE(std::filesystem::exists(ini.path));
    EXPECT_EQ(ini.GetValue("Common", "ModemDetectCmd"), "");
    EXPECT_EQ(ini.FindSection("Common", 0), -1);
}

TEST(IniFileLoad, WindowsProgramNameLosesItsLastFourCharacters) {
    FakeSystem system;
    system.family = PlatformFamily::NT;
    system.programPath = "C:\\Tools\\tool.exe";
    EXPECT_EQ(CIniFile(system).path, "C:\\Tools\\tool.ini");
}

TEST(IniFileLoad, SectionLineRule) {
    TempDir dir;
    const std::string text = std::string(
                                 "; comment [NotASection]\n"
                                 "[Common]\n"
                                 "key=[value]\n"
                                 "[[Doubled]]\n"
                                 "[Blank after] \n"
                                 " [Blank before]\n"
                                 "[ Inner blanks stay ]\n"
                                 "[1.Model X]\r\n"
                                 "[NoClose\n"
                                 "\n"
                                 "[]\n") +
                             test::Bytes("[Cut\0Here]\n") + "[Last]";
    CIniFile ini(dir.Write("a.ini", text));
    EXPECT_EQ(ini.Load(), 5);
    EXPECT_EQ(ini.sections,
              (Names{"Common", "Doubled", " Inner blanks stay ", "1.Model X", "", "Last"}));
}

TEST(IniFileLoad, ReloadReplacesTheListAndEmptyFileGivesZero) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[A]\n[B]\n");
    CIniFile ini(path);
    EXPECT_EQ(ini.Load(), 1);
    EXPECT_EQ(ini.Load(), 1);
    EXPECT_EQ(ini.sections, (Names{"A", "B"}));
    dir.Write("a.ini", "");
    EXPECT_EQ(ini.Load(), 0);
    EXPECT_TRUE(ini.sections.empty());
    std::filesystem::remove(path);
    EXPECT_EQ(ini.Load(), -1);
    EXPECT_TRUE(ini.sections.empty());
}

TEST(IniFileLoad, LongLinesAreJudgedInPiecesOf2047) {
    TempDir dir;
    const std::string exact = "[" + std::string(2045, 'a') + "]";   // 2047: one piece
    const std::string longer = "[" + std::string(3000, 'b') + "]";  // never a section
    // A piece ends after 2047 characters, so what follows starts a piece of its own.
    const std::string split = "[" + std::string(2045, 'c') + "]" + "[tail]";
    // CR LF counts as one character, as in text mode.
    const std::string crlf = "[" + std::string(2044, 'd') + "]\r\n";
    CIniFile ini(dir.Write("a.ini", exact + "\n" + longer + "\n" + split + "\n" + crlf));
    ini.Load();
    EXPECT_EQ(ini.sections, (Names{std::string(2045, 'a'), std::string(2045, 'c'), "tail",
                                   std::string(2044, 'd')}));
}

TEST(IniFileFindSection, WholeNameFirstThenShortName) {
    CIniFile ini("unused");
    ini.sections = {"Common", "1.Model X", ".Model X", "Model X", "2.Model X", "model y"};
    EXPECT_EQ(ini.FindSection("Model X", 0), 3);  // the whole name wins over an earlier prefix
    EXPECT_EQ(ini.FindSection("Model X", 4), 4);
    EXPECT_EQ(ini.FindSection("Model X", 5), -1);
    EXPECT_EQ(ini.FindSection("Model X", 6), -1);
    EXPECT_EQ(ini.FindSection("Model X", 99), -1);
    EXPECT_EQ(ini.FindSection(".Model X", 0), 2);  // a leading point is no prefix
    EXPECT_EQ(ini.FindSection("Model Y", 0), -1);  // case counts
    EXPECT_EQ(ini.SectionName(1), "1.Model X");
    EXPECT_EQ(ini.SectionName(6), "");

    ini.sections = {"Common", "1.Model X", "2.Model X"};
    EXPECT_EQ(ini.FindSection("Model X", 0), 1);
    EXPECT_EQ(ini.FindSection("Model X", 2), 2);
}

TEST(IniFileShortName, TextAfterTheFirstPoint) {
    EXPECT_EQ(CIniFile::ShortName("A.B.C"), "B.C");
    EXPECT_EQ(CIniFile::ShortName("ABC"), "ABC");
    EXPECT_EQ(CIniFile::ShortName(".ABC"), ".ABC");
    EXPECT_EQ(CIniFile::ShortName("ABC."), "");
}

// One file, every rule of the value reader.
TEST(IniFileGetValue, ReaderRules) {
    TempDir dir;
    const std::string hundred = std::string(50, 'x') + std::string(50, 'y');
    CIniFile ini(dir.Write("a.ini",
                           "Stray=before any section\n"
                           "[Common]\n"
                           "Plain=AT&T7\n"
                           "  Spaced Key  =   value with  inner blanks   \n"
                           "Mixed=first\n"
                           "MIXED=second\n"
                           "Quoted=\"  kept blanks  \"\n"
                           "Single='x'\n"
                           "Unbalanced=\"x'\n"
                           "LoneQuote=\"\n"
                           "EmptyQuotes=\"\"\n"
                           "Long=" +
                               hundred +
                               "\n"
                               "LongQuoted=\"" +
                               hundred +
                               "\"\n"
                               "Empty=\n"
                               "Blank=    \n"
                               "Literal=GetValuenotok\n"
                               "Equals=a=b=c\n"
                               ";Commented=yes\n"
                               "  ; AlsoCommented=yes\n"
                               "NoEqualsSign\n"
                               "Tabbed\t=\tt\t\n"
                               "[Broken\n"
                               "AfterBroken=still Common\n"
                               "[ Model X ]\n"
                               "Key=model\r\n"
                               "OnlyInSecond=no\n"
                               "[Common]\n"
                               "OnlyInRepeat=ignored\n"
                               "[Tail]\n"
                               "NoLineEnd=last"));
    struct Row {
        const char* section;
        const char* key;
        std::string value;
    };
    const Row rows[] = {
        {"Common", "Plain", "AT&T7"},
        {"common", "PLAIN", "AT&T7"},  // names regardless of case
        {"Common", "Spaced Key", "value with  inner blanks"},
        {"Common", "Mixed", "first"},  // the first line with the key
        {"Common", "Quoted", "  kept blanks  "},
        {"Common", "Single", "x"},
        {"Common", "Unbalanced", "\"x'"},
        {"Common", "LoneQuote", "\""},
        {"Common", "EmptyQuotes", ""},
        {"Common", "Long", hundred.substr(0, 79)},
        {"Common", "LongQuoted", hundred.substr(0, 79)},
        {"Common", "Empty", ""},
        {"Common", "Blank", ""},
        {"Common", "Literal", ""},
        {"Common", "Equals", "a=b=c"},
        {"Common", ";Commented", ""},
        {"Common", "Commented", ""},
        {"Common", "NoEqualsSign", ""},
        {"Common", "Tabbed", "t"},
        {"Common", "AfterBroken", "still Common"},
        {"Common", "Stray", ""},
        {"Common", "OnlyInRepeat", ""},  // only the first section of a name counts
        {"Common", "Missing", ""},
        {" Model X ", "Key", "model"},  // as the section scan names it
        {"Model X", "Key", "model"},
        {"Model X", "Plain", ""},
        {"Tail", "NoLineEnd", "last"},
        {"Nowhere", "Plain", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ini.GetValue(r.section, r.key), r.value) << r.section << " / " << r.key;
    }
}

TEST(ProfileReader, DefaultLosesTrailingBlanksAndEverythingIsCutToTheBuffer) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[S]\nK=abcdef\n");
    EXPECT_EQ(ReadProfileString(path, "S", "K", "dflt", 4), "abc");
    EXPECT_EQ(ReadProfileString(path, "S", "X", "dflt  ", 80), "dflt");
    EXPECT_EQ(ReadProfileString(path, "S", "X", "dflt", 3), "df");
    EXPECT_EQ(ReadProfileString(path, "S", "K", "dflt", 0), "");
    EXPECT_EQ(ReadProfileString(dir.File("none.ini"), "S", "K", "dflt", 80), "dflt");
}

TEST(ProfileReader, ReadsTheFileAnewOnEveryCall) {
    TempDir dir;
    CIniFile ini(dir.Write("a.ini", "[S]\nK=one\n"));
    EXPECT_EQ(ini.GetValue("S", "K"), "one");
    dir.Write("a.ini", "[S]\nK=two\n");
    EXPECT_EQ(ini.GetValue("S", "K"), "two");
}

// Files no editor would write: neither reader may crash, hang or hoard memory.
TEST(IniFileHostile, NulBytesEndTheLineText) {
    TempDir dir;
    CIniFile ini(dir.Write("a.ini", test::Bytes("[S]\nK=ab\0cd\n[T\0]\n\0\0\0\nL=after\n")));
    ini.Load();
    EXPECT_EQ(ini.sections, (Names{"S"}));
    EXPECT_EQ(ini.GetValue("S", "K"), "ab");
    EXPECT_EQ(ini.GetValue("S", "L"), "after");
}

TEST(IniFileHostile, BinaryJunkBeforeRealSections) {
    TempDir dir;
    std::mt19937 random(4);
    std::string junk(1 << 20, '\0');
    for (char& c : junk) c = static_cast<char>(random() & 0xFF);
    // Junk may hold a "[...]" line of its own; the real sections come last.
    CIniFile ini(dir.Write("a.ini", junk + "\n[RealSection]\nKey=found\n"));
    ASSERT_GE(ini.Load(), 0);
    ASSERT_FALSE(ini.sections.empty());
    EXPECT_EQ(ini.sections.back(), "RealSection");
    EXPECT_EQ(ini.GetValue("RealSection", "Key"), "found");
    EXPECT_EQ(ini.GetValue("Common", "Key"), "");
}

TEST(IniFileHostile, FiftyMegabytesInOneLineCostLittleMemoryAndTime) {
    TempDir dir;
    const std::string path = dir.File("big.ini");
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("[S]\nK=\"", f);
        const std::string block(1 << 20, 'v');
        for (int i = 0; i < 50; ++i) std::fwrite(block.data(), 1, block.size(), f);
        std::fputs("\"\n[Other]\nAfter=yes", f);
        std::fclose(f);
    }
    CIniFile ini(path);
    const auto start = std::chrono::steady_clock::now();
    test::StartCountingAllocations();
    const std::string quoted = ini.GetValue("S", "K");
    const std::string after = ini.GetValue("Other", "After");
    const std::string missing = ini.GetValue("Nowhere", "K");
    const int loaded = ini.Load();
    const std::size_t peak = test::StopCountingAllocations();
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    EXPECT_EQ(quoted, std::string(79, 'v'));  // the quote closes 50 MB later
    EXPECT_EQ(after, "yes");
    EXPECT_EQ(missing, "");
    EXPECT_EQ(loaded, 1);
    EXPECT_EQ(ini.sections, (Names{"S", "Other"}));
    EXPECT_GT(peak, 0u);  // the counter saw the reader at work
    EXPECT_LT(peak, 64u * 1024u) << "bytes alive at once";
    EXPECT_LT(seconds, 60.0);
}

}  // namespace
}  // namespace nubo
