// Entry point of SecureDownload.exe.
#include <windows.h>

#include "app/SecureDownloadApp.h"
#include "platform/DllSearchPath.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    gsd::RestrictDllSearchPath();
    gsd::SecureDownloadApp app;
    return app.Start(instance);
}
