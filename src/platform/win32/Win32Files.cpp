// Windows files: the UTF-8 path becomes UTF-16 for the wide calls, so it
// names the same file whatever the ANSI code page. Built into the core's
// platform library, since every layer above opens files through it.
#include <windows.h>

#include <cerrno>
#include <vector>

#include "platform/Files.h"
#include "platform/win32/WideText.h"

namespace nubo::files {

namespace {

std::error_code LastError() {
    return {static_cast<int>(GetLastError()), std::system_category()};
}

}  // namespace

std::FILE* Open(const std::string& path, const char* mode) {
    // _wfopen shares the file for reading and writing, as fopen does.
    return _wfopen(Widen(path).c_str(), Widen(mode).c_str());
}

bool CreateFolders(const std::string& path) {
    const std::wstring wide = Widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // The folder above first; a drive or share root exists, which ends the climb.
    std::size_t end = path.size();
    while (end > 0 && IsSeparator(path[end - 1])) --end;
    while (end > 0 && !IsSeparator(path[end - 1])) --end;
    if (end > 0 && !CreateFolders(path.substr(0, end - 1))) return false;
    return CreateDirectoryW(wide.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::error_code Replace(const std::string& from, const std::string& to) {
    if (MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING)) return {};
    return LastError();
}

bool Remove(const std::string& path) {
    return DeleteFileW(Widen(path).c_str()) != 0;
}

std::string Absolute(const std::string& path) {
    const std::wstring wide = Widen(path);
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()),
                                         buffer.data(), nullptr);
        if (n == 0) return path;
        if (n < buffer.size()) return Narrow(std::wstring(buffer.data(), n));
        buffer.resize(n);
    }
}

}  // namespace nubo::files
