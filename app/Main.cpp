// Entry point of SecureDownload.exe.
#include <windows.h>

#include "app/SecureDownloadApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    gsd::SecureDownloadApp app;
    return app.Start(instance);
}
