// What the program asks of the operating system besides devices: its own path,
// platform family, common-controls version, user language and local time.
// Every method may be called from any thread.
#pragma once
#include <string>

namespace nubo {

enum class PlatformFamily { NT, Win9x, Posix };

struct CommonControlsVersion {
    bool obtained = false;  // false: the library could not be loaded
    unsigned major = 0;
    unsigned minor = 0;
};

struct LocalTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class System {
public:
    virtual ~System() = default;
    // Full path of the running program file.
    virtual std::string ProgramPath() = 0;
    virtual PlatformFamily Family() = 0;
    // Major version of the platform (4 for the 9x family and NT 4).
    virtual unsigned MajorVersion() = 0;
    virtual CommonControlsVersion CommonControls() = 0;
    // The user's language as a locale name ("de_DE.UTF-8", "ru", "C"); empty when none is set.
    virtual std::string UserLanguage() = 0;
    virtual LocalTime Now() = 0;
    // Environment look-up; empty when unset.
    virtual std::string Environment(const std::string& name) = 0;
};

// Path of a data file beside the program: on Windows the last four characters
// of the program path (its ".exe") give way to the extension; a POSIX program
// has no extension, so the extension is appended.
std::string BesideProgram(System& system, const std::string& extension);

// "%H:%M:%S - " and "%d.%m.%Y" without going through the C locale.
std::string FormatTimePrefix(const LocalTime& t);
std::string FormatDate(const LocalTime& t);

}  // namespace nubo
