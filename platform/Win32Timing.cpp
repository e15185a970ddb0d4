#include "platform/Win32Timing.h"

#include <windows.h>

namespace gsd {

PerformanceCounterClock::PerformanceCounterClock()
{
    LARGE_INTEGER frequency {};
    if (::QueryPerformanceFrequency(&frequency)) {
        perSecond_ = frequency.QuadPart;
    }
}

std::int64_t PerformanceCounterClock::Ticks() const
{
    LARGE_INTEGER now {};
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void Win32Sleeper::Sleep(int milliseconds)
{
    ::Sleep(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0);
}

} // namespace gsd
