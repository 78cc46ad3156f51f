// Helpers shared by every platform layer over the System interface.
#include "platform/System.h"

#include <cstdio>

namespace nubo {

std::string BesideProgram(System& system, const std::string& extension) {
    std::string path = system.ProgramPath();
    if (system.Family() != PlatformFamily::Posix) {
        path.erase(path.size() >= 4 ? path.size() - 4 : 0);
    }
    return path + extension;
}

std::string FormatTimePrefix(const LocalTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d - ", t.hour % 100, t.minute % 100,
                  t.second % 100);
    return buf;
}

std::string FormatDate(const LocalTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", t.day % 100, t.month % 100, t.year % 10000);
    return buf;
}

}  // namespace nubo
