// Path texts of the platform the program is built for.
#include "platform/Files.h"

namespace nubo::files {

namespace {

#ifdef _WIN32
constexpr bool kWindowsPaths = true;
#else
constexpr bool kWindowsPaths = false;
#endif

}  // namespace

bool IsSeparator(char c) {
    return c == '/' || (kWindowsPaths && c == '\\');
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || IsSeparator(folder.back())) return folder + name;
    return folder + (kWindowsPaths ? '\\' : '/') + name;
}

std::string FileName(const std::string& path) {
    std::size_t start = path.size();
    while (start > 0 && !IsSeparator(path[start - 1]) &&
           !(kWindowsPaths && path[start - 1] == ':')) {
        --start;
    }
    return path.substr(start);
}

bool IsAbsolute(const std::string& path) {
    if (!kWindowsPaths) return !path.empty() && path[0] == '/';
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return true;
    return path.size() >= 3 && path[1] == ':' && IsSeparator(path[2]);
}

}  // namespace nubo::files
