// The POSIX answers to the System interface. A POSIX desktop answers as an
// NT-family system whose common controls pass the wizard style test;
// NUBOTEST_WIZARD_STYLE=old or new overrides that for tests and screenshots.
#pragma once
#include "platform/System.h"

namespace nubo {

class PosixSystem : public System {
public:
    // A log that reaches the file-size limit must fail its writes, not end
    // the run: the limit's signal is ignored from here on.
    PosixSystem();
    std::string ProgramPath() override;
    PlatformFamily Family() override { return PlatformFamily::Posix; }
    unsigned MajorVersion() override { return 5; }
    CommonControlsVersion CommonControls() override;
    std::string UserLanguage() override;
    LocalTime Now() override;
    std::string Environment(const std::string& name) override;
};

}  // namespace nubo
