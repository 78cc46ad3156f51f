// Virtual clock for tests: Sleep advances time at once, so long waits cost
// nothing. Thread-safe; other fakes (the simulated line) advance it too.
#pragma once
#include <atomic>
#include <cstdint>

#include "platform/Clock.h"

namespace nubo {

class FakeClock : public Clock {
public:
    std::uint32_t TickCount() override { return now_.load(); }
    void Sleep(std::uint32_t ms) override {
        now_ += ms;
        slept_ += ms;
    }
    void Advance(std::uint32_t ms) { now_ += ms; }
    // Total time spent in Sleep, to check pauses without counting other waits.
    std::uint64_t Slept() const { return slept_.load(); }

private:
    std::atomic<std::uint32_t> now_{1000};
    std::atomic<std::uint64_t> slept_{0};
};

}  // namespace nubo
