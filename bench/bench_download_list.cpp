// Measures the work on the server's download list as it grows: receiving it
// in 1024-byte reads, filling the server list from it (FillServerList) and
// walking its lines, for lists of 100, 1,000 and 10,000 lines. Every one of
// them should cost the same per line at every size. For comparison it also
// times taking line i with GetField from the start of the text each time,
// which grows with the square of the number of lines.
//
// A program that prints figures, not a test:
//   bench_download_list [--lines 100,1000,10000] [--naive-limit 10000]
//
// The server list here is a list view that only counts its rows: what the
// real control does to keep its rows sorted is the control's own cost.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "SilentWindow.h"
#include "catalogue/ServerListRows.h"
#include "protocol/DownloadList.h"
#include "protocol/FieldList.h"
#include "protocol/ServerExchange.h"

using namespace gsd;
using Clock = std::chrono::steady_clock;

namespace {

// An HTTP layer that answers every request with one text, in reads of the
// size asked for.
class InMemoryHttp final : public HttpClient {
public:
    explicit InMemoryHttp(const std::string& reply)
        : reply_(reply)
    {
    }

    InternetError OpenSession(std::string_view, std::unique_ptr<HttpSession>& session) override
    {
        session = std::make_unique<Session>(reply_);
        return NoInternetError;
    }

private:
    class Request final : public HttpRequest {
    public:
        explicit Request(const std::string& reply)
            : reply_(reply)
        {
        }
        InternetError Send(std::string_view, std::string_view, ServerWaiter&) override { return NoInternetError; }
        InternetError Read(char* buffer, std::size_t capacity, std::size_t& received, ServerWaiter&) override
        {
            received = std::min(capacity, reply_.size() - position_);
            std::memcpy(buffer, reply_.data() + position_, received);
            position_ += received;
            return NoInternetError;
        }
        int StatusCode() override { return 200; }
        std::string RawHeaders() override { return {}; }
        LocationHeader RedirectLocation() override { return {}; }
        bool AskProxySignIn(WindowHandle) override { return false; }
        void GiveProxySignIn(const ProxyCredentials&) override { }
        std::optional<ProxyCredentials> ProxySignInGiven() override { return std::nullopt; }

    private:
        const std::string& reply_;
        std::size_t position_ = 0;
    };
    class Session final : public HttpSession {
    public:
        explicit Session(const std::string& reply)
            : reply_(reply)
        {
        }
        InternetError OpenUrl(std::string_view, std::uint32_t, std::unique_ptr<HttpRequest>& request, ServerWaiter&) override
        {
            request = std::make_unique<Request>(reply_);
            return NoInternetError;
        }

    private:
        const std::string& reply_;
    };
    const std::string& reply_;
};

class NoDialogs final : public ServerDialogs {
public:
    std::unique_ptr<StatusDialog> OpenStatusDialog() override { return nullptr; }
    bool OfferConnectionRetry(std::string_view, std::string_view, std::string_view) override { return false; }
};

class NoErrorTexts final : public InternetErrorTexts {
public:
    std::string ExtendedErrorText() override { return {}; }
    std::string LayerMessageText(InternetError) override { return {}; }
    std::string SystemMessageText(InternetError) override { return {}; }
};

class SteadyClock final : public MonotonicClock {
public:
    std::int64_t Ticks() const override { return Clock::now().time_since_epoch().count(); }
    std::int64_t TicksPerSecond() const override
    {
        return static_cast<std::int64_t>(Clock::period::den / Clock::period::num);
    }
};

class NoPause final : public Sleeper {
public:
    void Sleep(int) override { }
};

class NoMessages final : public MessagePump {
public:
    void HandlePendingMessages() override { }
};

const std::string OnDownloadTexts = "Nothing new|Up to date|Game|Language|Object Pack|Upgrade|Unknown";

// A list of `lines` lines in the server's ten-field layout, about 110 bytes
// each, ending with CR LF.
std::string MakeList(int lines)
{
    std::string list;
    for (int i = 0; i < lines; ++i) {
        const std::string n = std::to_string(i);
        list += std::to_string(i % 5 + 1) + "|Object pack number " + n + "|Pack" + n
            + "|Quil Studios|Bricks, kilns and drying sheds for town " + n + ".|New|1|" + std::to_string(i % 10) + "|"
            + std::to_string(i % 7) + "|" + std::to_string(i % 128) + "\r\n";
    }
    return list;
}

// Seconds per run of `work`: the best of five rounds, each repeating the
// work until it has taken at least 50 ms.
double SecondsPerRun(const std::function<void()>& work)
{
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        int runs = 0;
        const auto start = Clock::now();
        std::chrono::duration<double> elapsed {};
        do {
            work();
            ++runs;
            elapsed = Clock::now() - start;
        } while (elapsed.count() < 0.05);
        best = std::min(best, elapsed.count() / runs);
    }
    return best;
}

