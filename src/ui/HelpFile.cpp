// Context help texts beside the program.
#include "ui/HelpFile.h"

#include <fstream>

namespace nubo {

std::map<int, std::string> LoadHelpFile(const std::string& path) {
    std::map<int, std::string> topics;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    // A help file is a few lines; a stray huge file is cut short, not read whole.
    for (int count = 0; count < 10000 && std::getline(in, line); ++count) {
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
    return topics;
}

}  // namespace nubo
