// The profile (INI value) reader. It streams the file and keeps only the head
// of each line, so that neither junk nor a huge file costs more than a few
// kilobytes.
#include "config/ProfileReader.h"

#include <cstdio>

#include "config/TextLines.h"
#include "platform/Files.h"

namespace nubo {
namespace {

// Names and the start of a value are looked for in this many leading bytes of
// a line; the end of a value is tracked over the whole line.
constexpr std::size_t kHeldBytes = 4096;

bool IsBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

unsigned char Lower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

bool SameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(static_cast<unsigned char>(a[i])) != Lower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string Trim(const std::string& s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && IsBlank(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && IsBlank(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::string Cut(std::string s, std::size_t bufferSize) {
    if (s.size() > bufferSize - 1) s.resize(bufferSize - 1);
    return s;
}

// One line as far as it matters: its head, and where its last non-blank
// character stands. A NUL ends the line's text, as it would a C string.
struct LineScan {
    std::string held;
    std::size_t length = 0;
    std::size_t endOfText = 0;  // length up to and including the last non-blank
    char lastChar = 0;
    bool stopped = false;

    void Add(char c) {
        if (stopped) return;
        if (c == '\0') {
            stopped = true;
            return;
        }
        if (held.size() < kHeldBytes) held += c;
        ++length;
        if (!IsBlank(static_cast<unsigned char>(c))) {
            endOfText = length;
            lastChar = c;
        }
    }
    void Clear() {
        held.clear();
        length = endOfText = 0;
        lastChar = 0;
        stopped = false;
    }
};

enum class Verdict { Next, Found, Done };

class Search {
public:
    Search(const std::string& section, const std::string& key)
        : section_(Trim(section)), key_(Trim(key)) {}

    Verdict Judge(const LineScan& line) {
        const std::string& h = line.held;
        std::size_t p = 0;
        while (p < h.size() && IsBlank(static_cast<unsigned char>(h[p]))) ++p;
        if (p == h.size()) return Verdict::Next;
        if (h[p] == '[') {
            const std::size_t close = h.find(']', p + 1);
            if (close == std::string::npos) return Verdict::Next;
            // Only the first section of the name counts; leaving it ends the search.
            if (inSection_) return Verdict::Done;
            inSection_ = SameNoCase(Trim(h.substr(p + 1, close - p - 1)), section_);
            return Verdict::Next;
        }
        if (!inSection_ || h[p] == ';') return Verdict::Next;
        const std::size_t eq = h.find('=', p);
        if (eq == std::string::npos || !SameNoCase(Trim(h.substr(p, eq - p)), key_)) {
            return Verdict::Next;
        }
        std::size_t v = eq + 1;
        while (v < h.size() && IsBlank(static_cast<unsigned char>(h[v]))) ++v;
        if (v >= line.endOfText || v >= h.size()) {
            value_.clear();
            return Verdict::Found;
        }
        std::size_t end = line.endOfText;
        const char first = h[v];
        if ((first == '"' || first == '\'') && end - v >= 2 && line.lastChar == first) {
            ++v;
            --end;
        }
        value_ = h.substr(v, (end < h.size() ? end : h.size()) - v);
        return Verdict::Found;
    }

    const std::string& Value() const { return value_; }

private:
    std::string section_;
    std::string key_;
    bool inSection_ = false;
    std::string value_;
};

}  // namespace

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultText,
                              std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    std::string fallback = defaultText;
    while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
    fallback = Cut(fallback, bufferSize);

    std::FILE* file = files::Open(path, "rb");
    if (!file) return fallback;
    // The section scan keeps its rule of "[" in the first column; values are
    // found in a file with a byte-order mark as the platform's reader finds them.
    SkipByteOrderMark(file);

    Search search(section, key);
    LineScan line;
    line.held.reserve(kHeldBytes);
    char chunk[16384];
    Verdict verdict = Verdict::Next;
    bool pending = false;
    for (std::size_t n;
         verdict == Verdict::Next && (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
        for (std::size_t i = 0; i < n && verdict == Verdict::Next; ++i) {
            if (chunk[i] == '\n') {
                verdict = search.Judge(line);
                line.Clear();
                pending = false;
            } else {
                line.Add(chunk[i]);
                pending = true;
            }
        }
    }
    // The last line counts without its line end too.
    if (verdict == Verdict::Next && pending) verdict = search.Judge(line);
    std::fclose(file);
    return verdict == Verdict::Found ? Cut(search.Value(), bufferSize) : fallback;
}

}  // namespace nubo
