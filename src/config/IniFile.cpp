// The modem description file: sections by our own line scan, values by the
// profile reader, so both see the file as it is on disk at that moment.
#include "config/IniFile.h"

#include <cstdio>

#include "config/ProfileReader.h"
#include "config/TextLines.h"
#include "platform/Files.h"
#include "platform/System.h"

namespace nubo {
namespace {

constexpr std::size_t kLineBuffer = 2048;
constexpr std::size_t kValueBuffer = 80;
const char kNotFound[] = "GetValuenotok";

}  // namespace

CIniFile::CIniFile(System& system) : path(BesideProgram(system, ".ini")) {}

CIniFile::CIniFile(std::string filePath) : path(std::move(filePath)) {}

int CIniFile::Load() {
    // A search that runs again must not find the names of the last one twice.
    sections.clear();
    std::FILE* file = files::Open(path, "rb");
    if (!file) return -1;
    TextLines lines(file, kLineBuffer);
    std::string piece;
    while (lines.Next(piece)) {
        std::string line = UpToNul(piece);
        if (!line.empty() && line.back() == '\n') line.pop_back();
        if (line.empty() || line.front() != '[' || line.back() != ']') continue;
        const std::size_t first = line.find_first_not_of('[');
        const std::size_t last = line.find_last_not_of(']');
        sections.push_back(first == std::string::npos || last == std::string::npos || last < first
                               ? std::string()
                               : line.substr(first, last - first + 1));
    }
    std::fclose(file);
    return sections.empty() ? 0 : static_cast<int>(sections.size()) - 1;
}

std::string CIniFile::ShortName(const std::string& name) {
    const std::size_t dot = name.find('.');
    if (dot == std::string::npos || dot == 0) return name;
    return name.substr(dot + 1);
}

int CIniFile::FindSection(const std::string& name, int start) const {
    const int count = static_cast<int>(sections.size());
    if (start < 0) start = 0;
    for (int i = start; i < count; ++i) {
        if (sections[i] == name) return i;
    }
    for (int i = start; i < count; ++i) {
        if (ShortName(sections[i]) == name) return i;
    }
    return -1;
}

std::string CIniFile::SectionName(int index) const {
    if (index < 0 || index >= static_cast<int>(sections.size())) return {};
    return sections[index];
}

std::string CIniFile::GetValue(const std::string& section, const std::string& key) const {
    std::string value = ReadProfileString(path, section, key, kNotFound, kValueBuffer);
    return value == kNotFound ? std::string() : value;
}

}  // namespace nubo
