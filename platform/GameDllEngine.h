// The engine component behind the MediaEngine port: Game.dll, loaded at run
// time so that a missing or broken library is reported like any other failure
// of the engine instead of stopping the program before it starts. It only
// talks to Game.dll; the windows' answers during a reading pass are
// MediaEngineAnsweringBetweenPacks's.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/GameDllInterface.h"
#include "ports/MediaEngine.h"
#include "platform/Handles.h"

namespace gsd {

// The engine component's file in the game folder.
inline constexpr std::string_view GameDllFileName = "Game.dll";

class GameDllEngine final : public MediaEngine {
public:
    // `window` and `instance` are handed to the engine's CreateSystem;
    // `libraryPath` is the full path of the Game.dll to load.
    GameDllEngine(HWND window, HINSTANCE instance, std::wstring libraryPath);

    // Loads Game.dll from its full path (its own dependencies searched in
    // its folder and the system's, never the current directory) and
    // creates the system.
    // Non-zero when the library or one of its exports is missing, or when the
    // engine's CreateSystem fails.
    int CreateSystem() override;

    // Set when Game.dll is there but built for the other bitness: which each
    // is and which build of the program to use instead.
    std::string UnavailableReason() const override;

    // 0 when no system was ever created: there is nothing to destroy.
    int DestroySystem() override;

    void ExecuteSystem() override;
    std::unique_ptr<MediaReader> CreateReader() override;

private:
    bool Load();

    HWND window_;
    HINSTANCE instance_;
    std::wstring libraryPath_;
    unique_hmodule library_;
    std::string unavailableReason_;
    game_dll::CreateSystemFn createSystem_ = nullptr;
    game_dll::DestroySystemFn destroySystem_ = nullptr;
    game_dll::ExecuteSystemFn executeSystem_ = nullptr;
    game_dll::CreateInterfaceFn createInterface_ = nullptr;
};

} // namespace gsd
