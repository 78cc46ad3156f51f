// Read-only registry access with Win32 semantics. The Windows layer is the real
// registry; tests use an in-memory registry built from a text fixture; the
// POSIX layer has none. A key handle belongs to the thread that opened it.
#pragma once
#include <cstdint>
#include <string>

namespace nubo {

enum class RegType : std::uint32_t {
    None = 0,
    String = 1,
    ExpandString = 2,
    Binary = 3,
    Dword = 4,
    MultiString = 7
};

struct RegValue {
    std::string name;
    RegType type = RegType::None;
    std::string data;  // raw bytes as stored (strings with their terminating NUL)
};

class Registry {
public:
    using Key = std::intptr_t;                // 0 is no key
    static constexpr Key kLocalMachine = -2;  // HKEY_LOCAL_MACHINE

    virtual ~Registry() = default;
    // Opens parent\subKey; 0 when it does not exist.
    virtual Key Open(Key parent, const std::string& subKey) = 0;
    // Value or sub-key at index; false when index is past the end (or the key is invalid).
    virtual bool EnumValue(Key key, std::uint32_t index, RegValue& value) = 0;
    virtual bool EnumKey(Key key, std::uint32_t index, std::string& name) = 0;
    // Named value ("" is the key's default value); false when missing.
    virtual bool QueryValue(Key key, const std::string& name, RegValue& value) = 0;
    virtual void Close(Key key) = 0;
};

}  // namespace nubo
