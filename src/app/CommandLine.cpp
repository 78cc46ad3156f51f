// The command-line grammar of an unattended run.
#include "app/CommandLine.h"

#include <array>

namespace nubo {
namespace {

constexpr std::array<const char*, 8> kOptions = {
    "/P:", "/p:", "/T:", "/t:", "/L:", "/l:", "/NODIALTONE", "/nodialtone"};

bool BeginsOption(const std::string& text, std::size_t pos) {
    for (const char* option : kOptions) {
        if (text.compare(pos, std::char_traits<char>::length(option), option) == 0) return true;
    }
    return false;
}

// First occurrence of the upper-case form, else of the lower-case form.
std::size_t FindOption(const std::string& text, const char* upper, const char* lower) {
    std::size_t pos = text.find(upper);
    return pos != std::string::npos ? pos : text.find(lower);
}

}  // namespace

std::string CollectValue(const std::string& commandLine, std::size_t start, ValueRule rule) {
    std::string value;
    for (std::size_t i = start; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (c == ' ') break;
        if (c == '/' && (rule == ValueRule::AnySlash || BeginsOption(commandLine, i))) break;
        value += c;
    }
    return value;
}

bool ParseCommandLine(const std::string& commandLine, RunSettings& settings, System& system,
                      ValueRule rule) {
    const std::size_t portPos = FindOption(commandLine, "/P:", "/p:");
    const std::size_t phonePos = FindOption(commandLine, "/T:", "/t:");
    const std::size_t logPos = FindOption(commandLine, "/L:", "/l:");
    if (portPos == std::string::npos && phonePos == std::string::npos &&
        logPos == std::string::npos) {
        return false;
    }
    if (portPos != std::string::npos) settings.port += CollectValue(commandLine, portPos + 3, rule);
    if (phonePos != std::string::npos) {
        settings.phoneNumber += CollectValue(commandLine, phonePos + 3, rule);
    }
    if (logPos != std::string::npos) {
        const std::string path = CollectValue(commandLine, logPos + 3, rule);
        if (!path.empty()) settings.log = std::make_unique<CLogFile>(system, path);
    }
    if (commandLine.find("/NODIALTONE") != std::string::npos ||
        commandLine.find("/nodialtone") != std::string::npos) {
        settings.noDialTone = true;
    }
    settings.automaticMode = true;
    settings.searchAllPorts = false;
    return true;
}

}  // namespace nubo
