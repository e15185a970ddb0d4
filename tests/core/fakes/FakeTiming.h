// A clock moved by hand and a sleeper that only writes down its waits.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ports/MessagePump.h"
#include "ports/MonotonicClock.h"
#include "ports/Sleeper.h"

namespace gsd::testing {

class FakeClock : public MonotonicClock {
public:
    // Milliseconds by default: one tick per millisecond.
    std::int64_t now = 1'000'000;
    std::int64_t perSecond = 1000;

    std::int64_t Ticks() const override { return now; }
    std::int64_t TicksPerSecond() const override { return perSecond; }
};

class FakeSleeper : public Sleeper {
public:
    explicit FakeSleeper(std::vector<std::string>& journal)
        : journal_(journal)
    {
    }

    void Sleep(int milliseconds) override { journal_.push_back("sleep " + std::to_string(milliseconds)); }

private:
    std::vector<std::string>& journal_;
};

// Counts how often the windows got their messages; journals nothing, so
// that exchanges read the same with or without it. `arrives`, when set, is
// what a message handled now does (a click, a close).
class FakeMessagePump : public MessagePump {
public:
    int calls = 0;
    std::function<void()> arrives;
    void HandlePendingMessages() override
    {
        ++calls;
        if (arrives) {
            arrives();
        }
    }
};

} // namespace gsd::testing
