// Counts the bytes that operator new hands out while a window is open, so a
// test can bound the memory an operation needs. Not thread-aware beyond
// atomic counters; open one window at a time.
#pragma once
#include <cstddef>

namespace nubo::test {

void StartCountingAllocations();
// Largest number of counted bytes alive at once since the window opened.
std::size_t StopCountingAllocations();

}  // namespace nubo::test
