// The Windows answers to the System interface: program path, GetVersion,
// comctl32's DllGetVersion, the user's UI language, local time, environment.
// Paths and values come as UTF-8, through the wide calls. Any thread.
#pragma once
#include "platform/System.h"

namespace nubo {

class Win32System : public System {
public:
    std::string ProgramPath() override;
    // From GetVersion: the highest bit set is the 9x family.
    PlatformFamily Family() override;
    unsigned MajorVersion() override;
    // DllGetVersion of comctl32.dll; 4.0 when it has none or the call fails.
    CommonControlsVersion CommonControls() override;
    // GetUserDefaultUILanguage as a locale name ("de_DE", "pt_PT", "en_US").
    std::string UserLanguage() override;
    LocalTime Now() override;
    std::string Environment(const std::string& name) override;
};

// A Windows language id (LANGID) as a locale name that texts::LanguageForLocale
// understands; empty for a language it does not know.
std::string LocaleForLanguageId(unsigned langId);

}  // namespace nubo
