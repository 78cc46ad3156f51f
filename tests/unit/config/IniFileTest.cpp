// The modem description file: section scan, section search, the value reader's
// rules, and files that try to break them.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "AllocationCounter.h"
#include "config/IniFile.h"
#include "config/ProfileReader.h"
#include "platform/fake/FakeSystem.h"
#include "support/Process.h"

namespace nubo {
namespace {

using testing::TempDir;
using Names = std::vector<std::string>;

TEST(IniFileLoad, MissingAndChangedFiles) {
    TempDir dir;
    FakeSystem system;
    system.programPath = dir.File("nubotest");
    CIniFile ini(system);
    EXPECT_EQ(ini.Load(), -1);
    EXPECT_FALSE(std::filesystem::exists(ini.path));  // reading never creates it
    EXPECT_EQ(ini.GetValue("Common", "ModemDetectCmd"), "");

    dir.Write("nubotest.ini", "[A]\n[B]\n");
    EXPECT_EQ(ini.Load(), 1);
    EXPECT_EQ(ini.Load(), 1);  // a second search does not see every name twice
    EXPECT_EQ(ini.sections, (Names{"A", "B"}));
    // A byte-order mark hides the first section from the scan, never its values.
    dir.Write("nubotest.ini", "\xEF\xBB\xBF[Common]\nModemDetectCmd=AT\n[B]\n");
    EXPECT_EQ(ini.Load(), 0);
    EXPECT_EQ(ini.sections, (Names{"B"}));
    EXPECT_EQ(ini.GetValue("Common", "ModemDetectCmd"), "AT");
}

TEST(IniFileLoad, SectionLineRuleAndLongLinesInPiecesOf2047) {
    TempDir dir;
    CIniFile ini(dir.Write("a.ini",
                           "; comment [NotASection]\n[Common]\nkey=[value]\n"
                           "[[Doubled]]\n[Blank after] \n [Blank before]\n"
                           "[ Inner blanks stay ]\n[1.Model X]\r\n[NoClose\n\n[]\n" +
                               testing::Bytes("[Cut\0Here]\n") + "[Last]"));
    EXPECT_EQ(ini.Load(), 5);
    EXPECT_EQ(ini.sections,
              (Names{"Common", "Doubled", " Inner blanks stay ", "1.Model X", "", "Last"}));

    const std::string exact = "[" + std::string(2045, 'a') + "]";     // one piece of 2047
    const std::string longer = "[" + std::string(3000, 'b') + "]";    // never a section
    const std::string split = exact + "[tail]";                       // a piece ends at 2047
    const std::string crlf = "[" + std::string(2044, 'd') + "]\r\n";  // CR LF is one character
    dir.Write("a.ini", exact + "\n" + longer + "\n" + split + "\n" + crlf);
    ini.Load();
    EXPECT_EQ(ini.sections, (Names{std::string(2045, 'a'), std::string(2045, 'a'), "tail",
                                   std::string(2044, 'd')}));
}

TEST(IniFileFindSection, WholeNameFirstThenShortName) {
    CIniFile ini("unused");
    ini.sections = {"Common", "1.Model X", "Model X", "2.Model X", ".Model X", "model y"};
    EXPECT_EQ(ini.FindSection("Model X", 0), 2);  // the whole name wins over an earlier prefix
    EXPECT_EQ(ini.FindSection("Model X", 3), 3);
    EXPECT_EQ(ini.FindSection("Model X", 4), -1);  // a leading point is no prefix
    EXPECT_EQ(ini.FindSection(".Model X", 0), 4);
    EXPECT_EQ(ini.FindSection("Model Y", 0), -1);  // case counts
}

TEST(IniFileGetValue, ReaderRules) {
    TempDir dir;
    const std::string hundred = std::string(50, 'x') + std::string(50, 'y');
    CIniFile ini(dir.Write("a.ini",
                           "Stray=before any section\n[Common]\nPlain=AT&T7\n"
                           "  Spaced Key  =   value with  inner blanks   \n"
                           "Mixed=first\nMIXED=second\nQuoted=\"  kept blanks  \"\n"
                           "Single='x'\nUnbalanced=\"x'\nLoneQuote=\"\nEmptyQuotes=\"\"\n"
                           "Long=" +
                               hundred + "\nLongQuoted=\"" + hundred +
                               "\"\n"
                               "Empty=\nBlank=    \nLiteral=GetValuenotok\nEquals=a=b=c\n"
                               ";Commented=yes\n  ; AlsoCommented=yes\nNoEqualsSign\n"
                               "Tabbed\t=\tt\t\n[Broken\nAfterBroken=still Common\n"
                               "[ Model X ]\nKey=model\r\n[Common]\nOnlyInRepeat=ignored\n"
                               "[Tail]\nNoLineEnd=last"));
    const Names rows[] = {
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
        {"Common", "AlsoCommented", ""},
        {"Common", "NoEqualsSign", ""},
        {"Common", "Tabbed", "t"},
        {"Common", "AfterBroken", "still Common"},
        {"Common", "Stray", ""},
        {"Common", "OnlyInRepeat", ""},  // only the first section of a name counts
        {" Model X ", "Key", "model"},   // as the section scan names it
        {"Model X", "Key", "model"},
        {"Model X", "Plain", ""},
        {"Tail", "NoLineEnd", "last"},
        {"Nowhere", "Plain", ""},
    };
    for (const Names& r : rows) EXPECT_EQ(ini.GetValue(r[0], r[1]), r[2]) << r[0] << " / " << r[1];

    dir.Write("a.ini", "[Common]\nPlain=changed\n");  // nothing is cached
    EXPECT_EQ(ini.GetValue("Common", "Plain"), "changed");
    const std::string path = ini.path;
    EXPECT_EQ(ReadProfileString(path, "Common", "Plain", "d", 4), "cha");
    EXPECT_EQ(ReadProfileString(path, "Common", "X", "dflt  ", 80), "dflt");
    EXPECT_EQ(ReadProfileString(path, "Common", "X", "dflt", 3), "df");
}

// Files no editor would write: neither reader may crash, hang or hoard memory.
// (NUL bytes and binary junk: the description fuzz target and the machine-fault runs.)
TEST(IniFileHostile, FiftyMegabytesInOneLineCostLittleMemoryAndTime) {
    TempDir dir;
    const std::string block(1 << 20, 'v');
    std::string text = "[S]\nK=\"";
    for (int i = 0; i < 50; ++i) text += block;
    CIniFile ini(dir.Write("big.ini", text + "\"\n[Other]\nAfter=yes"));
    text.clear();
    text.shrink_to_fit();

    const auto start = std::chrono::steady_clock::now();
    test::StartCountingAllocations();
    const Names values = {ini.GetValue("S", "K"), ini.GetValue("Other", "After"),
                          ini.GetValue("Nowhere", "K")};
    const int loaded = ini.Load();
    const std::size_t peak = test::StopCountingAllocations();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

    // The quote that closes 50 MB later still counts.
    EXPECT_EQ(values, (Names{std::string(79, 'v'), "yes", ""}));
    EXPECT_EQ(loaded, 1);
    EXPECT_GT(peak, 0u);  // the counter saw the readers at work
    EXPECT_LT(peak, 64u * 1024u) << "bytes alive at once";
    EXPECT_LT(took.count(), 60.0);
}

}  // namespace
}  // namespace nubo
