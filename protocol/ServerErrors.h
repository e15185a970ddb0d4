// Server error codes: a reply of at most three bytes is the server telling
// the program that a request failed, with a decimal code.
#pragma once

#include <string>
#include <string_view>

#include "ports/MainWindow.h"

namespace gsd {

// Returns the fixed English text of a server error code; every code the
// table does not hold (0 and negative numbers included) is "Unknown Error.".
std::string_view ServerErrorText(int code);

// The short-reply rules, which differ per request.
// Host authentication: 0 to 3 bytes, the empty reply included, is a code.
bool IsAuthenticationErrorReply(std::string_view reply);
// Download list: 1 to 3 bytes is a code; the empty reply is an empty list.
bool IsDownloadListErrorReply(std::string_view reply);

// The message box that reports a server error code.
struct ServerErrorReport {
    std::string caption; // "Error Number " and the reply exactly as received
    std::string text; // ServerErrorText of the reply's number, then "  Closing Program."
};

// Returns the report of a short reply; the reply is read as a decimal number.
ServerErrorReport MakeServerErrorReport(std::string_view reply);

// Shows the report of a short reply in a message box owned by the main
// dialog, OK button. The caller then fails its operation.
void ShowServerErrorReport(MainWindow& window, std::string_view reply);

} // namespace gsd
