// What the program says when it has to end unexpectedly: a processor
// exception nobody handled, an error nothing caught, or a start that failed
// at a system call. One line for the support log, and the message for the
// player where one can still be shown.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gsd {

// "exception 0xC0000005 at 0x0000000140001234": the code in eight hex
// digits, the address in as many as a pointer of `bits` has.
std::string ExceptionDetails(std::uint32_t code, std::uint64_t address, int bits);

// "<call> failed, error <code>": the system call a start failed at and the
// error it reported.
std::string FailedCallDetails(std::string_view call, std::uint32_t error);

// "ended unexpectedly: <details>", the details made one line.
std::string UnexpectedEndLogLine(std::string_view details);

// The player's message: that the program must end, why, and where the
// support log is.
std::string UnexpectedEndText(std::string_view details);

} // namespace gsd
