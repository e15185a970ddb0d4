// The window thread's one wait: how it ends, what it answers meanwhile, and
// a quit request that arrives during it.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/Handles.h"
#include "platform/MessageWait.h"
#include "platform/Win32MessagePump.h"
#include "platform/WorkerThread.h"

namespace gsd {
namespace {

class CountingPump final : public MessagePump {
public:
    void HandlePendingMessages() override
    {
        ++calls;
        pump_.HandlePendingMessages();
    }

    int calls = 0;

private:
    Win32MessagePump pump_;
};

unique_handle NewEvent(bool signalled)
{
    return unique_handle(::CreateEventA(nullptr, TRUE, signalled ? TRUE : FALSE, nullptr));
}

TEST(MessageWait, EndsAsItsHandlesItsLimitOrItsQuestionSay)
{
    const unique_handle unset = NewEvent(false);
    const unique_handle set = NewEvent(true);
    struct Case {
        const char* name;
        std::vector<HANDLE> handles;
        DWORD limitMs;
        bool keepWaiting;
        WaitEnd end;
        std::size_t index;
    };
    const Case cases[] = {
        { "the second handle signalled", { unset.get(), set.get() }, INFINITE, true, WaitEnd::Signalled, 1 },
        { "nothing signalled before the limit", { unset.get() }, 150, true, WaitEnd::TimedOut, 0 },
        { "a pause without handles", {}, 150, true, WaitEnd::TimedOut, 0 },
        { "its question says stop", { unset.get() }, INFINITE, false, WaitEnd::Stopped, 0 },
    };
    for (const Case& c : cases) {
        CountingPump pump;
        const bool keep = c.keepWaiting;
        const WaitResult result = WaitHandlingMessages(c.handles, &pump, c.limitMs, [keep] { return keep; });
        EXPECT_EQ(result.end, c.end) << c.name;
        EXPECT_EQ(result.index, c.index) << c.name;
    }
}

// A quit request put back into the queue at once would wake the wait
// again and again: it is kept, and is there again once the wait is over.
TEST(MessageWait, AQuitDuringAWaitIsPostedAgainWhenItEnds)
{
    CountingPump pump;
    const DWORD thread = ::GetCurrentThreadId();
    std::thread quitter([thread] {
        ::Sleep(50);
        ::PostThreadMessageA(thread, WM_QUIT, 7, 0);
    });
    WaitHandlingMessages({}, &pump, 600);
    quitter.join();

    // About one call a slice; a wait woken by its own quit request makes
    // thousands.
    EXPECT_LT(pump.calls, 30);
    MSG message {};
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
}

TEST(MessageWait, WaitingForSentMessagesAnswersThemAndLeavesPostedOnes)
{
    const unique_hwnd window(
        ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    ASSERT_TRUE(window);
    std::atomic<bool> answered { false };
    HWND target = window.get();
    const unique_handle sender = StartWorkerThread([target, &answered] {
        ::PostMessageA(target, WM_APP, 0, 0);
        DWORD_PTR ignored = 0;
        answered = ::SendMessageTimeoutA(target, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored) != 0;
    });
    ASSERT_TRUE(sender);
    const HANDLE senderThread = sender.get();
    const WaitResult result = WaitHandlingMessages({ &senderThread, 1 }, nullptr, 3000, {}, WakeFor::SentMessages);
    ::WaitForSingleObject(senderThread, INFINITE);

    EXPECT_EQ(result.end, WaitEnd::Signalled);
    EXPECT_TRUE(answered);
    MSG message {};
    EXPECT_TRUE(::PeekMessageA(&message, target, WM_APP, WM_APP, PM_REMOVE));
}

} // namespace
} // namespace gsd
