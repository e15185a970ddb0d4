// The exported functions of the stand-in Game.dll. None lets an exception
// out: the caller is C-style code across a module boundary.

#include "GameSystem.h"

#include "dll/MediaReader.h"
#include "dll/TestHooks.h"

#include <new>
#include <string>

namespace {

// The main window the system was created for; the stand-in keeps it only so
// that the system has a notion of being started.
HWND g_window = nullptr;

constexpr int kFailedOnRequest = 1;
constexpr int kUnknownKind = 2;
constexpr int kNoObjectAddress = 3;
constexpr int kCannotCreate = 4;

} // namespace

extern "C" int CreateSystem(HWND window, HINSTANCE /*instance*/)
{
    try {
        gamedll::trace("CreateSystem");
        gamedll::crashWhenRequested("CreateSystem");
        if (gamedll::failureRequested("CreateSystem")) {
            return kFailedOnRequest;
        }
        g_window = window;
        return 0;
    } catch (...) {
        return kCannotCreate;
    }
}

extern "C" int DestroySystem(void)
{
    try {
        gamedll::trace("DestroySystem");
        if (gamedll::failureRequested("DestroySystem")) {
            return kFailedOnRequest;
        }
        g_window = nullptr;
        return 0;
    } catch (...) {
        return kCannotCreate;
    }
}

extern "C" int ExecuteSystem(void)
{
    gamedll::trace("ExecuteSystem");
    return 0;
}

extern "C" int CreateInterface(int kind, void** object)
{
    try {
        gamedll::trace("CreateInterface " + std::to_string(kind));
        if (object == nullptr) {
            return kNoObjectAddress;
        }
        *object = nullptr;
        if (gamedll::failureRequested("CreateInterface")) {
            return kFailedOnRequest;
        }
        if (kind != kMediaResourceReaderKind) {
            return kUnknownKind;
        }
        MediaResourceReader* reader = new (std::nothrow) gamedll::MediaReader();
        if (reader == nullptr) {
            return kCannotCreate;
        }
        *object = reader;
        return 0;
    } catch (...) {
        return kCannotCreate;
    }
}
