// The Windows registry, read only. Values come back whole, however long: the
// registry walks of the core apply the buffer limits of their own.
#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <vector>

namespace nubo {

namespace {

HKEY AsHkey(Registry::Key key) {
    if (key == Registry::kLocalMachine) return HKEY_LOCAL_MACHINE;
    return reinterpret_cast<HKEY>(key);
}

}  // namespace

Registry::Key Win32Registry::Open(Key parent, const std::string& subKey) {
    if (parent == 0) return 0;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(AsHkey(parent), subKey.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return 0;
    }
    return reinterpret_cast<Key>(opened);
}

bool Win32Registry::EnumValue(Key key, std::uint32_t index, RegValue& value) {
    if (key == 0) return false;
    DWORD maxName = 0;
    DWORD maxData = 0;
    if (RegQueryInfoKeyA(AsHkey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &maxName, &maxData, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    // The sizes may grow between the two calls; ask again with the new ones then.
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<char> name(maxName + 1);
        std::vector<BYTE> data(maxData + 1);
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG r = RegEnumValueA(AsHkey(key), index, name.data(), &nameLength, nullptr, &type,
                                     data.data(), &dataLength);
        if (r == ERROR_MORE_DATA) {
            maxName = maxName * 2 + 64;
            maxData = dataLength > maxData ? dataLength : maxData * 2 + 64;
            continue;
        }
        if (r != ERROR_SUCCESS) return false;
        value.name.assign(name.data(), nameLength);
        value.type = static_cast<RegType>(type);
        value.data.assign(reinterpret_cast<const char*>(data.data()), dataLength);
        return true;
    }
    return false;
}

bool Win32Registry::EnumKey(Key key, std::uint32_t index, std::string& name) {
    if (key == 0) return false;
    char buffer[MAX_PATH + 1];
    if (RegEnumKeyA(AsHkey(key), index, buffer, sizeof buffer) != ERROR_SUCCESS) return false;
    name = buffer;
    return true;
}

bool Win32Registry::QueryValue(Key key, const std::string& name, RegValue& value) {
    if (key == 0) return false;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(AsHkey(key), name.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    std::vector<BYTE> data(size + 1);
    DWORD length = size;
    if (RegQueryValueExA(AsHkey(key), name.c_str(), nullptr, &type, data.data(), &length) !=
        ERROR_SUCCESS) {
        return false;
    }
    value.name = name;
    value.type = static_cast<RegType>(type);
    value.data.assign(reinterpret_cast<const char*>(data.data()), length);
    return true;
}

void Win32Registry::Close(Key key) {
    if (key != 0 && key != kLocalMachine) RegCloseKey(AsHkey(key));
}

}  // namespace nubo
