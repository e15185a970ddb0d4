// A window handle as the core passes it on, and back.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ports/WindowHandle.h"

namespace gsd {

inline WindowHandle ToWindowHandle(HWND window)
{
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

inline HWND ToHwnd(WindowHandle window)
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

} // namespace gsd
