// The program's last words when it has to end unexpectedly, in the support
// log and, where one can still be shown, in a message box.
#pragma once

#include <string_view>

namespace gsd {

// Installs the process's last-chance handlers: a processor exception that
// nothing handled, on any thread (SetUnhandledExceptionFilter), and an
// error that reached std::terminate each leave a support-log line with what
// happened (the exception's code and address, or the error's text) and show
// the player a message box (none after a stack overflow, which leaves no
// room for one); then the process ends as it would have.
void ReportUnexpectedEnds();

// The line and the message box for `details` (shell/UnexpectedEnd.h), for a
// start that failed at a system call or an error that nothing caught.
void ReportUnexpectedEnd(std::string_view details);

} // namespace gsd
