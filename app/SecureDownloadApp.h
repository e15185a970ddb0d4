// The start routine: sockets, single copy, the main dialog, and the end.
#pragma once

#include <windows.h>

#include <string_view>

namespace gsd {

class SecureDownloadApp {
public:
    // Runs the program once; returns the process exit code. `gameFolderLine`,
    // when not empty, says how the game folder was chosen; it follows the
    // run's first line in the support log.
    int Start(HINSTANCE instance, std::string_view gameFolderLine);
};

} // namespace gsd
