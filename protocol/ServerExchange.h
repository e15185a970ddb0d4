// The one procedure behind every request to the download server: a status
// dialog, one request on a fresh root session, a time-limited read of the
// reply, and after "cannot connect" an offer to try again.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ports/MainWindow.h"
#include "ports/MonotonicClock.h"
#include "ports/Sleeper.h"
#include "ports/StatusDialog.h"
#include "ports/HttpClient.h"
#include "protocol/InternetError.h"

namespace gsd {

// Read chunk and deadline of every reply.
inline constexpr std::size_t ReplyChunkSize = 1024;
inline constexpr std::int32_t ReplyDeadlineMilliseconds = 30000;
// How long the status after a good reply stays up.
inline constexpr int PauseAfterGoodReplyMilliseconds = 500;

// Everything an exchange talks to. The references must outlive the call.
struct ExchangeServices {
    HttpClient& http;
    MainWindow& window;
    ServerDialogs& dialogs;
    InternetErrorTexts& errorTexts;
    const MonotonicClock& clock;
    Sleeper& sleeper;
    // The server's script, requested by every exchange.
    std::string_view url;
    // The "|"-separated information-and-error texts, taken as they are now.
    std::string_view infoAndErrorTexts;
};

// The fields of the information-and-error texts shown as the status line.
struct StatusTextFields {
    int beforeConnecting;
    int whileReading;
    int afterGoodReply;
};

// A reply that arrived in full (or up to the deadline).
struct CompletedReply {
    std::string_view text;
    // The HTTP status code, 0 when the layer could not tell.
    int statusCode;
};

// What an operation makes of a completed reply.
struct ReplyVerdict {
    // The outcome of the operation.
    bool success;
    // Whether the status after a good reply is shown, with its pause.
    bool goodReply;
};

struct ExchangeRequest {
    std::uint32_t openFlags;
    // Sent with the form header on the opened request; none for a bodiless
    // request. Every attempt sends the same body.
    std::optional<std::string_view> body;
    StatusTextFields statusTexts;
    // Judges the reply while the attempt's handles are still open; shows
    // the operation's own messages.
    std::function<ReplyVerdict(const CompletedReply&)> evaluate;
};

struct ExchangeResult {
    // The verdict of the completed attempt; false when none completed.
    bool success = false;
    // Whether an attempt completed; otherwise the user has seen an error.
    bool completed = false;
    // The completed attempt's reply: every chunk read before the deadline,
    // each up to its first NUL byte. Empty when none completed.
    std::string replyText;
    int statusCode = 0;
};

// Runs the exchange: opens the status dialog, runs attempts until one
// completes or fails without a retry, and closes the dialog. A failure of the
// HTTP layer abandons the attempt with ReportInternetError; only "cannot
// connect" followed by OK in the connection dialog runs another attempt,
// on a new root session. Every handle is closed, request before session,
// before the next attempt and before this returns.
ExchangeResult ServerExchange(const ExchangeServices& services, const ExchangeRequest& request);

} // namespace gsd
