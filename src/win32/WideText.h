// The catalogs and the pages speak UTF-8; the controls are driven through the
// wide-character calls so that every language shows whatever the ANSI code page.
#pragma once
#include <string>

namespace nubo {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace nubo
