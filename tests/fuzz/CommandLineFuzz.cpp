// Fuzz target: the command-line grammar under both value rules. A "/L:" path
// the fuzzer makes up is opened only inside the scratch directory the runner
// starts us in, and removed again.
#include <cstdint>
#include <filesystem>
#include <string>

#include "FuzzSupport.h"
#include "app/CommandLine.h"
#include "platform/fake/FakeSystem.h"

namespace {

std::size_t FindOption(const std::string& text, const char* upper, const char* lower) {
    const std::size_t pos = text.find(upper);
    return pos != std::string::npos ? pos : text.find(lower);
}

// Paths that would leave the working directory are not the parser's business
// here; everything else the fuzzer invents is opened for real.
bool LogPathStaysHere(const std::string& path) {
    return path.empty() || (path.front() != '/' && path.find("..") == std::string::npos &&
                            path.find('/') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nubo;
    if (size == 0) return 0;
    const ValueRule rule = (data[0] & 1) ? ValueRule::OptionSlash : ValueRule::AnySlash;
    const std::string line(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::size_t logPos = FindOption(line, "/L:", "/l:");
    std::string logPath;
    if (logPos != std::string::npos) {
        logPath = CollectValue(line, logPos + 3, rule);
        if (!LogPathStaysHere(logPath.c_str())) return 0;
    }

    FakeSystem system;
    RunSettings settings;
    const bool automatic = ParseCommandLine(line, settings, system, rule);
    fuzz::Require(automatic == settings.automaticMode, "automatic mode iff an option was found");
    fuzz::Require(!automatic || !settings.searchAllPorts, "an unattended run searches one port");
    fuzz::Require(settings.port.find(' ') == std::string::npos, "a port name holds no blank");
    fuzz::Require(settings.phoneNumber.find(' ') == std::string::npos, "a number holds no blank");
    fuzz::Require(!settings.log == logPath.empty(), "a log exactly when /L: has a value");
    if (settings.log) {
        settings.Log(line);
        settings.log.reset();
        std::error_code ignored;
        std::filesystem::remove(logPath.c_str(), ignored);
    }
    return 0;
}
