// The exit codes of a run in one table: the run report's meaning, the usage
// text and the documentation's tables (a test holds README and man page to it)
// all read it, so a code and its words are written down once.
#pragma once
#include <cstdint>
#include <string_view>

namespace nubo {

struct ExitCodeInfo {
    std::int32_t value;
    std::string_view name;
    std::string_view meaning;
    bool testBit;  // OR-ed on top of 0 by a failed test
};

inline constexpr ExitCodeInfo kExitCodes[] = {
    {0, "passed", "every test passed", false},
    {1, "found", "modem found and described, no test ran", false},
    {-2, "no-modem", "no modem detected", false},
    {-3, "not-described", "modem not described in the modem description file", false},
    {-4, "no-option", "no option on the command line", false},
    {-5, "cancelled", "cancelled", false},
    {0x01, "tapi", "registration with the operating system failed", true},
    {0x02, "ram", "memory test failed", true},
    {0x04, "crc", "firmware checksum failed", true},
    {0x08, "dial", "test call failed", true},
    // Callers rely on this value: the diagnostic failure sets 0x10, 0x04 and 0x02.
    {0x16, "diag", "diagnostic command failed", true},
};

// The plain code's entry (test bits excluded), or null.
constexpr const ExitCodeInfo* FindExitCode(std::int32_t value) {
    for (const ExitCodeInfo& code : kExitCodes) {
        if (!code.testBit && code.value == value) return &code;
    }
    return nullptr;
}

namespace exitcode {
constexpr std::int32_t kPassed = 0;
constexpr std::int32_t kFound = 1;
constexpr std::int32_t kNoModem = -2;
constexpr std::int32_t kNotDescribed = -3;
constexpr std::int32_t kNoOption = -4;
constexpr std::int32_t kCancelled = -5;
constexpr std::int32_t kTapiFailed = 0x01;
constexpr std::int32_t kRamFailed = 0x02;
constexpr std::int32_t kCrcFailed = 0x04;
constexpr std::int32_t kDialFailed = 0x08;
constexpr std::int32_t kDiagFailed = 0x16;
}  // namespace exitcode

}  // namespace nubo
