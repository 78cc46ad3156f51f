// The Windows answers to the System interface.
#include "platform/win32/Win32System.h"

#include <windows.h>

#include <vector>

#include "platform/win32/WideText.h"

namespace nubo {

namespace {

// DLLVERSIONINFO as comctl32's DllGetVersion fills it (20 bytes).
struct DllVersionInfo {
    DWORD cbSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformID;
};
using DllGetVersionFn = HRESULT(CALLBACK*)(DllVersionInfo*);

std::string LocaleInfo(LCID lcid, LCTYPE type) {
    char buffer[16] = {};
    if (GetLocaleInfoA(lcid, type, buffer, sizeof buffer) <= 0) return {};
    return buffer;
}

}  // namespace

std::string Win32System::ProgramPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return "nubotest.exe";
        if (n < buffer.size()) return Narrow(std::wstring(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

PlatformFamily Win32System::Family() {
    return (GetVersion() & 0x80000000u) ? PlatformFamily::Win9x : PlatformFamily::NT;
}

unsigned Win32System::MajorVersion() {
    return LOBYTE(LOWORD(GetVersion()));
}

CommonControlsVersion Win32System::CommonControls() {
    // Tests and screenshots choose the style whatever the machine has.
    const std::string style = Environment("NUBOTEST_WIZARD_STYLE");
    if (style == "old") return {true, 4, 70};
    if (style == "new") return {true, 5, 80};
    HMODULE library = LoadLibraryA("comctl32.dll");
    if (!library) return {};
    CommonControlsVersion version{true, 4, 0};
    const FARPROC proc = GetProcAddress(library, "DllGetVersion");
    if (proc) {
        // Through void(*)() so that the compiler accepts the change of signature.
        const auto getVersion =
            reinterpret_cast<DllGetVersionFn>(reinterpret_cast<void (*)()>(proc));
        DllVersionInfo info{};
        info.cbSize = sizeof info;
        if (SUCCEEDED(getVersion(&info))) {
            version.major = info.dwMajorVersion;
            version.minor = info.dwMinorVersion;
        }
    }
    FreeLibrary(library);
    return version;
}

std::string LocaleForLanguageId(unsigned langId) {
    const LCID lcid = MAKELCID(static_cast<LANGID>(langId), SORT_DEFAULT);
    const std::string language = LocaleInfo(lcid, LOCALE_SISO639LANGNAME);
    if (language.empty()) return {};
    const std::string country = LocaleInfo(lcid, LOCALE_SISO3166CTRYNAME);
    return country.empty() ? language : language + "_" + country;
}

std::string Win32System::UserLanguage() {
    return LocaleForLanguageId(GetUserDefaultUILanguage());
}

LocalTime Win32System::Now() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

std::string Win32System::Environment(const std::string& name) {
    const std::wstring wideName = Widen(name);
    std::vector<wchar_t> buffer(256);
    for (;;) {
        const DWORD n = GetEnvironmentVariableW(wideName.c_str(), buffer.data(),
                                                static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return Narrow(std::wstring(buffer.data(), n));
        buffer.resize(n);  // n counts the terminating NUL when the buffer was short
    }
}

}  // namespace nubo
