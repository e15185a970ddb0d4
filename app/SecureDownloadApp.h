// The start routine: sockets, single copy, the main dialog, and the end.
#pragma once

#include <windows.h>

namespace gsd {

class SecureDownloadApp {
public:
    // Runs the program once; returns the process exit code.
    int Start(HINSTANCE instance);
};

} // namespace gsd
