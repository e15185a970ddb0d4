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
#include "ports/MessagePump.h"
#include "ports/SupportLog.h"
#include "protocol/InternetError.h"

namespace gsd {

class ProxySignInMemory;

// Read chunk and deadline of every reply.
inline constexpr std::size_t ReplyChunkSize = 1024;
inline constexpr std::int32_t ReplyDeadlineMilliseconds = 30000;
// How long the status after a good reply stays up.
inline constexpr int PauseAfterGoodReplyMilliseconds = 500;
// How often pending window messages are handled while bytes flow.
inline constexpr std::int32_t MessageIntervalMilliseconds = 50;

// Everything an exchange talks to. The references must outlive the call.
struct ExchangeServices {
    HttpClient& http;
    MainWindow& window;
    ServerDialogs& dialogs;
    InternetErrorTexts& errorTexts;
    const MonotonicClock& clock;
    Sleeper& sleeper;
    MessagePump& pump;
    // The server's script, requested by every exchange.
    std::string_view url;
    // The "|"-separated information-and-error texts, taken as they are now.
    std::string_view infoAndErrorTexts;
    // Where each attempt is logged; null: nowhere.
    SupportLog* log = nullptr;
    // Hosts besides the server's own that a redirect may lead to: "host" or
    // "host:port", separated by commas (the DOWNLOAD_REDIRECT_HOSTS build
    // setting).
    std::string_view redirectHosts = {};
    // The proxy sign-in kept for the run, given to every request; null:
    // every request asks anew.
    ProxySignInMemory* proxySignIns = nullptr;
    // What the proxy's sign-in is shown over when the exchange has no
    // status dialog.
    WindowHandle mainDialog = WindowHandle::None;
};

// The fields of the information-and-error texts shown as the status line;
// a negative field leaves the line as it is.
struct StatusTextFields {
    int beforeConnecting;
    int whileReading;
    int afterGoodReply;
};

// What the reply's header says, once the reply stream is open.
struct ReplyHead {
    // The HTTP status code, 0 when the layer could not tell.
    int statusCode = 0;
    // The announced length; nullopt when the reply sends none.
    std::optional<std::uint64_t> contentLength;
};

// Where a reply's bytes go as they arrive. The exchange collects text itself
// when it is given no sink.
class ReplySink {
public:
    virtual ~ReplySink() = default;

    // Before an attempt connects. False ends the attempt without a retry;
    // the sink has told the user why.
    virtual bool BeginAttempt() { return true; }

    // The reply stream is open; before the first read. False ends the
    // attempt without reading and without a retry; the sink has told the
    // user why.
    virtual bool ReplyOpened(const ReplyHead&) { return true; }

    // One chunk as read: binary, NULs included, handed on before the next
    // read. `total` counts this attempt's bytes, this chunk included. False
    // stops the reading and fails the attempt; the sink has told the user.
    virtual bool Accept(std::string_view chunk, std::uint64_t total) = 0;

    // After the attempt's last read, however it ended.
    virtual void EndAttempt() { }
};

// The longest text reply read: far above any real download list, and a
// bound on what a hostile server can make the program hold.
inline constexpr std::size_t MaxTextReplyBytes = 16 * 1024 * 1024;

// The text of a reply: each chunk up to its first NUL byte, at most
// MaxTextReplyBytes of it.
class TextReplySink final : public ReplySink {
public:
    bool BeginAttempt() override
    {
        text.clear();
        tooLong = false;
        return true;
    }
    // False, with `tooLong` set, when the text would grow past
    // MaxTextReplyBytes.
    bool Accept(std::string_view chunk, std::uint64_t total) override;

