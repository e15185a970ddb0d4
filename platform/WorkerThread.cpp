#include "platform/WorkerThread.h"

#include <windows.h>

#include <exception>
#include <memory>
#include <string>

#include "platform/Win32SupportLog.h"
#include "shell/SupportLogLines.h"

namespace gsd {
namespace {

void LogFailure(std::string_view what)
{
    Win32SupportLog().Write("a worker thread ended on an error: " + OneLine(what));
}

DWORD WINAPI WorkerEntry(void* parameter)
{
    try {
        const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
        (*work)();
    } catch (const std::exception& error) {
        LogFailure(error.what());
    } catch (...) {
        LogFailure("an exception of an unknown kind");
    }
    return 0;
}

} // namespace

unique_handle StartWorkerThread(std::function<void()> work)
{
    auto* parameter = new std::function<void()>(std::move(work));
    unique_handle thread(::CreateThread(nullptr, 0, &WorkerEntry, parameter, 0, nullptr));
    if (!thread) {
        delete parameter;
    }
    return thread;
}

} // namespace gsd
