#pragma once

#include "wait.h"

#include <string>

namespace gsd::e2e {

// Saves a picture of the whole display to path (a Windows path) and
// returns whether the file was written completely.
//  - "*.bmp": captured in this process with GDI and written as a 24-bit
//    bitmap; works on Windows and under Wine.
//  - any other name, normally "*.png": taken by ImageMagick's
//    "import -window root" run as a Unix program, which only Wine can start
//    (it runs Linux executables through CreateProcess); the format follows
//    the name's extension. Waits up to timeout for the finished file.
bool Screenshot(const std::string& path, milliseconds timeout = kDefaultTimeout);

} // namespace gsd::e2e
