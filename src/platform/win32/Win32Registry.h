// The Windows registry behind the Registry interface, read only. Key handles
// are the platform's HKEYs; any thread may call.
#pragma once
#include "platform/Registry.h"

namespace nubo {

class Win32Registry : public Registry {
public:
    Key Open(Key parent, const std::string& subKey) override;
    bool EnumValue(Key key, std::uint32_t index, RegValue& value) override;
    bool EnumKey(Key key, std::uint32_t index, std::string& name) override;
    bool QueryValue(Key key, const std::string& name, RegValue& value) override;
    void Close(Key key) override;
};

}  // namespace nubo
