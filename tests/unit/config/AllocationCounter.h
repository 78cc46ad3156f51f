// Counts the bytes that operator new hands out while a window is open, so a
// test can bound the memory an operation needs. One window at a time.
#pragma once
#include <cstddef>

namespace nubo::test {

void StartCountingAllocations();
// Largest number of counted bytes alive at once since the window opened.
std::size_t StopCountingAllocations();

}  // namespace nubo::test
