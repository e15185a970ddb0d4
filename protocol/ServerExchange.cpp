#include "protocol/ServerExchange.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "protocol/FieldList.h"
#include "protocol/ProxySignIn.h"
#include "protocol/SecureRedirect.h"
#include "protocol/ServerEndpoint.h"
#include "shell/FixedTexts.h"
#include "shell/DeadlineTimer.h"
#include "shell/SupportLogLines.h"

namespace gsd {
namespace {

// What one attempt holds open; released in this order: read buffer, request,
// root session.
struct Attempt {
    std::unique_ptr<HttpSession> session;
    std::unique_ptr<HttpRequest> request;
    std::vector<char> buffer;

    void Release()
    {
        buffer = std::vector<char>();
        request.reset();
        session.reset();
    }
};

class StatusLine {
public:
    StatusLine(StatusDialog* dialog, std::string_view texts)
        : dialog_(dialog)
        , texts_(texts)
    {
    }

    void Show()
    {
        if (dialog_ != nullptr) {
            dialog_->Show();
        }
    }

    // A negative field leaves the line to the request's sink.
    void Set(int field)
    {
        if (dialog_ != nullptr && field >= 0) {
            dialog_->SetStatusLine(GetField(texts_, field, FieldSeparator));
        }
    }

    [[nodiscard]] bool CancelRequested() const { return dialog_ != nullptr && dialog_->CancelRequested(); }

private:
    StatusDialog* dialog_;
    std::string_view texts_;
};

// Keeps the windows answering while a reply is read, and decides when
// waiting for the server has gone on long enough.
class ReplyWatch final : public ReadWaiter {
public:
    ReplyWatch(const ExchangeServices& services, const ExchangeRequest& request, const StatusLine& status)
        : services_(services)
        , request_(request)
        , status_(status)
        , idle_(services.clock)
        , messages_(services.clock)
    {
    }

    void Start()
    {
        idle_.Set(ReplyDeadlineMilliseconds);
        messages_.Set(MessageIntervalMilliseconds);
        dataSinceWait_ = false;
    }

    bool KeepWaiting() override
    {
        // The idle time counts from the first wait after the last byte,
        // which keeps the clock out of the per-chunk path.
        if (dataSinceWait_) {
            idle_.Set(ReplyDeadlineMilliseconds);
            dataSinceWait_ = false;
        }
        services_.pump.HandlePendingMessages();
        messages_.Set(MessageIntervalMilliseconds);
        if (request_.cancellable && status_.CancelRequested()) {
            stopped_ = ReadStop::Cancelled;
            return false;
        }
        if (idle_.Expired()) {
            stopped_ = ReadStop::Idle;
            return false;
        }
        return true;
    }

    // After a chunk has arrived: the windows get their messages now and
    // then. False when the user has cancelled meanwhile.
    bool ChunkArrived()
    {
        dataSinceWait_ = true;
        if (messages_.Expired()) {
            services_.pump.HandlePendingMessages();
            messages_.Set(MessageIntervalMilliseconds);
        }
        if (request_.cancellable && status_.CancelRequested()) {
            stopped_ = ReadStop::Cancelled;
            return false;
        }
        return true;
    }

