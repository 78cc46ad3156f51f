// Reading the dial data file into the search page's location box.
#include "config/DialData.h"

#include <cstdio>

#include "config/TextLines.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "wizard/DialogItems.h"

namespace nubo {
namespace {

constexpr std::size_t kLineBuffer = 512;
// The longest text a number column may hold; longer columns are cut. Column 2
// (up to 15 characters) is part of the format but nothing uses it.
constexpr std::size_t kNumberPartLength = 127;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string TrimRight(std::string s) {
    while (!s.empty() && IsSpace(s.back())) s.pop_back();
    return s;
}

std::string Column(const std::string& line, int n, std::size_t limit) {
    std::string field;
    ReadDialField(line, n, field);
    if (field.size() > limit) field = TrimRight(field.substr(0, limit));
    return field;
}

}  // namespace

bool ReadDialField(const std::string& line, int n, std::string& field) {
    field.clear();
    if (n < 1) return false;
    std::size_t pos = 0;
    for (int commas = 0; commas < n; ++commas) {
        pos = line.find(',', pos);
        if (pos == std::string::npos) return false;
        ++pos;
    }
    const std::size_t next = line.find(',', pos);
    std::size_t end = next == std::string::npos ? line.size() : next;
    while (end > pos && IsSpace(line[end - 1])) --end;
    while (pos < end && IsSpace(line[pos])) ++pos;
    field = line.substr(pos, end - pos);
    return true;
}

std::string DialDataPath(System& system) {
    return BesideProgram(system, ".dat");
}

void LoadDialData(const std::string& path, DialogItems& items, std::vector<DialEntry>& entries) {
    items.ListReset(ctl::kLocationBox);
    entries.clear();
    std::FILE* file = files::Open(path, "rb");
    if (!file) return;
    SkipByteOrderMark(file);  // else it would prefix the first line's first column
    TextLines lines(file, kLineBuffer);
    std::string piece;
    while (lines.Next(piece)) {
        const std::string line = UpToNul(piece);
        DialEntry entry;
        entry.location = Column(line, 2, kLineBuffer - 1);
        entry.number = Column(line, 3, kNumberPartLength) + Column(line, 4, kNumberPartLength);
        items.ListAdd(ctl::kLocationBox, entry.location);
        entries.push_back(std::move(entry));
    }
    std::fclose(file);
    if (entries.empty()) return;
    items.ListSelect(ctl::kLocationBox, 0);
    ShowLocationNumber(items, entries);
}

void ShowLocationNumber(DialogItems& items, const std::vector<DialEntry>& entries) {
    if (items.ListSelectedIndex(ctl::kLocationBox) < 0) return;
    const std::string selected = items.ListSelectedText(ctl::kLocationBox);
    for (const DialEntry& entry : entries) {
        if (entry.location == selected) {
            items.SetText(ctl::kLocationNumber, entry.number);
            return;
        }
    }
}

}  // namespace nubo
