// Reads one value from an INI-format file, as the platform's profile reader
// does where it exists. Reads the file anew on every call; any thread.
#pragma once
#include <cstddef>
#include <string>

namespace nubo {

// The value of key in the first section of that name, cut to bufferSize - 1
// characters; defaultText (without trailing blanks, cut alike) when the file,
// the section or the key is missing. docs/data-files.md lists every rule.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultText,
                              std::size_t bufferSize);

}  // namespace nubo
