// Millisecond tick counter and sleep. Injected wherever time matters so that
// tests run in virtual time. Every method may be called from any thread.
#pragma once
#include <cstdint>

namespace nubo {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; wraps like the platform's 32-bit counter.
    virtual std::uint32_t TickCount() = 0;
    virtual void Sleep(std::uint32_t ms) = 0;
};

}  // namespace nubo
