// Text and paths are UTF-8 inside the program; the Win32 calls take UTF-16,
// through the wide-character functions, so that every language and every
// path works whatever the ANSI code page. Any thread.
#pragma once
#include <string>

namespace nubo {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace nubo
