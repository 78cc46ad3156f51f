// The one-line wording of a port that could not be opened, shared by every
// platform layer; the log never carries it, stderr and the search page do.
#include "platform/SerialDevice.h"

namespace nubo {

PortFailure Win32OpenFailure(std::uint32_t error) {
    constexpr std::uint32_t kFileNotFound = 2;
    constexpr std::uint32_t kPathNotFound = 3;
    constexpr std::uint32_t kAccessDenied = 5;
    constexpr std::uint32_t kSharingViolation = 32;
    PortFailure failure;
    failure.error = error;
    if (error == kFileNotFound || error == kPathNotFound) {
        failure.kind = PortFailureKind::Missing;
    } else if (error == kAccessDenied || error == kSharingViolation) {
        failure.kind = PortFailureKind::Busy;
    } else {
        failure.kind = PortFailureKind::Other;
    }
    return failure;
}

std::string DescribePortFailure(const std::string& port, const PortFailure& failure) {
    std::string why;
    switch (failure.kind) {
        case PortFailureKind::None:
            why = "opened";
            break;
        case PortFailureKind::Missing:
            why = "no such port";
            break;
        case PortFailureKind::NoPermission:
            why = "no permission to open it";
            if (!failure.group.empty()) why += "; join the group " + failure.group;
            break;
        case PortFailureKind::Busy:
            why = "held by another program";
            if (!failure.holder.empty()) {
                why += ", " + failure.holder;
                if (failure.holderPid > 0)
                    why += " (pid " + std::to_string(failure.holderPid) + ")";
            }
            break;
        case PortFailureKind::Other:
            why = "cannot be opened (error " + std::to_string(failure.error) + ")";
            break;
    }
    return port + ": " + why;
}

}  // namespace nubo
