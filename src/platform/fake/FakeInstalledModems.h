// Installed modems for tests: the model names are a field the test sets.
#pragma once
#include <algorithm>

#include "platform/InstalledModems.h"

namespace nubo {

class FakeInstalledModems : public InstalledModems {
public:
    std::vector<std::string> models;
    int calls = 0;

    std::vector<std::string> Models() override {
        ++calls;
        const auto count = std::min(models.size(), kMaxModems);
        return {models.begin(), models.begin() + static_cast<std::ptrdiff_t>(count)};
    }
};

}  // namespace nubo
