// A window of the program as the platform names it (the value of its
// handle). The core only passes it on, to say which window another one is
// shown over; it never looks inside.
#pragma once

#include <cstdint>

namespace gsd {

enum class WindowHandle : std::uintptr_t { None = 0 };

} // namespace gsd
