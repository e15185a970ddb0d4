#include "platform/Win32Processes.h"

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <utility>

#include "platform/GamePaths.h"
#include "platform/Handles.h"
#include "platform/MessageWait.h"
#include "platform/Win32DesktopShell.h"

namespace gsd {
namespace {

class Win32StartedProcess final : public StartedProcess {
public:
    explicit Win32StartedProcess(unique_handle process)
        : process_(std::move(process))
    {
    }

    std::optional<std::uint32_t> WaitForExit(MessagePump& pump) override
    {
        const HANDLE process = process_.get();
        if (WaitHandlingMessages({ &process, 1 }, &pump).end != WaitEnd::Signalled) {
            // A handle that cannot be waited on never signals; waiting on
            // would hang the program for good.
            return std::nullopt;
        }
        // Its windows have just gone: what they covered of ours is painted
        // now, not once the next item is under way.
        pump.HandlePendingMessages();
        DWORD code = 0;
        return ::GetExitCodeProcess(process, &code) ? std::optional<std::uint32_t>(code) : std::nullopt;
    }

private:
    unique_handle process_;
};

} // namespace

std::unique_ptr<StartedProcess> Win32Processes::Start(
    std::string_view program, std::optional<std::string_view> workingFolder)
{
    startFailureCode_ = 0;
    const WideGamePath file = GameFolderPath(program);
    if (!file.Problem.empty()) {
        return nullptr;
    }
    std::wstring directory;
    if (workingFolder) {
        const WideGamePath folder = GameFolderDirectory(*workingFolder);
        if (!folder.Problem.empty()) {
            return nullptr;
        }
        directory = folder.Path;
    }

    SHELLEXECUTEINFOW execute {};
    execute.cbSize = sizeof execute;
    // The program reports a failed start itself; the shell's own error box
    // would only say the same first.
    // NOASYNC: the start may be made on a worker that ends right after it.
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    execute.lpFile = file.Path.c_str();
    execute.lpDirectory = workingFolder ? directory.c_str() : nullptr;
    execute.nShow = SW_SHOW;
    if (!::ShellExecuteExW(&execute)) {
        startFailureCode_ = ::GetLastError();
        // A handle may come back even so; it is ours to close.
        const unique_handle ignored(execute.hProcess);
        return nullptr;
    }
    unique_handle process(execute.hProcess);
    if (!process) {
        return nullptr;
    }
    return std::make_unique<Win32StartedProcess>(std::move(process));
}

DesktopStart Win32Processes::StartThroughDesktop(std::string_view program, std::string_view workingFolder)
{
    return StartFromDesktop(program, workingFolder);
}

std::uint32_t Win32Processes::StartFailureCode() const
{
    return startFailureCode_;
}

void Win32Processes::ExitProgram(int exitCode)
{
    ::ExitProcess(static_cast<UINT>(exitCode));
}

} // namespace gsd