    std::string text;
    bool tooLong = false;
};

// How long a reply may take. Under either, the attempt fails when no byte
// has arrived for 30 s, however the read is blocked: a server that sends
// its header and then nothing cannot hold the program.
enum class ReadLimit {
    // Besides, the whole reply must have arrived 30 s after the first read
    // began; one that has not is cut off and fails the attempt.
    WholeReply,
    // No other limit: a reply may take as long as its bytes keep flowing.
    Idle,
};

// A reply that arrived whole.
struct CompletedReply {
    // The collected text; empty when the request has a sink of its own.
    std::string_view text;
    // The HTTP status code, 0 when the layer could not tell.
    int statusCode;
    // Bytes received in the attempt, and the announced length.
    std::uint64_t received = 0;
    std::optional<std::uint64_t> contentLength;
};

// What an operation makes of a completed reply.
struct ReplyVerdict {
    // The outcome of the operation.
    bool success;
    // Whether the status after a good reply is shown, with its pause.
    bool goodReply;
};

struct ExchangeRequest {
    // The request's action as the support log names it.
    std::string_view action;
    std::uint32_t openFlags = 0;
    // Sent with the form header on the opened request; none for a bodiless
    // request. Every attempt sends the same body.
    std::optional<std::string_view> body;
    StatusTextFields statusTexts {};
    // Judges the reply while the attempt's handles are still open; shows
    // the operation's own messages.
    std::function<ReplyVerdict(const CompletedReply&)> evaluate;
    // Where the bytes go; null: the exchange collects the reply's text.
    ReplySink* sink = nullptr;
    ReadLimit limit = ReadLimit::WholeReply;
    // A status dialog the caller owns and keeps after the exchange; null:
    // the exchange opens and closes its own.
    StatusDialog* statusDialog = nullptr;
    // Whether the status dialog's Cancel fails the attempt without a
    // message (the caller reports it); otherwise the exchange says that it
    // was cancelled.
    bool quietCancel = false;
    // The message for a reply that ended before its announced length, from
    // the bytes received and announced; null: CutOffReplyText.
    std::function<std::string(std::uint64_t, std::uint64_t)> cutOffText;
};

// A request to the server's script as every operation starts it: with a
// body the flags of a body request, without one those of the connection
// check.
ExchangeRequest ServerRequest(
    std::string_view action, std::optional<std::string_view> body, StatusTextFields statusTexts);

// Shown when no byte of a reply arrived for 30 s.
std::string IdleReplyText();

// Shown when a text reply is longer than MaxTextReplyBytes.
std::string TooLongReplyText();

// Shown when a reply ended after `received` of `announced` bytes; with no
// announced length, when it was not whole within the reply limit.
std::string CutOffReplyText(std::uint64_t received, std::optional<std::uint64_t> announced);

// Shown when the user cancelled an exchange whose caller does not report it.
std::string CancelledExchangeText();

// Runs the exchange: opens the status dialog (unless the caller gave one),
// runs attempts until one completes or fails without a retry, and closes the
// dialog; returns the verdict of the completed attempt, false when none
// completed. A failure of the HTTP layer abandons the attempt with
// ReportInternetError; only "cannot connect" followed by OK in the
// connection dialog runs another attempt, on a new root session. No
// progress for 30 s from opening the address to the reply's header fails
// like the layer's time-out. A redirect is followed within the attempt (the
// same flags and body, up to MaxRedirectsFollowed times) only to an HTTPS
// address of the server or of a host in `redirectHosts`, and logged; it is
// never requested anywhere else. A reply that is cut off, that announces a
// malformed length or (as text) is longer than MaxTextReplyBytes, reading
// past the idle limit and a redirect not followed are reported ("Error!")
// and fail the attempt; a Cancel fails it; none is retried. A proxy that
// asks for a password gets the run's kept sign-in, or the player is asked
// (SignInToProxy); a sign-in refused or cancelled fails the attempt with a
// message. The logged time of an attempt runs from connecting and leaves out
// the time the player spent in a sign-in. While the server is awaited, and
// now and then while bytes flow, pending window messages are handled. Every handle is closed, request before session,
// before the next attempt and before this returns.
bool ServerExchange(const ExchangeServices& services, const ExchangeRequest& request);

} // namespace gsd
