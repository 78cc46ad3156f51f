// Context help texts beside the program.
#include "ui/HelpFile.h"

#include "platform/Files.h"

namespace nubo {

namespace {

// The next line without its "\n"; false at the end of the file.
bool ReadLine(std::FILE* file, std::string& line) {
    line.clear();
    int c = 0;
    while ((c = std::getc(file)) != EOF && c != '\n') line += static_cast<char>(c);
    return c != EOF || !line.empty();
}

}  // namespace

std::map<int, std::string> LoadHelpFile(const std::string& path) {
    std::map<int, std::string> topics;
    std::FILE* file = files::Open(path, "rb");
    if (!file) return topics;
    std::string line;
    // A help file is a few lines; a stray huge file is cut short, not read whole.
    for (int count = 0; count < 10000 && ReadLine(file, line); ++count) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t pos = 0;
        int topic = 0;
        while (pos < line.size() && pos < 9 && line[pos] >= '0' && line[pos] <= '9') {
            topic = topic * 10 + (line[pos++] - '0');
        }
        if (pos == 0 || pos >= line.size() || (line[pos] != ' ' && line[pos] != '\t')) continue;
        std::string text;
        for (++pos; pos < line.size(); ++pos) {
            char c = line[pos];
            if (c == '\\' && pos + 1 < line.size()) {
                const char next = line[pos + 1];
                if (next == 'n' || next == 't' || next == '\\') {
                    c = next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
                    ++pos;
                }
            }
            text += c;
        }
        topics.emplace(topic, text);
    }
    std::fclose(file);
    return topics;
}

}  // namespace nubo
