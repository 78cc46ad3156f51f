// The compiled-in text catalogs: one file per language, lines of the form
//   S <id> "<text>"               string-table text
//   D <template> <control> "<text>"  dialog text
// with the escapes \n \r \t \" \\ and "#" comment lines.
#include "wizard/Texts.h"

#include <cstring>
#include <map>
#include <mutex>

#include "platform/Embedded.h"

namespace nubo::embedded {
extern const File kCatalogs[];
}  // namespace nubo::embedded

namespace nubo::texts {
namespace {

struct Catalog {
    std::map<int, std::string> strings;
    std::map<std::pair<int, int>, std::string> dialogs;
    std::string error;  // first malformed line, if any
};

bool ParseQuoted(const std::string& line, std::size_t pos, std::string& out) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    if (pos >= line.size() || line[pos] != '"') return false;
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') return line.find_first_not_of(" \r", pos + 1) == std::string::npos;
        if (c == '\\') {
            if (++pos >= line.size()) return false;
            switch (line[pos]) {
                case 'n':
                    c = '\n';
                    break;
                case 'r':
                    c = '\r';
                    break;
                case 't':
                    c = '\t';
                    break;
                case '"':
                    c = '"';
                    break;
                case '\\':
                    c = '\\';
                    break;
                default:
                    return false;
            }
        }
        out += c;
    }
    return false;
}

bool ParseInt(const std::string& line, std::size_t& pos, int& value) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    const std::size_t start = pos;
    value = 0;
    while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9' && pos - start < 9) {
        value = value * 10 + (line[pos++] - '0');
    }
    return pos > start;
}

Catalog Parse(const char* data, std::size_t size) {
    Catalog catalog;
    std::size_t lineNo = 0;
    for (std::size_t begin = 0; begin < size;) {
        std::size_t end = begin;
        while (end < size && data[end] != '\n') ++end;
        std::string line(data + begin, end - begin);
        begin = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::size_t pos = 1;
        int a = 0;
        int b = 0;
        std::string text;
        bool ok = false;
        if (line[0] == 'S') {
            ok = ParseInt(line, pos, a) && ParseQuoted(line, pos, text);
            if (ok) catalog.strings[a] = text;
        } else if (line[0] == 'D') {
            ok = ParseInt(line, pos, a) && ParseInt(line, pos, b) && ParseQuoted(line, pos, text);
            if (ok) catalog.dialogs[{a, b}] = text;
        }
        if (!ok && catalog.error.empty()) {
            catalog.error = "line " + std::to_string(lineNo) + ": " + line;
        }
    }
    return catalog;
}

const std::map<std::string, Catalog>& Catalogs() {
    static const std::map<std::string, Catalog> all = [] {
        std::map<std::string, Catalog> m;
        for (const embedded::File* f = embedded::kCatalogs; f->name; ++f) {
            std::string name = f->name;
            name = name.substr(0, name.rfind('.'));
            m.emplace(name, Parse(reinterpret_cast<const char*>(f->data), f->size));
        }
        return m;
    }();
    return all;
}

std::string& Selected() {
    static std::string selected = "en-US";
    return selected;
}

const Catalog* Find(const std::string& name) {
    const auto& all = Catalogs();
    auto it = all.find(name);
    return it == all.end() ? nullptr : &it->second;
}

}  // namespace

const std::vector<std::string>& Languages() {
    static const std::vector<std::string> langs = {"en-US", "de", "fr", "it", "es", "pt-PT", "nl",
                                                   "da",    "nb", "fi", "pl", "cs", "ru",    "tr"};
    return langs;
}

std::string LanguageForLocale(const std::string& locale) {
    // "ll_CC.codeset@modifier": only the language part decides.
    std::string lang;
    for (char c : locale) {
        if (c == '_' || c == '.' || c == '@' || c == '-') break;
        lang += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    if (lang == "pt") return "pt-PT";
    if (lang == "no" || lang == "nn" || lang == "nb") return "nb";
    for (const auto& known : Languages()) {
        if (known == lang) return known;
    }
    return "en-US";
}

void SelectLanguage(const std::string& catalog) {
    Selected() = Find(catalog) ? catalog : "en-US";
}

const std::string& SelectedLanguage() {
    return Selected();
}

std::string Text(const std::string& catalog, int id) {
    const Catalog* c = Find(catalog);
    if (!c) return {};
    auto it = c->strings.find(id);
    return it == c->strings.end() ? std::string() : it->second;
}

std::string DialogText(const std::string& catalog, int templateId, int controlId) {
    const Catalog* c = Find(catalog);
    if (!c) return {};
    auto it = c->dialogs.find({templateId, controlId});
    return it == c->dialogs.end() ? std::string() : it->second;
}

std::string Text(int id) {
    std::string text = Text(Selected(), id);
    return text.empty() ? Text("en-US", id) : text;
}

std::string DialogText(int templateId, int controlId) {
    std::string text = DialogText(Selected(), templateId, controlId);
    return text.empty() ? DialogText("en-US", templateId, controlId) : text;
}

std::vector<int> TextIds(const std::string& catalog) {
    std::vector<int> ids;
    if (const Catalog* c = Find(catalog)) {
        for (const auto& [id, text] : c->strings) ids.push_back(id);
    }
    return ids;
}

std::vector<std::pair<int, int>> DialogTextIds(const std::string& catalog) {
    std::vector<std::pair<int, int>> ids;
    if (const Catalog* c = Find(catalog)) {
        for (const auto& [id, text] : c->dialogs) ids.push_back(id);
    }
    return ids;
}

bool CheckCatalog(const std::string& catalog, std::string& error) {
    const Catalog* c = Find(catalog);
    if (!c) {
        error = "no catalog " + catalog;
        return false;
    }
    error = c->error;
    return error.empty();
}

}  // namespace nubo::texts