    [[nodiscard]] ReadStop stopped() const { return stopped_; }

private:
    const ExchangeServices& services_;
    const ExchangeRequest& request_;
    const StatusLine& status_;
    DeadlineTimer idle_;
    DeadlineTimer messages_;
    bool dataSinceWait_ = false;
    ReadStop stopped_ = ReadStop::None;
};

// How a read of the reply ended.
struct ReadEnd {
    InternetError error = NoInternetError;
    // A sink refused a chunk, or the watch gave up.
    bool abandoned = false;
    std::uint64_t received = 0;
};

// Reads the reply into the sink until the end, the limit, an error or a
// refusal. Under the whole-reply limit a chunk read at or after the
// deadline is dropped and the reply is taken as complete.
ReadEnd ReadReply(const ExchangeServices& services, const ExchangeRequest& request, Attempt& attempt,
    ReplyWatch& watch, ReplySink& sink)
{
    DeadlineTimer wholeReply(services.clock);
    wholeReply.Set(ReplyDeadlineMilliseconds);
    watch.Start();
    ReadEnd end;
    for (;;) {
        std::size_t received = 0;
        end.error = attempt.request->Read(attempt.buffer.data(), ReplyChunkSize, received, watch);
        if (end.error == ReadGivenUp) {
            end.error = NoInternetError;
            end.abandoned = true;
            return end;
        }
        if (end.error != NoInternetError || received == 0) {
            return end;
        }
        if (request.limit == ReadLimit::WholeReply && wholeReply.Expired()) {
            return end;
        }
        received = std::min(received, ReplyChunkSize);
        end.received += received;
        if (!sink.Accept(std::string_view(attempt.buffer.data(), received), end.received) || !watch.ChunkArrived()) {
            end.abandoned = true;
            return end;
        }
    }
}

// What a completed attempt read.
struct AttemptEnd {
    InternetError error = NoInternetError;
    // The attempt ended without a reply to judge and without a retry.
    bool abandoned = false;
    ReadStop stopped = ReadStop::None;
    // Why a redirect was not followed; the attempt is abandoned.
    std::string redirectRefused;
    ReplyHead head;
    std::uint64_t received = 0;
};

// Opens `url` on the attempt's session and sends the request's body, signed
// in to a proxy that asks for it; `refused` is set when it stays refused.
InternetError SendRequest(const ExchangeRequest& request, Attempt& attempt, std::string_view url, std::string& refused)
{
    attempt.request.reset();
    InternetError error = attempt.session->OpenUrl(url, request.openFlags, attempt.request);
    if (error == NoInternetError && request.body) {
        error = attempt.request->Send(FormBodyHeader, *request.body);
    }
    bool proxyRefused = false;
    if (error == NoInternetError) {
        error = SignInToProxy(*attempt.request, request.body ? FormBodyHeader : std::string_view(),
            request.body.value_or(std::string_view()), proxyRefused);
    }
    if (proxyRefused) {
        refused = ProxySignInRefusedText;
    }
    return error;
}

// Sends the request, and again wherever the server redirects it as long as
// that is an HTTPS address. Sets `refused` to the message when a redirect
// is not followed.
InternetError SendFollowingSecureRedirects(
    const ExchangeServices& services, const ExchangeRequest& request, Attempt& attempt, std::string& refused)
{
    std::string url(services.url);
    InternetError error = SendRequest(request, attempt, url, refused);
    for (int followed = 0; error == NoInternetError && refused.empty() && IsRedirectStatus(attempt.request->StatusCode()); ++followed) {
        const std::string location = attempt.request->RedirectLocation();
        std::optional<std::string> target = SecureRedirectTarget(url, location);
        if (!target) {
            refused = InsecureRedirectText(location);
            return NoInternetError;
        }
        if (followed == MaxRedirectsFollowed) {
            refused = TooManyRedirectsText();
            return NoInternetError;
        }
        url = std::move(*target);
        error = SendRequest(request, attempt, url, refused);
    }
    return error;
}

// Runs an attempt up to a read reply: the first error of the layer, or a
// reply to judge.
AttemptEnd RunAttempt(const ExchangeServices& services, const ExchangeRequest& request, StatusLine& status,
    Attempt& attempt, ReplySink& sink)
{
    AttemptEnd end;
    if (!sink.BeginAttempt()) {
        end.abandoned = true;
        return end;
    }
    attempt.buffer.assign(ReplyChunkSize + 1, '\0');
    end.error = services.http.OpenSession(ServerUserAgent, attempt.session);
    if (end.error == NoInternetError) {
        end.error = SendFollowingSecureRedirects(services, request, attempt, end.redirectRefused);
    }
    if (end.error != NoInternetError || !end.redirectRefused.empty()) {
        end.abandoned = !end.redirectRefused.empty();
        sink.EndAttempt();
        return end;
    }
    end.head = { attempt.request->StatusCode(), attempt.request->ContentLength() };
    status.Set(request.statusTexts.whileReading);
    if (!sink.ReplyOpened(end.head)) {
        end.abandoned = true;
        sink.EndAttempt();
        return end;
    }
    ReplyWatch watch(services, request, status);
    const ReadEnd read = ReadReply(services, request, attempt, watch, sink);
    sink.EndAttempt();
    end.error = read.error;
    end.abandoned = read.abandoned;
    end.received = read.received;
    end.stopped = watch.stopped();
    return end;
}

// Seconds from `start` to now on the services' clock; 0 without a clock.
double SecondsSince(const MonotonicClock& clock, std::int64_t start)
{
    const std::int64_t rate = clock.TicksPerSecond();
    return rate > 0 ? static_cast<double>(clock.Ticks() - start) / static_cast<double>(rate) : 0.0;
}

// How an attempt ended, in the support log's words.
std::string_view AttemptEnding(const AttemptEnd& end, const TextReplySink& textSink)
{
    if (end.error != NoInternetError) {
        return "failed";
    }
    if (!end.abandoned) {
        return "completed";
    }
    if (end.stopped == ReadStop::Idle) {
        return "no data for 30 s";
    }
    if (end.stopped == ReadStop::Cancelled) {
        return "cancelled";
    }
    if (end.redirectRefused == ProxySignInRefusedText) {
        return "proxy sign-in refused";
    }
    if (!end.redirectRefused.empty()) {
        return "redirect not followed";
    }
    if (textSink.tooLong) {
        return "reply too long";
    }
    return "given up by the receiver";
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

ExchangeResult ServerExchange(const ExchangeServices& services, const ExchangeRequest& request)
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
    ExchangeResult result;
    bool retry = true;
    while (retry) {
        status.Show();
        status.Set(request.statusTexts.beforeConnecting);
        retry = false;
        Attempt attempt;
        const std::int64_t started = services.clock.Ticks();
        const AttemptEnd end = RunAttempt(services, request, status, attempt, sink);
        if (services.log != nullptr) {
            services.log->Write(ExchangeLogLine({ request.action, end.head.statusCode, end.received,
                SecondsSince(services.clock, started), end.error, AttemptEnding(end, textSink) }));
        }
        if (end.error != NoInternetError) {
            retry = ReportInternetError(reporter, end.error, [&attempt] { attempt.Release(); });
            continue;
        }
        if (end.abandoned) {
            attempt.Release();
            result.stopped = end.stopped;
            if (end.stopped == ReadStop::Idle) {
                services.window.ShowMessage(IdleReplyText(), fixed_text::ErrorCaption, MessageButtons::Ok);
            } else if (!end.redirectRefused.empty()) {
                services.window.ShowMessage(end.redirectRefused, fixed_text::ErrorCaption, MessageButtons::Ok);
            } else if (textSink.tooLong) {
                services.window.ShowMessage(TooLongReplyText(), fixed_text::ErrorCaption, MessageButtons::Ok);
            }
            continue;
        }
        result.completed = true;
        result.replyText = std::move(textSink.text);
        result.statusCode = end.head.statusCode;
        const ReplyVerdict verdict = request.evaluate
            ? request.evaluate({ result.replyText, result.statusCode, end.received, end.head.contentLength })
            : ReplyVerdict { true, true };
        attempt.Release();
        result.success = verdict.success;
        if (verdict.goodReply) {
            status.Set(request.statusTexts.afterGoodReply);
            services.sleeper.Sleep(PauseAfterGoodReplyMilliseconds);
        }
    }
    return result;
}

} // namespace gsd
