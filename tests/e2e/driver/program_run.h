#pragma once

#include "platform/Handles.h"
#include "wait.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace gsd::e2e {

class GameFolder;

// Environment variables added to (or replacing those of) the test
// program's own environment, e.g. {"GAME_DLL_FAIL", "DestroySystem"}.
using Environment = std::vector<std::pair<std::string, std::string>>;

// One run of a Windows program. The program is killed when the object goes
// and it is still running, so a failed test leaves nothing behind.
class ProgramRun {
public:
    // Starts exe (absolute path) with working_dir as its current directory
    // and no arguments. Throws std::runtime_error if it cannot be started.
    ProgramRun(const std::string& exe, const std::string& working_dir, const Environment& extra_env = {});

    // Starts the game folder's SecureDownload.exe in the game folder.
    explicit ProgramRun(const GameFolder& game, const Environment& extra_env = {});

    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;
    ~ProgramRun();

    DWORD Pid() const { return pid_; }
    HANDLE Process() const { return process_.get(); }

    // The exit code once the program has ended, or nothing if it still
    // runs after timeout.
    std::optional<DWORD> WaitForExit(milliseconds timeout = kDefaultTimeout) const;

    bool IsRunning() const { return !WaitForExit(milliseconds(0)); }

    // Ends the program at once (exit code 1) and waits until it has gone.
    void Kill();

private:
    unique_handle process_;
    DWORD pid_ = 0;
};

} // namespace gsd::e2e
