// The program's windows while it waits for the download server: every
// visible window answers a message from another process at once, and the
// status dialog's Cancel ends the wait, whether the server holds its reply
// back before the header or sends the body slowly.

#include "driver/uidriver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/ReferenceServer.h"

namespace gsd::e2e {
namespace {

using test::ReferenceServer;
using test::ReferenceServerOptions;

constexpr int kStatusLine = 1008;
constexpr const char* kStatusCaption = "Gravelpit Download Program Startup Status";
// Far above what a window that handles its messages needs, far below the
// waits the server makes.
constexpr UINT kAnswerLimitMs = 1000;

struct Stage {
    const char* name;
    std::string fault;
    // Requests the server has seen once the program waits at this stage.
    std::size_t requestsWhenWaiting;
};

// Each visible window of `pid` answers WM_NULL within the limit; the
// longest answer in milliseconds, or -1 when one did not answer.
long LongestAnswerMs(DWORD pid)
{
    long longest = 0;
    for (HWND window : TopLevelWindows(pid)) {
        const auto asked = std::chrono::steady_clock::now();
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerLimitMs, &result)) {
            return -1;
        }
        const auto took = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - asked);
        longest = std::max(longest, static_cast<long>(took.count()));
    }
    return longest;
}

TEST(WaitingWindowsTest, WindowsAnswerAndCancelEndsTheWait)
{
    const std::vector<Stage> stages = {
        { "connection check held back before its header", "check:delay=40,times=1", 1 },
        // The authentication's own bodiless opening and its send come first.
        { "download list held back before its header", "list:delay=40", 5 },
        { "download list sent slowly", "list:slow=3,chunk=40", 5 },
    };
    for (const Stage& stage : stages) {
        SCOPED_TRACE(stage.name);
        ReferenceServerOptions options;
        for (int i = 0; i < 8; ++i) {
            options.catalogue.push_back("3|Pack " + std::to_string(i) + "|Pack" + std::to_string(i)
                + "|Quil Studios|A pack.|New|1|0|0|1");
        }
        options.faults = { stage.fault };
        ReferenceServer server(options);
        ASSERT_TRUE(server.Start()) << server.Error();
        GameFolder game;
        CopyDemoMedia(game);
        ProgramRun run(game);

        // Each exchange has a status dialog of its own: the one of the
        // exchange that waits.
        ASSERT_TRUE(WaitUntil([&] { return server.Requests().size() >= stage.requestsWhenWaiting; }));
        HWND status = WaitForWindow(
            run.Pid(), [](HWND w) { return Caption(w) == kStatusCaption && !ControlText(w, kStatusLine).empty(); });
        ASSERT_NE(status, nullptr) << "no status dialog";
        // Two seconds of asking, while the program waits for the server.
        long longest = 0;
        for (int probe = 0; probe < 8; ++probe) {
            const long answer = LongestAnswerMs(run.Pid());
            ASSERT_GE(answer, 0) << "a window did not answer within " << kAnswerLimitMs << " ms";
            longest = std::max(longest, answer);
            Sleep(250);
        }
        EXPECT_LT(longest, static_cast<long>(kAnswerLimitMs));

        const auto cancelled = std::chrono::steady_clock::now();
        ASSERT_TRUE(Click(status, IDCANCEL));
        const auto box = FindMessageBox(run.Pid(), milliseconds(5000));
        ASSERT_TRUE(box) << "Cancel did not end the wait";
        const auto took = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - cancelled);
        std::printf("[ figures  ] %s: longest answer %ld ms, Cancel acted after %ld ms\n", stage.name, longest,
            static_cast<long>(took.count()));
        EXPECT_EQ(box->caption, "Error!");
        EXPECT_EQ(box->text, "The request to the download server was cancelled.");
        ASSERT_TRUE(Press(*box, IDOK));
        // A start-up exchange that failed closes the program.
        EXPECT_TRUE(run.WaitForExit()) << "the program did not close";
    }
}

} // namespace
} // namespace gsd::e2e
