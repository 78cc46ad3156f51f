// The POSIX answers to the System interface.
#include "platform/posix/PosixSystem.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <vector>

namespace nubo {

PosixSystem::PosixSystem() {
    signal(SIGXFSZ, SIG_IGN);
}

std::string PosixSystem::ProgramPath() {
    std::vector<char> buf(4096);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return "nubotest";
        if (static_cast<std::size_t>(n) < buf.size()) return std::string(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

CommonControlsVersion PosixSystem::CommonControls() {
    const std::string style = Environment("NUBOTEST_WIZARD_STYLE");
    if (style == "old") return {true, 4, 70};
    return {true, 5, 80};
}

std::string PosixSystem::UserLanguage() {
    // The C library's order: LC_ALL wins over LC_MESSAGES, which wins over LANG.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        std::string value = Environment(name);
        if (!value.empty()) return value;
    }
    return {};
}

LocalTime PosixSystem::Now() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string PosixSystem::Environment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

}  // namespace nubo
