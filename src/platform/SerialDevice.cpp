// The reading of an open error that every platform layer shares.
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

}  // namespace nubo
