#include "screenshot.h"

#include "platform/Handles.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <string_view>
#include <utility>

namespace gsd::e2e {
namespace {

// Where the Unix tool lies, seen through Wine's drive Z: (the Unix root).
constexpr const char* kImportTool = "Z:\\usr\\bin\\import";

bool EndsWithNoCase(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size()
        && _stricmp(std::string(text.substr(text.size() - tail.size())).c_str(), std::string(tail).c_str()) == 0;
}

std::string FullPath(const std::string& path)
{
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return n > 0 && n < MAX_PATH ? std::string(full, n) : path;
}

bool WriteWholeFile(const std::string& path, const void* data, size_t size)
{
    unique_file file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), data, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

std::string ReadWholeFile(const std::string& path)
{
    unique_file file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (file && ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    return bytes;
}

// A header structure from bytes at offset; the caller has checked the size.
template <typename T> T HeaderAt(const std::string& bytes, size_t offset)
{
    std::array<char, sizeof(T)> raw;
    std::copy_n(bytes.data() + offset, raw.size(), raw.begin());
    return std::bit_cast<T>(raw);
}

size_t BmpStride(int width)
{
    return (static_cast<size_t>(width) * 3 + 3) & ~size_t { 3 };
}

// The display as a whole 24-bit bitmap file's bytes; empty on failure.
std::string CaptureBmpBytes()
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    auto release_screen = [](HDC dc) { ReleaseDC(nullptr, dc); };
    std::unique_ptr<HDC__, decltype(release_screen)> screen(GetDC(nullptr), release_screen);
    std::unique_ptr<HDC__, decltype(&DeleteDC)> memory(CreateCompatibleDC(screen.get()), DeleteDC);
    if (!screen || !memory || width <= 0 || height <= 0)
        return {};

    BITMAPINFOHEADER header {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height; // positive: bottom-up rows, as files store them
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    void* bits = nullptr;
    auto delete_bitmap = [](HBITMAP b) { DeleteObject(b); };
    std::unique_ptr<HBITMAP__, decltype(delete_bitmap)> bitmap(
        CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0),
        delete_bitmap);
    if (!bitmap)
        return {};
    HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    const bool copied = BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY | CAPTUREBLT);
    SelectObject(memory.get(), previous);
    GdiFlush();
    if (!copied)
        return {};

    const size_t pixels = BmpStride(width) * height;
    BITMAPFILEHEADER file {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels);
    header.biSizeImage = static_cast<DWORD>(pixels);
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    bytes.append(static_cast<const char*>(bits), pixels);
    return bytes;
}

bool ScreenshotBmp(const std::string& path)
{
    const std::string bytes = CaptureBmpBytes();
    return !bytes.empty() && WriteWholeFile(path, bytes.data(), bytes.size());
}

// The Unix path of a Windows path, through Wine's own converter; empty when
// not running under Wine.
std::string UnixPath(const std::string& windows_path)
{
    using Converter = char*(CDECL*)(const wchar_t*);
    // Through void*: GetProcAddress's generic function type does not match.
    auto convert = reinterpret_cast<Converter>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert)
        return {};
    std::wstring wide(windows_path.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, windows_path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    if (n <= 0)
        return {};
    char* unix_path = convert(wide.c_str());
    if (!unix_path)
        return {};
    std::string result = unix_path;
    HeapFree(GetProcessHeap(), 0, unix_path);
    return result;
}

// Whether bytes hold a whole file in the format path names; import writes
// in place, so a file that has appeared may still be growing.
bool IsComplete(const std::string& path, const std::string& bytes)
{
    if (EndsWithNoCase(path, ".png")) {
        static constexpr std::string_view kEnd("IEND\xAE\x42\x60\x82", 8);
        return bytes.size() > kEnd.size() && std::string_view(bytes).ends_with(kEnd);
    }
    return !bytes.empty();
}

bool ScreenshotByImport(const std::string& path, milliseconds timeout)
{
    const std::string unix_target = UnixPath(path);
    if (unix_target.empty() || GetFileAttributesA(kImportTool) == INVALID_FILE_ATTRIBUTES)
        return false;
    DeleteFileA(path.c_str());
    std::string command = std::string(kImportTool) + " -window root \"" + unix_target + "\"";
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return false;
    }
    // Wine hands out no handles for a Unix process: the finished file is
    // the only sign that it is done.
    unique_handle process(info.hProcess);
    unique_handle thread(info.hThread);
    return WaitUntil([&] { return IsComplete(path, ReadWholeFile(path)); }, timeout);
}

} // namespace

