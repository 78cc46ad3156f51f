// Our value reader against the platform's own GetPrivateProfileStringA on the
// same description files: the sample, the fuzz corpus and hand-written edge
// cases. Every section either reader lists, with every key either reader
// finds in it (and one key that is nowhere), must give the same value.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "config/IniFile.h"
#include "config/ProfileReader.h"
#include "support/Process.h"

namespace nubo {
namespace {

namespace fs = std::filesystem;

// As CIniFile::GetValue asks it: the default marks a missing key, 80 bytes.
constexpr char kDefault[] = "GetValuenotok";
constexpr std::size_t kBuffer = 80;

std::string Platform(const std::string& path, const char* section, const char* key) {
    char buffer[kBuffer] = {};
    GetPrivateProfileStringA(section, key, kDefault, buffer, kBuffer, path.c_str());
    return buffer;
}

// A NUL-separated list as the platform hands out section and key names.
std::vector<std::string> PlatformList(const std::string& path, const char* section) {
    std::vector<char> buffer(1 << 16);
    const DWORD n = section
                        ? GetPrivateProfileStringA(section, nullptr, "", buffer.data(),
                                                   static_cast<DWORD>(buffer.size()), path.c_str())
                        : GetPrivateProfileSectionNamesA(
                              buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
    std::vector<std::string> names;
    for (DWORD at = 0; at < n && buffer[at] != '\0';) {
        names.emplace_back(buffer.data() + at);
        at += static_cast<DWORD>(names.back().size()) + 1;
    }
    return names;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

// The key names written in the sections called `section` (any case): the
// text before "=" on each line below such a header.
std::vector<std::string> WrittenKeys(const std::string& text, const std::string& section) {
    std::vector<std::string> keys;
    bool inside = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        const std::string line = Trim(text.substr(pos, eol - pos));
        pos = eol + 1;
        if (!line.empty() && line[0] == '[' && line.find(']') != std::string::npos) {
            inside = Lower(Trim(line.substr(1, line.find(']') - 1))) == Lower(section);
        } else if (inside && line.find('=') != std::string::npos) {
            keys.push_back(Trim(line.substr(0, line.find('='))));
        }
    }
    return keys;
}

struct Tally {
    int files = 0;
    int sections = 0;
    int lookups = 0;
};

// Where Wine's reader is known to part from Windows', or a reader may choose,
// the case is left out of the comparison:
// - The empty section name: Wine gives it the lines before the first header
//   and does not find the keys under a "[]" header; Windows reads that name
//   only under "[]" (Wine's own profile tests mark this as Wine's fault), as
//   our reader does. It is left out.
// - Wine takes a header's name up to its last "]", our reader up to the first
//   (as the section scan does); only names holding a "]" are affected, and
//   only Wine's list gives them. They are left out.
// - A key written after ";" is a comment line to our reader; Wine finds it
//   when asked by that name. No description key starts with ";".
// A UTF-8 byte-order mark is compared: Wine skips it as our reader does.
// Windows does not, so a mark on the line of the first header hides that
// section from it; there our reader deliberately reads more than Windows'.
void Compare(const std::string& path, Tally& tally) {
    CIniFile ini(path);
    ini.Load();
    std::vector<std::string> sections = ini.sections;
    for (const std::string& s : PlatformList(path, nullptr)) {
        if (!s.empty() && s.find(']') == std::string::npos) sections.push_back(s);
    }
    const std::string text = testing::ReadFile(path);
    std::set<std::string> seen;
    for (const std::string& section : sections) {
        if (section.empty() || !seen.insert(section).second) continue;
        ++tally.sections;
        std::vector<std::string> keys = WrittenKeys(text, section);
        for (const std::string& k : PlatformList(path, section.c_str())) keys.push_back(k);
        keys.push_back("NoSuchKey");
        std::set<std::string> asked;
        for (const std::string& key : keys) {
            if (key.starts_with(";") || !asked.insert(Lower(key)).second) continue;
            ++tally.lookups;
            EXPECT_EQ(ReadProfileString(path, section, key, kDefault, kBuffer),
                      Platform(path, section.c_str(), key.c_str()))
                << fs::path(path).filename().string() << ": [" << section << "] " << key;
        }
    }
    ++tally.lookups;
    EXPECT_EQ(ReadProfileString(path, "No Such Section", "Key", kDefault, kBuffer),
              Platform(path, "No Such Section", "Key"));
    ++tally.files;
}

// Edge cases the sample and the corpus do not show, one file each.
const std::vector<std::pair<const char*, std::string>> kHandWritten = {
    {"bom.ini", "\xEF\xBB\xBF[Common]\r\nDetect=ATI\r\n[Model]\r\nName=X\r\n"},
    {"blank.ini", "[S]\r\nEmpty=\r\nBlanks=   \r\nTabs=\t\t\r\n  Indented  =  v  \r\nx = \r\n"},
    {"quotes.ini",
     "[S]\nD=\"double\"\nS='single'\nMixed=\"open'\nOne=\"\nTwo=\"\"\nInner=a \"b\" c\n"
     "Padded=  \" spaced \"  \nLeft=\"left\nRight=right\"\n"},
    {"duplicates.ini",
     "[S]\nK=first\nK=second\nk=third\n[T]\nK=t\n[S]\nK=again\nOther=only here\n"},
    {"case.ini", "[Mixed Case]\nKey=v\n[MIXED CASE]\nKEY=w\nkEy2=x\n"},
    {"long.ini", "[S]\nLong=" + std::string(100, 'a') + "\nLonger=" + std::string(3000, 'b') +
                     "\nAfter=c\n[" + std::string(300, 'n') + "]\nK=v\n"},
    {"comments.ini", "; [Hidden]\n[S]\n;K=commented\nK=real\n# Hash=h\nNoEquals\n=nokey\nK2 = 2\n"},
    {"odd.ini",
     "junk before\nK=outside\n[S] trailing\nA=1\n [T]\nB=2\n[U\nC=3\n[[W]]\nD=4\n[]\nE=5\n"},
    {"noend.ini", "[S]\r\nLast=no line end"},
    {"crlf.ini", "[S]\r\nA=1\r\r\nB = two words \r\n\r\n[T]\r\nA=x\r\n"},
};

TEST(ProfileReaderAgainstPlatform, EveryListedKeyGivesTheSameValue) {
    testing::TempDir dir;
    std::vector<std::string> paths;
    // Copies under fresh names: the platform caches a profile by its name.
    fs::copy_file(NUBO_SOURCE_DIR "/res/data/nubotest.ini", dir.File("nubotest.ini"));
    paths.push_back(dir.File("nubotest.ini"));
    for (const auto& entry :
         fs::directory_iterator(NUBO_SOURCE_DIR "/tests/fuzz/corpus/fuzz_ini")) {
        const std::string name = "corpus-" + entry.path().filename().string() + ".ini";
        fs::copy_file(entry.path(), dir.File(name));
        paths.push_back(dir.File(name));
    }
    for (const auto& [name, content] : kHandWritten) paths.push_back(dir.Write(name, content));

    Tally tally;
    for (const std::string& path : paths) Compare(path, tally);
    std::cout << "compared " << tally.files << " files, " << tally.sections << " sections, "
              << tally.lookups << " keys\n";
    EXPECT_EQ(tally.files, static_cast<int>(paths.size()));
}

}  // namespace
}  // namespace nubo
