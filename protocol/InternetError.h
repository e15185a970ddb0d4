// Reporting a failure of the HTTP layer: a message box with the platform's
// description of the error code, and after "cannot connect" the offer to try
// again.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "ports/MainWindow.h"
#include "ports/StatusDialog.h"
#include "ports/HttpClient.h"
#include "ports/InternetErrorTexts.h"

namespace gsd {

// The server address could not be reached; the only error that brings the
// offer to try again.
inline constexpr InternetError InternetCannotConnect = 12029;
// The server did not answer in time.
inline constexpr InternetError InternetTimeout = 12002;
// The server sent an extended error text instead of a plain code.
inline constexpr InternetError InternetExtendedError = 12003;

// Longest description shown, in bytes.
inline constexpr std::size_t InternetErrorDescriptionLimit = 255;

// Returns the description of `code`, cut to 255 bytes: for the extended
// error the server's text, otherwise the layer's message text or, when it
// has none, the system's. Empty when there is none.
std::string DescribeInternetError(InternetErrorTexts& texts, InternetError code);

// Returns the text of the error box: the description, or "Error Code:" and
// the code in decimal when there is none.
std::string InternetErrorMessage(InternetErrorTexts& texts, InternetError code);

// What reporting an error needs.
struct InternetErrorReporter {
    MainWindow& window;
    ServerDialogs& dialogs;
    InternetErrorTexts& errorTexts;
    // The "|"-separated information-and-error texts: field 0 is the
    // connection dialog's text, 1 and 2 its button texts.
    std::string_view infoAndErrorTexts;
};

// Shows the error box (caption "Error!", owned by the main dialog), then
// runs `releaseAttempt` so the failed attempt's handles are closed before
// the user is asked anything more, then, for InternetCannotConnect only,
// offers the connection dialog. Returns true when the user asked to try
// again.
bool ReportInternetError(
    const InternetErrorReporter& reporter, InternetError code, const std::function<void()>& releaseAttempt);

} // namespace gsd
