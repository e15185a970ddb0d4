#include "protocol/ServerExchange.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "shell/DeadlineTimer.h"
#include "protocol/FieldList.h"
#include "protocol/ServerEndpoint.h"

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

    void Set(int field)
    {
        if (dialog_ != nullptr) {
            dialog_->SetStatusLine(GetField(texts_, field, FieldSeparator));
        }
    }

private:
    StatusDialog* dialog_;
    std::string_view texts_;
};

// Reads the reply until the end, the deadline or an error. A chunk read at
// or after the deadline is dropped.
InternetError ReadReply(HttpRequest& request, std::vector<char>& buffer, DeadlineTimer& deadline, std::string& reply)
{
    deadline.Set(ReplyDeadlineMilliseconds);
    for (;;) {
        std::size_t received = 0;
        const InternetError error = request.Read(buffer.data(), ReplyChunkSize, received);
        if (error != NoInternetError) {
            return error;
        }
        if (received == 0 || deadline.Expired()) {
            return NoInternetError;
        }
        received = std::min(received, ReplyChunkSize);
        // The chunk is taken as a terminated text: it ends at its first NUL.
        buffer[received] = '\0';
        reply.append(buffer.data(), std::strlen(buffer.data()));
    }
}

// Runs steps up to a read reply; returns the first error of the layer.
InternetError RunAttempt(const ExchangeServices& services, const ExchangeRequest& request, StatusLine& status,
    Attempt& attempt, std::string& reply)
{
    attempt.buffer.assign(ReplyChunkSize + 1, '\0');
    InternetError error = services.http.OpenSession(ServerUserAgent, attempt.session);
    if (error != NoInternetError) {
        return error;
    }
    error = attempt.session->OpenUrl(services.url, request.openFlags, attempt.request);
    if (error != NoInternetError) {
        return error;
    }
    if (request.body) {
        error = attempt.request->Send(FormBodyHeader, *request.body);
        if (error != NoInternetError) {
            return error;
        }
    }
    status.Set(request.statusTexts.whileReading);
    DeadlineTimer deadline(services.clock);
    return ReadReply(*attempt.request, attempt.buffer, deadline, reply);
}

} // namespace

ExchangeResult ServerExchange(const ExchangeServices& services, const ExchangeRequest& request)
{
    const std::unique_ptr<StatusDialog> dialog = services.dialogs.OpenStatusDialog();
    StatusLine status(dialog.get(), services.infoAndErrorTexts);
    const InternetErrorReporter reporter { services.window, services.dialogs, services.errorTexts,
        services.infoAndErrorTexts };
    ExchangeResult result;
    bool retry = true;
    while (retry) {
        status.Show();
        status.Set(request.statusTexts.beforeConnecting);
        retry = false;
        Attempt attempt;
        std::string reply;
        const InternetError error = RunAttempt(services, request, status, attempt, reply);
        if (error != NoInternetError) {
            retry = ReportInternetError(reporter, error, [&attempt] { attempt.Release(); });
            continue;
        }
        result.completed = true;
        result.replyText = std::move(reply);
        result.statusCode = attempt.request->StatusCode();
        const ReplyVerdict verdict = request.evaluate ? request.evaluate({ result.replyText, result.statusCode })
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
