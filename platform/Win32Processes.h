// The Processes port over ShellExecuteExW and the process handle it returns.
#pragma once

#include <cstdint>

#include "ports/Processes.h"

namespace gsd {

class Win32Processes final : public Processes {
public:
    // ShellExecuteExW with SEE_MASK_NOCLOSEPROCESS, no verb, no parameters
    // and SW_SHOW; the program and the working folder (with a trailing
    // backslash) as full paths of the game folder. Null when a path cannot be
    // formed, the start fails or no process handle came back. A failed start
    // may have shown the system's own error box first. WaitForExit hands
    // every message the thread receives meanwhile to the pump.
    std::unique_ptr<StartedProcess> Start(
        std::string_view program, std::optional<std::string_view> workingFolder) override;

    // StartFromDesktop (platform/Win32DesktopShell.h).
    DesktopStart StartThroughDesktop(std::string_view program, std::string_view workingFolder) override;

    // GetLastError after the failed ShellExecuteExW.
    std::uint32_t StartFailureCode() const override;

    // ExitProcess.
    void ExitProgram(int exitCode) override;

private:
    std::uint32_t startFailureCode_ = 0;
};

} // namespace gsd
