// The files the program reads and writes, named by UTF-8 paths: text and paths
// are UTF-8 everywhere inside the program. The effects are the platform
// layer's (POSIX hands the bytes to the C library; Windows turns them into
// UTF-16 for its wide calls, so a path with any letters reaches the file it
// names, whatever the ANSI code page); the path texts are worked out here.
// Any thread.
#pragma once
#include <cstdio>
#include <string>
#include <system_error>

namespace nubo::files {

// fopen's modes ("rb", "wb"); null when the file cannot be opened, errno says
// why. Others may read and write a file while it is open.
std::FILE* Open(const std::string& path, const char* mode);
// Creates the folder and the missing folders above it; true when it exists afterwards.
bool CreateFolders(const std::string& path);
// Renames from to to, replacing a file of that name.
std::error_code Replace(const std::string& from, const std::string& to);
bool Remove(const std::string& path);
// The path made absolute against the current folder; unchanged when that fails.
std::string Absolute(const std::string& path);

// "\" and "/" part a Windows path, "/" a POSIX one.
bool IsSeparator(char c);
// folder, a separator unless it ends in one, name.
std::string Join(const std::string& folder, const std::string& name);
// What follows the last separator (on Windows also a drive's colon).
std::string FileName(const std::string& path);
// From the root: "/..." on POSIX, "X:\..." or "\\server\..." on Windows.
bool IsAbsolute(const std::string& path);

}  // namespace nubo::files
