// Installed modems for tests: the model names are a field the test sets.
#pragma once
#include "platform/InstalledModems.h"

namespace nubo {

class FakeInstalledModems : public InstalledModems {
public:
    std::vector<std::string> models;
    int calls = 0;

    std::vector<std::string> Models() override {
        ++calls;
        return models;
    }
};

}  // namespace nubo
