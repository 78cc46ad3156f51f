// Millisecond tick counter and sleep of the Windows layer (GetTickCount, Sleep).
#pragma once
#include "platform/Clock.h"

namespace nubo {

class Win32Clock : public Clock {
public:
    std::uint32_t TickCount() override;
    void Sleep(std::uint32_t ms) override;
};

}  // namespace nubo
