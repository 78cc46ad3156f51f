// The POSIX answers to the System interface. A POSIX desktop answers as an
// NT-family system whose common controls pass the wizard style test;
// NUBOTEST_WIZARD_STYLE=old or new overrides that for tests and screenshots.
#pragma once
#include "platform/System.h"

namespace nubo {

class PosixSystem : public System {
public:
    std::string ProgramPath() override;
    PlatformFamily Family() override { return PlatformFamily::Posix; }
    unsigned MajorVersion() override { return 5; }
    CommonControlsVersion CommonControls() override;
    std::string UserLanguage() override;
    LocalTime Now() override;
    std::string Environment(const std::string& name) override;
};

}  // namespace nubo
