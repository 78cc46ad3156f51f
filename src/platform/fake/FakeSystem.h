// System for tests: every answer is a field the test sets.
#pragma once
#include <map>
#include <mutex>

#include "platform/System.h"

namespace nubo {

class FakeSystem : public System {
public:
    std::string programPath = "/opt/nubo/nubotest";
    PlatformFamily family = PlatformFamily::Posix;
    unsigned majorVersion = 5;
    CommonControlsVersion commonControls{true, 5, 80};
    std::string language = "en_US.UTF-8";
    LocalTime now{2000, 12, 5, 9, 5, 41};
    std::map<std::string, std::string> environment;

    std::string ProgramPath() override { return programPath; }
    PlatformFamily Family() override { return family; }
    unsigned MajorVersion() override { return majorVersion; }
    CommonControlsVersion CommonControls() override { return commonControls; }
    std::string UserLanguage() override { return language; }
    LocalTime Now() override {
        std::lock_guard lock(mutex_);
        return now;
    }
    std::string Environment(const std::string& name) override {
        auto it = environment.find(name);
        return it == environment.end() ? std::string() : it->second;
    }

private:
    std::mutex mutex_;
};

}  // namespace nubo
