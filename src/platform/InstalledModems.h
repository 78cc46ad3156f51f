// The modems installed in the operating system as telephony modems: their model
// names, in the platform's order. Each call asks the platform anew.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace nubo {

class InstalledModems {
public:
    // The registration check looks at no more than this many installed modems.
    static constexpr std::size_t kMaxModems = 10;

    virtual ~InstalledModems() = default;
    // Model names of the first kMaxModems installed modems; a modem whose model
    // cannot be read gives an empty name. Empty when there are none, or when the
    // platform cannot be asked.
    virtual std::vector<std::string> Models() = 0;
};

}  // namespace nubo
