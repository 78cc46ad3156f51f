// System for tests: every answer a test varies is a field it sets; the
// language and the clock (09:05:41 on 5 December 2000) are fixed.
#pragma once
#include <map>

#include "platform/System.h"

namespace nubo {

class FakeSystem : public System {
public:
    std::string programPath = "/opt/nubo/nubotest";
    PlatformFamily family = PlatformFamily::Posix;
    unsigned majorVersion = 5;
    CommonControlsVersion commonControls{true, 5, 80};
    std::map<std::string, std::string> environment;

    std::string ProgramPath() override { return programPath; }
    PlatformFamily Family() override { return family; }
    unsigned MajorVersion() override { return majorVersion; }
    CommonControlsVersion CommonControls() override { return commonControls; }
    std::string UserLanguage() override { return "en_US.UTF-8"; }
    LocalTime Now() override { return {2000, 12, 5, 9, 5, 41}; }
    std::string Environment(const std::string& name) override {
        auto it = environment.find(name);
        return it == environment.end() ? std::string() : it->second;
    }
};

}  // namespace nubo
