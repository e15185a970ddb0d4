// The check of functions that must run on the window thread: a call from a
// worker is reported with the function's name and the worker's thread, a
// call on the window thread is not; the report the program keeps writes one
// support-log line per function.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "GameFolderScope.h"
#include "platform/Handles.h"
#include "platform/Win32MainWindow.h"
#include "platform/WindowThread.h"
#include "res/resource.h"

namespace gsd {
namespace {

using Report = std::pair<std::string, std::uint32_t>;

std::vector<Report> reports;

void Record(const char* function, std::uint32_t threadId)
{
    reports.emplace_back(function, threadId);
}

// Runs `call` on a thread of its own and returns that thread's id.
DWORD OnWorker(const std::function<void()>& call)
{
    DWORD id = 0;
    std::thread worker([&] {
        id = GetCurrentThreadId();
        call();
    });
    worker.join();
    return id;
}

TEST(WindowThread, ACallAwayFromTheWindowThreadIsReported)
{
    MarkWindowThread();
    const WrongThreadReport previous = SetWrongThreadReport(&Record);
    const unique_hwnd window(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    ASSERT_TRUE(window);
    Win32MainWindow mainWindow(window.get());
    // The window has no such button: the call sends nothing that would wait
    // for this thread.
    const auto call = [&] { mainWindow.EnableControl(IDC_DOWNLOAD_SELECTIONS, false); };

    struct Case {
        const char* where;
        bool onWorker;
    };
    for (const Case& c : { Case { "window thread", false }, Case { "worker", true } }) {
        SCOPED_TRACE(c.where);
        reports.clear();
        std::vector<Report> expected;
        if (c.onWorker) {
            expected.emplace_back("Win32MainWindow::EnableControl", OnWorker(call));
        } else {
            call();
        }
        EXPECT_EQ(reports, expected);
    }
    SetWrongThreadReport(previous);
}

#ifdef NDEBUG
// A debug build stops at its assertion instead.
TEST(WindowThread, TheProgramsReportLogsEachFunctionOnce)
{
    const testing::GameFolderScope folder;
    MarkWindowThread();
    const DWORD worker = OnWorker([] {
        for (const char* function : { "First::Call", "Second::Call", "First::Call", "Second::Call" }) {
            CheckWindowThread(function);
        }
    });
    CheckWindowThread("Third::Call");

    std::istringstream log(folder.Game().Read("Temp\\SecureDownload.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) {
        // After the time stamp, without the line's end.
        const std::size_t start = line.find("window thread: ");
        lines.push_back(start == std::string::npos ? line : line.substr(start, line.find('\r') - start));
    }
    const std::string from = " called from thread " + std::to_string(worker);
    EXPECT_EQ(lines,
        (std::vector<std::string> { "window thread: First::Call" + from, "window thread: Second::Call" + from }));
}
#endif

} // namespace
} // namespace gsd
