// Everything a server exchange talks to, faked, with one journal for all of
// it: the window's messages, the dialogs, the HTTP calls and the pauses.
#pragma once

#include <string>
#include <vector>

#include "fakes/FakeHttpClient.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeServerDialogs.h"
#include "fakes/FakeTiming.h"
#include "protocol/ServerExchange.h"

namespace gsd::testing {

// Information-and-error texts whose field N names itself, so a journal line
// shows which text was taken.
inline constexpr std::string_view RigInfoAndErrorTexts
    = "no connection|try again|give up|not genuine|t4|connecting|checking|checked|authenticating|authenticated|"
      "listing|listed";

inline constexpr std::string_view RigUrl = "https://localhost:47443/autodownload.asp";

// The message boxes of a journal, in order.
inline std::vector<std::string> Messages(const std::vector<std::string>& journal)
{
    std::vector<std::string> messages;
    for (const std::string& line : journal) {
        if (line.starts_with("message ")) {
            messages.push_back(line);
        }
    }
    return messages;
}

// A support log that keeps its lines in memory.
class CollectingSupportLog final : public SupportLog {
public:
    explicit CollectingSupportLog(std::vector<std::string>& lines)
        : lines_(lines)
    {
    }
    void Write(std::string_view event) override { lines_.emplace_back(event); }

private:
    std::vector<std::string>& lines_;
};

struct ExchangeRig {
    std::vector<std::string> journal;
    FakeMainWindow window { journal };
    FakeServerDialogs dialogs { journal };
    FakeInternetErrorTexts errorTexts;
    FakeClock clock;
    FakeSleeper sleeper { journal };
    FakeHttpClient http { journal, clock };
    FakeMessagePump pump;
    // The support log's lines, without their time.
    std::vector<std::string> logLines;
    CollectingSupportLog log { logLines };

    ExchangeServices Services()
    {
        return ExchangeServices { http, window, dialogs, errorTexts, clock, sleeper, pump, RigUrl,
            RigInfoAndErrorTexts, &log };
    }

    // A good attempt that answers `reply` under `statusCode`, in reads of
    // at most 1024 bytes.
    void Answer(const std::string& reply, int statusCode = 200)
    {
        FakeHttpAttempt attempt;
        for (std::size_t at = 0; at < reply.size(); at += 1024) {
            attempt.chunks.push_back(reply.substr(at, 1024));
        }
        attempt.statusCode = statusCode;
        http.attempts.push_back(attempt);
    }

    // Everything closed that the exchange opened.
    bool AllReleased() const
    {
        return http.sessionsOpen == 0 && http.requestsOpen == 0 && dialogs.statusDialogsOpen == 0;
    }
};

} // namespace gsd::testing
