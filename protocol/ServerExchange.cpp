#include "protocol/ServerExchange.h"

#include <algorithm>
#include <memory>

#include "protocol/ExchangeSteps.h"
#include "protocol/ProxySignIn.h"
#include "protocol/ReplyLength.h"
#include "protocol/ServerEndpoint.h"
#include "shell/FixedTexts.h"
#include "shell/SupportLogLines.h"

namespace gsd {
namespace {

// What an attempt ended with: an Internet error, a reason to stop, or a
// reply to judge.
struct AttemptEnd {
    StepEnd step;
    ReplyHead head;
};

// Runs an attempt up to a whole reply, or to the first error or reason to
// stop.
AttemptEnd RunAttempt(const ExchangeServices& services, const ExchangeRequest& request, StatusLine& status,
    Attempt& attempt, ReplySink& sink)
{
    AttemptEnd end;
    if (!sink.BeginAttempt()) {
        end.step.stopped = AttemptStop::Receiver;
        return end;
    }
    // What the receiver asked the player before the attempt connects is no
    // time of the exchange.
    attempt.started = services.clock.Ticks();
    attempt.buffer.assign(ReplyChunkSize + 1, '\0');
    ExchangeWatch watch(services, status);
    end.step.error = services.http.OpenSession(ServerUserAgent, attempt.session);
    if (end.step.error == NoInternetError) {
        end.step = SendFollowingRedirects(services, request, attempt, watch);
    }
    if (end.step.error != NoInternetError || end.step.stopped != AttemptStop::None) {
        sink.EndAttempt();
        return end;
    }
    const AnnouncedLength announced = ReadAnnouncedLength(attempt.request->RawHeaders());
    end.head = { attempt.request->StatusCode(), announced.length };
    if (announced.malformed) {
        end.step.stopped = announced.twoWays ? AttemptStop::LengthTwoWays : AttemptStop::MalformedLength;
        sink.EndAttempt();
        return end;
    }
    status.Set(request.statusTexts.whileReading);
    if (!sink.ReplyOpened(end.head)) {
        end.step.stopped = AttemptStop::Receiver;
        sink.EndAttempt();
        return end;
    }
    end.step = ReadReply(request, attempt, watch, sink);
    sink.EndAttempt();
    if (end.step.error == NoInternetError && end.step.stopped == AttemptStop::None && end.head.contentLength
        && end.step.received < *end.head.contentLength) {
        end.step.stopped = AttemptStop::CutOff;
    }
    return end;
}

// Seconds of the attempt until now on the services' clock, without the
// time the player spent in a sign-in; 0 without a clock.
double AttemptSeconds(const MonotonicClock& clock, const Attempt& attempt)
{
    const std::int64_t rate = clock.TicksPerSecond();
    const std::int64_t ticks = clock.Ticks() - attempt.started - attempt.ticksAway;
    return rate > 0 ? static_cast<double>(ticks) / static_cast<double>(rate) : 0.0;
}

// How an attempt ended, in the support log's words.
std::string_view AttemptEnding(const StepEnd& end, const TextReplySink& textSink)
{
    if (end.error != NoInternetError) {
        return "failed";
    }
    switch (end.stopped) {
    case AttemptStop::None:
        return "completed";
    case AttemptStop::Idle:
        return "no data for 30 s";
    case AttemptStop::Cancelled:
        return "cancelled";
    case AttemptStop::CutOff:
        return "reply cut off";
    case AttemptStop::RedirectRefused:
        return "redirect not followed";
    case AttemptStop::MalformedLength:
        return "malformed length";
    case AttemptStop::LengthTwoWays:
        return "length given two ways";
    case AttemptStop::ProxyRefused:
        return "proxy sign-in refused";
    case AttemptStop::Receiver:
        break;
    }
    return textSink.tooLong ? "reply too long" : "given up by the receiver";
}

// The message for an attempt stopped for `end`; empty when the user has
// been told already or is told by the caller.
std::string StopMessage(const ExchangeRequest& request, const AttemptEnd& end, const TextReplySink& textSink)
{
    switch (end.step.stopped) {
    case AttemptStop::Idle:
        return IdleReplyText();
    case AttemptStop::Cancelled:
        return request.quietCancel ? std::string() : CancelledExchangeText();
    case AttemptStop::CutOff:
        if (request.cutOffText && end.head.contentLength) {
            return request.cutOffText(end.step.received, *end.head.contentLength);
        }
        return CutOffReplyText(end.step.received, end.head.contentLength);
    case AttemptStop::RedirectRefused:
        return end.step.refusal;
    case AttemptStop::MalformedLength:
        return MalformedLengthText();
    case AttemptStop::LengthTwoWays:
        return TwoWaysLengthText();
    case AttemptStop::ProxyRefused:
        return std::string(ProxySignInRefusedText);
    case AttemptStop::None:
    case AttemptStop::Receiver:
        break;
    }
    return textSink.tooLong ? TooLongReplyText() : std::string();
}

} // namespace

bool TextReplySink::Accept(std::string_view chunk, std::uint64_t)
{
    // A chunk of the text ends at its first NUL.
    const std::string_view part = chunk.substr(0, std::min(chunk.find('\0'), chunk.size()));
    if (part.size() > MaxTextReplyBytes - text.size()) {
        tooLong = true;
        return false;
    }
    text.append(part);
    return true;
}

ExchangeRequest ServerRequest(
    std::string_view action, std::optional<std::string_view> body, StatusTextFields statusTexts)
{
    ExchangeRequest request;
    request.action = action;
    request.openFlags = body ? BodyRequestOpenFlags : ConnectionCheckOpenFlags;
    request.body = body;
    request.statusTexts = statusTexts;
    return request;
}

std::string TooLongReplyText()
{
    return "The download server's reply is longer than " + std::to_string(MaxTextReplyBytes / (1024 * 1024))
        + " MB, far more than any list it sends.  It was not read further.";
}

std::string IdleReplyText()
{
    return "The server stopped sending: no data arrived from it for " + std::to_string(ReplyDeadlineMilliseconds / 1000)
        + " seconds.";
}

std::string CutOffReplyText(std::uint64_t received, std::optional<std::uint64_t> announced)
{
    if (announced) {
        return "The download server's reply was cut off after " + std::to_string(received) + " of "
            + std::to_string(*announced) + " bytes.  The reply was not used.";
    }
    return "The download server's reply was cut off: it was not complete after "
        + std::to_string(ReplyDeadlineMilliseconds / 1000) + " seconds.  The reply was not used.";
}

std::string CancelledExchangeText()
{
    return "The request to the download server was cancelled.";
}

bool ServerExchange(const ExchangeServices& services, const ExchangeRequest& request)
{
    std::unique_ptr<StatusDialog> ownDialog;
    if (request.statusDialog == nullptr) {
        ownDialog = services.dialogs.OpenStatusDialog();
    }
    StatusLine status(request.statusDialog != nullptr ? request.statusDialog : ownDialog.get(),
        services.infoAndErrorTexts);
    const InternetErrorReporter reporter { services.window, services.dialogs, services.errorTexts,
        services.infoAndErrorTexts };
    TextReplySink textSink;
    ReplySink& sink = request.sink != nullptr ? *request.sink : textSink;
    bool success = false;
    bool retry = true;
    while (retry) {
        status.Show();
        status.Set(request.statusTexts.beforeConnecting);
        retry = false;
        Attempt attempt;
        attempt.started = services.clock.Ticks();
        const AttemptEnd end = RunAttempt(services, request, status, attempt, sink);
        if (services.log != nullptr) {
            services.log->Write(ExchangeLogLine({ request.action, end.head.statusCode, end.step.received,
                AttemptSeconds(services.clock, attempt), end.step.error, AttemptEnding(end.step, textSink) }));
        }
        if (end.step.error != NoInternetError) {
            retry = ReportInternetError(reporter, end.step.error, [&attempt] { attempt.Release(); });
            continue;
        }
        if (end.step.stopped != AttemptStop::None) {
            attempt.Release();
            if (const std::string message = StopMessage(request, end, textSink); !message.empty()) {
                services.window.ShowMessage(message, fixed_text::ErrorCaption, MessageButtons::Ok);
            }
            continue;
        }
        const ReplyVerdict verdict = request.evaluate
            ? request.evaluate({ textSink.text, end.head.statusCode, end.step.received, end.head.contentLength })
            : ReplyVerdict { true, true };
        attempt.Release();
        success = verdict.success;
        if (verdict.goodReply) {
            status.Set(request.statusTexts.afterGoodReply);
            services.sleeper.Sleep(PauseAfterGoodReplyMilliseconds);
        }
    }
    return success;
}

} // namespace gsd
