// POSIX files: a path is the bytes the kernel takes. Built into the core's
// platform library, since every layer above opens files through it.
#include <filesystem>

#include "platform/Files.h"

namespace nubo::files {

namespace fs = std::filesystem;

std::FILE* Open(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

bool CreateFolders(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    return fs::is_directory(path, ec);
}

std::error_code Replace(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    return ec;
}

bool Remove(const std::string& path) {
    return std::remove(path.c_str()) == 0;
}

std::string Absolute(const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return ec ? path : absolute.string();
}

}  // namespace nubo::files
