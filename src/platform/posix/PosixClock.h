// Monotonic millisecond clock and sleep of the POSIX layer.
#pragma once
#include "platform/Clock.h"

namespace nubo {

class PosixClock : public Clock {
public:
    std::uint32_t TickCount() override;
    void Sleep(std::uint32_t ms) override;
};

}  // namespace nubo
