// The modem description file: its section list and its values. Created and
// destroyed with the search page, used by the search worker only.
#pragma once
#include <string>
#include <vector>

namespace nubo {

class System;

class CIniFile {
public:
    // Beside the program, under the program's name with ".ini".
    explicit CIniFile(System& system);
    // Exactly this file.
    explicit CIniFile(std::string filePath);
    virtual ~CIniFile() = default;

    // Reads the section names anew; -1 when the file cannot be read, else the
    // index of the last name (0 when there is none).
    int Load();
    // Index of the first section from start whose full name is name, else of the
    // first whose short name is; -1 when neither is there.
    int FindSection(const std::string& name, int start) const;
    // Empty for an index that FindSection cannot have given.
    std::string SectionName(int index) const;
    // Empty when the file, the section or the key is missing, and for an empty value.
    std::string GetValue(const std::string& section, const std::string& key) const;

    // The text after the first "." of a name, unless the name has none or starts with it.
    static std::string ShortName(const std::string& name);

    std::vector<std::string> sections;
    std::string path;
};

}  // namespace nubo