std::vector<int> ParseCounts(const std::string& text)
{
    std::vector<int> counts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        counts.push_back(std::stoi(text.substr(start, comma - start)));
        start = comma + 1;
    }
    return counts;
}

struct Measure {
    const char* name;
    std::function<std::size_t(const std::string& list)> run; // returns lines seen
    bool naive;
};

} // namespace

int main(int argc, char** argv)
{
    std::vector<int> counts { 100, 1000, 10000 };
    int naiveLimit = 10000;
    try {
        for (int i = 1; i + 1 < argc; i += 2) {
            const std::string name = argv[i];
            if (name == "--lines") {
                counts = ParseCounts(argv[i + 1]);
            } else if (name == "--naive-limit") {
                naiveLimit = std::stoi(argv[i + 1]);
            } else {
                throw std::runtime_error("unknown option " + name);
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr,
            "bench_download_list: %s\nusage: bench_download_list [--lines 100,1000,10000] "
            "[--naive-limit N]\n",
            error.what());
        return 2;
    }

    const std::vector<Measure> measures = {
        { "receive in 1024-byte reads",
            [](const std::string& list) {
                InMemoryHttp http(list);
                gsd::bench::SilentWindow window;
                NoDialogs dialogs;
                NoErrorTexts texts;
                SteadyClock clock;
                NoPause pause;
                NoMessages messages;
                std::string stored;
                const ExchangeServices services { http, window, dialogs, texts, clock, pause, messages, "https://x/", "" };
                RequestDownloadList(
                    services, [] { return std::string("m"); }, stored);
                return static_cast<std::size_t>(std::count(stored.begin(), stored.end(), '\n'));
            },
            false },
        { "FillServerList",
            [](const std::string& list) {
                gsd::bench::SilentWindow window;
                return static_cast<std::size_t>(FillServerList(window, list, OnDownloadTexts));
            },
            false },
        { "walk the lines (ListLines)", [](const std::string& list) { return ListLines(list).size(); }, false },
        { "line i by GetField from the start (for comparison)",
            [](const std::string& list) {
                std::size_t lines = 0;
                while (!GetField(list, static_cast<int>(lines), LineSeparator).empty()) {
                    ++lines;
                }
                return lines;
            },
            true },
    };

    std::printf("Download-list work per line (best of 5 rounds), lines of about 110 bytes\n\n");
    std::printf("%-52s", "");
    for (const int count : counts) {
        std::printf("%14d lines", count);
    }
    std::printf("%14s\n", "growth");
    for (const Measure& measure : measures) {
        std::printf("%-52s", measure.name);
        std::vector<double> perLine;
        for (const int count : counts) {
            if (measure.naive && count > naiveLimit) {
                std::printf("%20s", "-");
                continue;
            }
            const std::string list = MakeList(count);
            const std::size_t seen = measure.run(list);
            if (seen != static_cast<std::size_t>(count)) {
                std::fprintf(stderr, "\n%s saw %zu lines of %d\n", measure.name, seen, count);
                return 1;
            }
            const double seconds = SecondsPerRun([&] { measure.run(list); });
            perLine.push_back(seconds / count * 1e9);
            std::printf("%14.1f ns/line", perLine.back());
        }
        // Per-line cost at the largest size over the smallest: about 1 when
        // the work is linear, about the size ratio when it is quadratic.
        if (perLine.size() >= 2) {
            std::printf("%13.1fx", perLine.back() / perLine.front());
        }
        std::printf("\n");
    }
    return 0;
}
