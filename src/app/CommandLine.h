// The command-line grammar of an unattended run: /P: port, /T: telephone
// number, /L: log path, /NODIALTONE. Called once by start-up on the UI thread.
#pragma once
#include <string>

#include "platform/System.h"
#include "run/RunSettings.h"

namespace nubo {

// How a value ends. Windows names hold no "/", so any "/" ends a value there;
// POSIX paths do, so a "/" ends a value only where it begins an option.
enum class ValueRule { AnySlash, OptionSlash };

// Fills the run settings and, when "/L:" is present, opens the log at that path
// (an empty path opens nothing). Returns false when no value option occurs.
bool ParseCommandLine(const std::string& commandLine, RunSettings& settings, System& system,
                      ValueRule rule);

// Collects the value that starts right after an option at `start`.
std::string CollectValue(const std::string& commandLine, std::size_t start, ValueRule rule);

}  // namespace nubo
