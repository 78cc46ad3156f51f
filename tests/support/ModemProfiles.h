// Emulated modems for tests: a profile built from emulator settings, each
// setting checked so that a misspelt key fails the test instead of being ignored.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "modemsim/ModemProfile.h"

namespace nubo::testing {

using ModemSettings = std::vector<std::pair<std::string, std::string>>;

inline modemsim::ModemProfile Profile(const ModemSettings& settings) {
    modemsim::ModemProfile profile;
    for (const auto& [key, value] : settings) {
        std::string error;
        EXPECT_TRUE(modemsim::ApplySetting(profile, key, value, error)) << error;
    }
    return profile;
}

}  // namespace nubo::testing
