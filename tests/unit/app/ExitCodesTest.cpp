// The README's and the man page's exit-code tables say what the program's one
// table says: every code, and each code's meaning in the same words.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <sstream>

#include "run/ExitCodes.h"
#include "support/Process.h"

namespace nubo {
namespace {

std::string CodeText(const ExitCodeInfo& code) {
    char text[16];
    std::snprintf(text, sizeof text, code.testBit ? "0x%02X" : "%d", code.value);
    return text;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Code -> the text that documents it, from "| code | text |" rows of the README.
std::map<std::string, std::string> ReadmeCodes() {
    std::istringstream in(testing::ReadFile(NUBO_SOURCE_DIR "/README.md"));
    std::map<std::string, std::string> codes;
    bool inSection = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("#", 0) == 0) inSection = line.find("Exit codes") != std::string::npos;
        if (!inSection || line.rfind("| ", 0) != 0) continue;
        const std::size_t bar = line.find(" | ", 2);
        std::string code = line.substr(2, bar - 2);
        if (code.rfind("bit ", 0) == 0) code.erase(0, 4);
        if (code == "Code") continue;
        codes[code] = line.substr(bar + 3);
    }
    return codes;
}

// Code -> the text of its .TP entry in the man page's EXIT STATUS section.
std::map<std::string, std::string> ManPageCodes() {
    std::istringstream in(testing::ReadFile(NUBO_SOURCE_DIR "/packaging/linux/nubotest.1"));
    std::map<std::string, std::string> codes;
    bool inSection = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(".SH", 0) == 0) inSection = line == ".SH EXIT STATUS";
        if (!inSection || (line.rfind(".B ", 0) != 0 && line.rfind(".BR ", 0) != 0)) continue;
        std::string code = line.substr(line.find(' ') + 1);
        code = code.substr(0, code.find(' '));
        if (code.rfind("\\-", 0) == 0) code.erase(0, 1);
        std::getline(in, codes[code]);
    }
    return codes;
}

TEST(ExitCodes, ReadmeAndManPageSayWhatTheProgramsTableSays) {
    for (const auto& [where, documented] :
         {std::pair{"README.md", ReadmeCodes()}, std::pair{"nubotest.1", ManPageCodes()}}) {
        EXPECT_EQ(documented.size(), std::size(kExitCodes)) << where;
        for (const ExitCodeInfo& code : kExitCodes) {
            const auto row = documented.find(CodeText(code));
            ASSERT_NE(row, documented.end()) << where << ": no code " << CodeText(code);
            EXPECT_EQ(Lower(row->second).rfind(code.meaning, 0), 0u)
                << where << ": " << row->second << " / " << code.meaning;
        }
    }
}

}  // namespace
}  // namespace nubo
