// Entry point of SecureDownload.exe.
#include <windows.h>

#include "app/SecureDownloadApp.h"
#include "platform/DllSearchPath.h"
#include "platform/Win32UnexpectedEnd.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // First of all: whatever ends the program from here on is never silent.
    gsd::ReportUnexpectedEnds();
    gsd::RestrictDllSearchPath();
    gsd::SecureDownloadApp app;
    return app.Start(instance);
}
