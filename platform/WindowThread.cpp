#include "platform/WindowThread.h"

#include <windows.h>

#include <atomic>
#include <cassert>
#include <mutex>
#include <set>
#include <string>

#include "platform/Win32SupportLog.h"
#include "shell/SupportLogLines.h"

namespace gsd {
namespace {

// No thread has the id 0.
std::atomic<DWORD> windowThread { 0 };
std::atomic<WrongThreadReport> report { &LogWrongThreadCall };

} // namespace

void MarkWindowThread()
{
    windowThread.store(::GetCurrentThreadId());
}

bool OnWindowThread()
{
    const DWORD marked = windowThread.load(std::memory_order_relaxed);
    return marked == 0 || marked == ::GetCurrentThreadId();
}

void LogWrongThreadCall(const char* function, std::uint32_t threadId)
{
    // A function called from a worker is usually called from there again and
    // again (each row, each piece of a transfer): one line tells support all
    // there is to know, and the log stays readable.
    static std::mutex guard;
    static std::set<std::string> reported;
    bool first = false;
    {
        const std::lock_guard<std::mutex> lock(guard);
        first = reported.insert(function).second;
    }
    if (first) {
        Win32SupportLog().Write(WrongThreadLogLine(function, threadId));
    }
    assert(!"a function of the windows was called away from the window thread");
}

WrongThreadReport SetWrongThreadReport(WrongThreadReport replacement)
{
    return report.exchange(replacement != nullptr ? replacement : &LogWrongThreadCall);
}

void CheckWindowThread(const char* function)
{
    if (!OnWindowThread()) {
        report.load()(function, ::GetCurrentThreadId());
    }
}

} // namespace gsd