bool Screenshot(const std::string& path, milliseconds timeout)
{
    const std::string full = FullPath(path);
    return EndsWithNoCase(full, ".bmp") ? ScreenshotBmp(full) : ScreenshotByImport(full, timeout);
}

std::optional<ScreenPicture> ScreenPicture::Read(const std::string& path)
{
    return FromBytes(ReadWholeFile(FullPath(path)));
}

std::optional<ScreenPicture> ScreenPicture::Capture()
{
    return FromBytes(CaptureBmpBytes());
}

bool ScreenPicture::Save(const std::string& path) const
{
    return WriteWholeFile(FullPath(path), bytes_.data(), bytes_.size());
}

std::optional<ScreenPicture> ScreenPicture::FromBytes(std::string bytes)
{
    constexpr size_t kHeaders = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    if (bytes.size() < kHeaders)
        return std::nullopt;
    const auto file = HeaderAt<BITMAPFILEHEADER>(bytes, 0);
    const auto info = HeaderAt<BITMAPINFOHEADER>(bytes, sizeof(BITMAPFILEHEADER));
    if (file.bfType != 0x4D42 || info.biBitCount != 24 || info.biCompression != BI_RGB || info.biWidth <= 0
        || info.biHeight <= 0 || file.bfOffBits < kHeaders
        || bytes.size() < file.bfOffBits + BmpStride(info.biWidth) * info.biHeight) {
        return std::nullopt;
    }
    return ScreenPicture(std::move(bytes), file.bfOffBits, info.biWidth, info.biHeight);
}

ScreenPicture::ScreenPicture(std::string bytes, size_t pixels_at, int width, int height)
    : bytes_(std::move(bytes))
    , pixels_at_(pixels_at)
    , stride_(BmpStride(width))
    , width_(width)
    , height_(height)
{
}

std::map<COLORREF, int> ScreenPicture::CountColoursIn(const RECT& rect) const
{
    std::map<COLORREF, int> counts;
    for (int y = std::max(0, static_cast<int>(rect.top)); y < std::min(height_, static_cast<int>(rect.bottom)); ++y) {
        // The file's first row is the screen's bottom one.
        const char* row = bytes_.data() + pixels_at_ + stride_ * (height_ - 1 - y);
        for (int x = std::max(0, static_cast<int>(rect.left)); x < std::min(width_, static_cast<int>(rect.right)); ++x) {
            const auto* pixel = reinterpret_cast<const unsigned char*>(row + 3 * x); // blue, green, red
            ++counts[RGB(pixel[2], pixel[1], pixel[0])];
        }
    }
    return counts;
}

std::set<COLORREF> ScreenPicture::ColoursIn(const RECT& rect) const
{
    std::set<COLORREF> colours;
    for (const auto& [colour, count] : CountColoursIn(rect))
        colours.insert(colour);
    return colours;
}

COLORREF ScreenPicture::CommonestColourIn(const RECT& rect) const
{
    const std::map<COLORREF, int> counts = CountColoursIn(rect);
    const auto commonest = std::max_element(
        counts.begin(), counts.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    return commonest == counts.end() ? RGB(0, 0, 0) : commonest->first;
}

bool IsDark(COLORREF colour)
{
    return GetRValue(colour) < 0x60 && GetGValue(colour) < 0x60 && GetBValue(colour) < 0x60;
}

bool ShowsPainted(const std::string& path, const std::vector<PaintedWindow>& windows, milliseconds timeout)
{
    return WaitUntil(
        [&] {
            const std::optional<ScreenPicture> screen = Screenshot(path) ? ScreenPicture::Read(path) : std::nullopt;
            if (!screen) {
                return false;
            }
            for (const PaintedWindow& painted : windows) {
                RECT rect {};
                GetWindowRect(painted.window, &rect);
                const std::set<COLORREF> colours = screen->ColoursIn(rect);
                if (colours.size() < 2 || (painted.text && std::none_of(colours.begin(), colours.end(), IsDark))) {
                    return false;
                }
            }
            return true;
        },
        timeout);
}

} // namespace gsd::e2e
