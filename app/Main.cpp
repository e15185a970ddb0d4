// Entry point of SecureDownload.exe.
#include <windows.h>

#include <string>

#include "app/SecureDownloadApp.h"
#include "platform/DllSearchPath.h"
#include "platform/GameFolderAtStart.h"
#include "platform/Win32AnsiCodePage.h"
#include "platform/Win32UnexpectedEnd.h"
#include "platform/WindowThread.h"
#include "shell/LogText.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // First of all: whatever ends the program from here on is never silent.
    gsd::ReportUnexpectedEnds();
    // Every window of the program is made and handled on this thread.
    gsd::MarkWindowThread();
    static const gsd::Win32AnsiCodePage ansiCodePage;
    gsd::UseLogCodePage(ansiCodePage);
    // Before any file of the game folder is touched, the log included.
    const std::string gameFolderLine = gsd::SettleGameFolder();
    gsd::RestrictDllSearchPath();
    gsd::SecureDownloadApp app;
    return app.Start(instance, gameFolderLine);
}
