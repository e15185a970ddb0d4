// Starting programs from the game folder, waiting for them, and ending this
// program. The Win32 adapter uses ShellExecuteExW; tests record the calls.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ports/MessagePump.h"

namespace gsd {

// A started program's process; its handle is closed on destruction.
class StartedProcess {
public:
    virtual ~StartedProcess() = default;

    // Waits, without a time limit, until the process has ended, handling the
    // windows' pending messages meanwhile so that they keep painting.
    // Returns its exit code; nullopt when the system cannot tell it.
    virtual std::optional<std::uint32_t> WaitForExit(MessagePump& pump) = 0;
};

// How a start through the desktop's shell went.
struct DesktopStart {
    // True when the desktop's shell took the start over.
    bool started = false;
    // When it did not: the step that failed ("shell windows", "desktop
    // window"...) and the system's code (an HRESULT).
    std::string failedStep;
    std::uint32_t code = 0;
};

class Processes {
public:
    virtual ~Processes() = default;

    // Starts `program` (relative to the game folder) with no parameters and
    // no verb, shown normally. `workingFolder` is relative to the game folder
    // ("" is the game folder itself); nullopt: the new process inherits the
    // current directory. Null when no process handle came back.
    virtual std::unique_ptr<StartedProcess> Start(std::string_view program,
        std::optional<std::string_view> workingFolder) = 0;

    // Asks the shell of the desktop the player is logged on to to start
    // `program` (relative to the game folder) in `workingFolder` (relative,
    // "" is the game folder), shown normally: the program runs as that
    // player, not with this program's rights. No process handle comes back.
    virtual DesktopStart StartThroughDesktop(std::string_view program, std::string_view workingFolder) = 0;

    // The system's error code of the last Start that came back null; 0 when
    // it gave none (a path that cannot be formed, no process handle).
    [[nodiscard]] virtual std::uint32_t StartFailureCode() const = 0;

    // Ends this program at once with `exitCode`: no message, no clean-up.
    // Returns only from a test's fake.
    virtual void ExitProgram(int exitCode) = 0;
};

} // namespace gsd
