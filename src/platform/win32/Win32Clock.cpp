// Millisecond tick counter and sleep of the Windows layer.
#include "platform/win32/Win32Clock.h"

#include <windows.h>

namespace nubo {

std::uint32_t Win32Clock::TickCount() {
    return GetTickCount();
}

void Win32Clock::Sleep(std::uint32_t ms) {
    ::Sleep(ms);
}

}  // namespace nubo
