// The demo's program upgrade, served as the payload of an upgrade item. The
// download client starts it as <game>\Temp\Download.exe and ends at once. It
// waits until the client has gone, puts the newer client build it carries in
// place of <game>\SecureDownload.exe, installs the game version that comes
// with it, starts the new client from the game folder and notes "upgrade
// installed" in <game>\Installers.log.
//
// The old client stays as it was until the new one is complete on disk and
// replaces it in one move; whatever fails is told in a message box.

#include "DemoPayloads.h"
#include "DemoSupport.h"

#include "platform/Handles.h"

#include <shellapi.h>

namespace {

constexpr const char* kCaption = "Gravelpit Secure Download Upgrade";
// The names under which a running client holds its single-instance mutex.
constexpr const char* kClientMutexNames[] = {
    "Global\\RubbletonGravelpitSecureDownload",
    "Local\\RubbletonGravelpitSecureDownload",
};
constexpr DWORD kClientPatienceMs = 60 * 1000;
constexpr DWORD kClientPollMs = 100;
// A client whose mutex is gone may still be unloading its program file.
constexpr DWORD kFileInUsePatienceMs = 10 * 1000;

bool ClientRuns()
{
    for (const char* name : kClientMutexNames) {
        gsd::unique_handle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, name));
        if (mutex || ::GetLastError() == ERROR_ACCESS_DENIED) {
            return true;
        }
    }
    return false;
}

bool WaitUntilClientHasEnded()
{
    for (DWORD waited = 0; ClientRuns(); waited += kClientPollMs) {
        if (waited >= kClientPatienceMs) {
            return false;
        }
        ::Sleep(kClientPollMs);
    }
    return true;
}

int Fail(const std::string& text)
{
    ::MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
    return 1;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // This program runs as <game>\Temp\Download.exe.
    const std::string game = gsd::demo::ParentFolder(gsd::demo::ProgramFolder());
    const std::string client = game + "\\SecureDownload.exe";
    if (game.empty() || ::GetFileAttributesW(gsd::demo::SystemPath(client).c_str()) == INVALID_FILE_ATTRIBUTES) {
        return Fail("Secure Download was not found beside the upgrade's Temp folder (" + client
            + "). Nothing has been changed.");
    }
    const std::string_view newClient = gsd::demo::EmbeddedPayload(GSD_PAYLOAD_CLIENT);
    const std::string_view gameVersion = gsd::demo::EmbeddedPayload(GSD_PAYLOAD_GAME_VERSION);
    if (newClient.empty() || gameVersion.empty()) {
        return Fail("This upgrade is damaged: it lacks the files it installs. Nothing has been changed.");
    }
    if (!WaitUntilClientHasEnded()) {
        return Fail("Secure Download is still running. Close it, then start the upgrade again. Nothing has been "
                    "changed.");
    }

    DWORD error = gsd::demo::ReplaceFileWith(client, game + "\\SecureDownload.new", newClient, kFileInUsePatienceMs);
    if (error != 0) {
        return Fail("Secure Download could not be upgraded: " + gsd::demo::SystemErrorText(error)
            + "\nThe installed version is unchanged.");
    }
    const std::string versionFile = game + "\\Media\\Version.mdc";
    error = gsd::demo::ReplaceFileWith(versionFile, versionFile + ".new", gameVersion);
    if (error != 0) {
        Fail("Secure Download has been upgraded, but the game's version file could not be updated ("
            + gsd::demo::SystemErrorText(error) + "). The server may offer the upgrade again.");
    }
    const std::wstring clientPath = gsd::demo::SystemPath(client);
    const std::wstring gamePath = gsd::demo::SystemPath(game);
    SHELLEXECUTEINFOW start {};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS;
    start.lpFile = clientPath.c_str();
    start.lpDirectory = gamePath.c_str();
    start.nShow = SW_SHOW;
    if (!::ShellExecuteExW(&start)) {
        return Fail("Secure Download has been upgraded but could not be started: "
            + gsd::demo::SystemErrorText(::GetLastError()));
    }
    const gsd::unique_handle started(start.hProcess);
    gsd::demo::AppendJournalLine(game + "\\Installers.log", "upgrade installed");
    return 0;
}
