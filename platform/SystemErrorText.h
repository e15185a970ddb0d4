// The system's description of an error code, for messages that name the
// cause of a failed system call.
#pragma once

#include <string>

namespace gsd {

// FormatMessageA from the system's message table in the user's default
// language, without the trailing line break; empty when the system has no
// text for `code`.
std::string SystemErrorText(unsigned long code);

} // namespace gsd
