// Context help texts beside the program: one topic a line, "<topic id> <text>",
// with the escapes \n \t \\ in the text; "#" starts a comment line.
#pragma once
#include <map>
#include <string>

namespace nubo {

// The topics of the file; empty when it cannot be read. Lines that are not a
// topic are skipped; a topic given twice keeps its first text.
std::map<int, std::string> LoadHelpFile(const std::string& path);

}  // namespace nubo
