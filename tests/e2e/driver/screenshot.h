#pragma once

#include "wait.h"

#include <windows.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

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

// The pixels of a "*.bmp" screenshot, to tell what is painted where.
class ScreenPicture {
public:
    // Reads a bitmap file as Screenshot writes them (24 bits, bottom-up
    // rows); nothing if the file is missing or of another kind.
    static std::optional<ScreenPicture> Read(const std::string& path);

    // The display as it is now, kept in memory: quick enough for a series
    // of pictures several times a second. Nothing if it cannot be read.
    static std::optional<ScreenPicture> Capture();

    // Writes the picture as a "*.bmp" file; whether it was written whole.
    bool Save(const std::string& path) const;

    // The distinct colours inside rect, in screen coordinates (right and
    // bottom edges excluded, as GetWindowRect gives them); the part outside
    // the picture is left out.
    std::set<COLORREF> ColoursIn(const RECT& rect) const;

    // The colour most pixels inside rect have (a row's background under its
    // text); black when rect holds no pixel of the picture.
    COLORREF CommonestColourIn(const RECT& rect) const;

private:
    ScreenPicture(std::string bytes, size_t pixels_at, int width, int height);
    static std::optional<ScreenPicture> FromBytes(std::string bytes);
    std::map<COLORREF, int> CountColoursIn(const RECT& rect) const;

    std::string bytes_;
    size_t pixels_at_ = 0;
    size_t stride_ = 0;
    int width_ = 0;
    int height_ = 0;
};

// Whether a colour is dark enough to be text on a dialog's face.
bool IsDark(COLORREF colour);

// What a window must show on screen: more than one colour, and with
// `text` also a dark one.
struct PaintedWindow {
    HWND window;
    bool text;
};

// Takes screenshots into `path` (a "*.bmp") until every window shows what
// it must, or the timeout ends; whether they all did. An unpainted window
// is one flat colour throughout.
bool ShowsPainted(const std::string& path, const std::vector<PaintedWindow>& windows,
    milliseconds timeout = kDefaultTimeout);

} // namespace gsd::e2e
