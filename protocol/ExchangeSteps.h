// The steps of one attempt of a server exchange, shared by its parts: the
// status line, the watch over every wait for the server, sending (with the
// redirects followed) and reading the reply. Not part of the exchange's interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/ServerExchange.h"
#include "shell/DeadlineTimer.h"

namespace gsd {

// What one attempt holds open; released in this order: read buffer, request,
// root session.
struct Attempt {
    std::unique_ptr<HttpSession> session;
    std::unique_ptr<HttpRequest> request;
    std::vector<char> buffer;
    // When the attempt began to connect, and the clock's ticks since then
    // that the player spent in a sign-in: neither is time of the exchange.
    std::int64_t started = 0;
    std::int64_t ticksAway = 0;

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
    void Set(int field);

    [[nodiscard]] bool CancelRequested() const { return dialog_ != nullptr && dialog_->CancelRequested(); }

    // The dialog's window; `otherwise` when there is no dialog.
    [[nodiscard]] WindowHandle Window(WindowHandle otherwise) const
    {
        return dialog_ != nullptr ? dialog_->Window() : otherwise;
    }

private:
    StatusDialog* dialog_;
    std::string_view texts_;
};

// Why an attempt ended without a reply to judge, besides an Internet error.
enum class AttemptStop {
    None,
    // The sink refused to go on; it has told the user why.
    Receiver,
    // No byte of the reply for 30 s.
    Idle,
    Cancelled,
    // The reply ended before its announced length, or did not arrive whole
    // within the reply limit.
    CutOff,
    RedirectRefused,
    MalformedLength,
    // The reply announced a Content-Length and a Transfer-Encoding both.
    LengthTwoWays,
    // A proxy asked for a user name and password and the player gave none
    // it took.
    ProxyRefused,
};

// Keeps the windows answering while the server is awaited, and decides when
// waiting has gone on long enough or the user has cancelled.
class ExchangeWatch final : public ServerWaiter {
public:
    ExchangeWatch(const ExchangeServices& services, const StatusLine& status);

    // Before a call that waits for the reply's header: 30 s without
    // progress from here fail it.
    void StartCall();
    // Before the first read: the idle limit, and the whole-reply limit when
    // `whole` is set.
    void StartReading(bool whole);

    bool KeepWaiting() override;

    // After a chunk has arrived: the windows get their messages now and
    // then. False when the user has cancelled meanwhile or the whole-reply
    // limit has passed.
    bool ChunkArrived();

    [[nodiscard]] AttemptStop stopped() const { return stopped_; }
    [[nodiscard]] const StatusLine& status() const { return status_; }

private:
    bool GoOn();

    const ExchangeServices& services_;
    const StatusLine& status_;
    DeadlineTimer idle_;
    DeadlineTimer messages_;
    DeadlineTimer wholeReply_;
    bool wholeLimit_ = false;
    bool dataSinceWait_ = false;
    AttemptStop stopped_ = AttemptStop::None;
};

// How sending or reading ended.
struct StepEnd {
    InternetError error = NoInternetError;
    AttemptStop stopped = AttemptStop::None;
    // The message for a redirect that is not followed.
    std::string refusal;
    std::uint64_t received = 0;
};

// Opens the server's address on the attempt's session and sends the body,
// and again wherever the server redirects it while that is allowed. A call
// the watch gave up ends with its reason; one given up for the time limit
// fails with the layer's time-out error.
StepEnd SendFollowingRedirects(
    const ExchangeServices& services, const ExchangeRequest& request, Attempt& attempt, ExchangeWatch& watch);

// Reads the reply into the sink until its end, an error, the watch or the
// sink gives up.
StepEnd ReadReply(const ExchangeRequest& request, Attempt& attempt, ExchangeWatch& watch, ReplySink& sink);

} // namespace gsd
