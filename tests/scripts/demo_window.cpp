// demo_window: answers from the live window, not from a script's output,
// whether the demo's program shows its main dialog, and closes it as a
// player's close button would. Runs in the demo's Wine prefix.
//
//   demo_window CAPTION [--close] [--seconds N]
//
// Waits up to N seconds (120 by default) for a visible top-level window of
// any process captioned exactly CAPTION. With --close it then sends the
// window WM_CLOSE and waits up to 30 s for it to be gone. Exit code 0 when
// all that happened, 1 when the window did not show, 3 when it did not
// close, 2 for a usage error. Says on standard output what it saw.

#include "driver/window_search.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace gsd::e2e;

constexpr milliseconds kCloseTimeout { 30000 };

int Usage()
{
    std::fprintf(stderr, "usage: demo_window CAPTION [--close] [--seconds N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string caption = argv[1];
    bool close = false;
    long seconds = 120;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--close") {
            close = true;
        } else if (option == "--seconds" && i + 1 < argc) {
            seconds = std::strtol(argv[++i], nullptr, 10);
            if (seconds <= 0 || seconds > 3600)
                return Usage();
        } else {
            return Usage();
        }
    }

    const HWND window = WaitForWindow(kAnyProcess, caption, milliseconds(seconds * 1000));
    if (window == nullptr) {
        std::printf("demo_window: no window \"%s\" showed within %ld s\n", caption.c_str(), seconds);
        return 1;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    std::printf("demo_window: \"%s\" is shown (process %lu)\n", caption.c_str(), pid);
    std::fflush(stdout);
    if (!close)
        return 0;
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (!WaitUntil([window] { return !IsWindow(window); }, kCloseTimeout)) {
        std::printf("demo_window: \"%s\" was sent WM_CLOSE but is still there after %lld s\n", caption.c_str(),
            static_cast<long long>(kCloseTimeout.count() / 1000));
        return 3;
    }
    std::printf("demo_window: \"%s\" has closed\n", caption.c_str());
    return 0;
}
