// The demo's game installer, served as the payload of a game item. The
// download client starts it from the game folder and waits for it. It installs
// the newer game version it carries (Media\Version.mdc, so the client's list
// shows the new version), shows itself for a moment, notes "game installer
// ran" in the game folder's "Installers.log" and ends with 0.
//
// GSD_INSTALLER_SECONDS sets how long it stays on screen (default 2 s), so a
// test can see that the client waits for it.

#include "DemoSupport.h"
#include "DemoPayloads.h"

#include "platform/Handles.h"

namespace {

constexpr const char* kCaption = "Rubbleton: Gravelpit Setup";
constexpr const char* kShownText = "Installing Rubbleton: Gravelpit ...";
constexpr DWORD kDefaultSeconds = 2;

// Handles the window's messages until `ms` have passed, so it stays painted
// and movable while the installer "works".
void ShowFor(DWORD ms)
{
    const ULONGLONG end = ::GetTickCount64() + ms;
    for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    const DWORD seconds = gsd::demo::SecondsFromEnvironment("GSD_INSTALLER_SECONDS", kDefaultSeconds);
    gsd::unique_hwnd window(::CreateWindowExA(0, "STATIC", kShownText,
        WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, CW_USEDEFAULT, CW_USEDEFAULT, 360, 120,
        nullptr, nullptr, instance, nullptr));
    if (window) {
        ::UpdateWindow(window.get());
    }

    const std::string game = gsd::demo::CurrentFolder();
    const std::string_view version = gsd::demo::EmbeddedPayload(GSD_PAYLOAD_GAME_VERSION);
    const std::string media = game + "\\Media\\Version.mdc";
    const DWORD error = version.empty() ? static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND)
                                        : gsd::demo::ReplaceFileWith(media, media + ".new", version);
    if (error != 0) {
        const std::string text = "The game could not be installed: " + media + ": " + gsd::demo::SystemErrorText(error);
        ::MessageBoxA(window.get(), text.c_str(), kCaption, MB_OK | MB_ICONERROR);
        return 1;
    }

    ShowFor(seconds * 1000);
    gsd::demo::AppendJournalLine(game + "\\Installers.log", "game installer ran");
    return 0;
}
