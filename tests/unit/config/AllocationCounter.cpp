// Replaces the plain operator new and delete of this test program; the C++
// library routes its array, sized and nothrow forms through these two.
#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

struct alignas(std::max_align_t) Header {
    std::size_t size;
    bool counted;
};

std::atomic<bool> gCounting{false};
std::atomic<std::size_t> gCurrent{0};
std::atomic<std::size_t> gPeak{0};

}  // namespace

void* operator new(std::size_t size) {
    auto* h = static_cast<Header*>(std::malloc(sizeof(Header) + size));
    if (!h) throw std::bad_alloc();
    h->size = size;
    h->counted = gCounting.load();
    if (h->counted) {
        const std::size_t now = gCurrent += size;
        std::size_t peak = gPeak.load();
        while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
        }
    }
    return h + 1;
}

void operator delete(void* p) noexcept {
    if (!p) return;
    auto* h = static_cast<Header*>(p) - 1;
    if (h->counted) gCurrent -= h->size;
    std::free(h);
}

void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace nubo::test {

void StartCountingAllocations() {
    gCurrent = 0;
    gPeak = 0;
    gCounting = true;
}

std::size_t StopCountingAllocations() {
    gCounting = false;
    return gPeak.load();
}

}  // namespace nubo::test
