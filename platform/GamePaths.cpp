#include "platform/GamePaths.h"

#include <windows.h>

namespace gsd {
namespace {

std::string Narrowed(UINT codePage, std::wstring_view wide)
{
    if (wide.empty()) {
        return {};
    }
    const int size = ::WideCharToMultiByte(
        codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        ::WideCharToMultiByte(
            codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr);
    }
    return text;
}

// The path rules work on UTF-8, which holds every character of a UTF-16
// path and keeps the ASCII separators and prefixes they look at.
std::string Utf8Of(std::wstring_view wide)
{
    return Narrowed(CP_UTF8, wide);
}

std::optional<std::wstring> Widened(UINT codePage, DWORD flags, std::string_view text)
{
    if (text.empty()) {
        return std::wstring();
    }
    const int size = ::MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

} // namespace

std::optional<std::wstring> CurrentDirectory()
{
    // The first call tells the size the directory needs, its NUL included;
    // the directory may change in between, so ask again until it fits.
    DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    while (size != 0) {
        std::wstring directory(size, L'\0');
        const DWORD length = ::GetCurrentDirectoryW(size, directory.data());
        if (length == 0) {
            break;
        }
        if (length < size) {
            directory.resize(length);
            return directory;
        }
        size = length;
    }
    return std::nullopt;
}

std::optional<std::wstring> ProgramFile()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::nullopt;
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::optional<std::wstring> WidenedName(std::string_view text)
{
    return Widened(CP_ACP, MB_ERR_INVALID_CHARS, text);
}

std::string ShownPath(std::wstring_view path)
{
    return Utf8Of(path);
}

std::string ShownName(std::string_view name)
{
    return Utf8Of(Widened(CP_ACP, 0, name).value_or(std::wstring()));
}

std::string ShownGameFolder()
{
    const std::optional<std::wstring> folder = CurrentDirectory();
    return folder ? Utf8Of(*folder) : std::string();
}

std::optional<std::string> NarrowedName(std::wstring_view name)
{
    if (name.empty()) {
        return std::string();
    }
    // Without best fit, a character the code page lacks is not quietly
    // replaced by a look-alike that names another file.
    BOOL usedDefault = FALSE;
    const int size = ::WideCharToMultiByte(
        CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), static_cast<int>(name.size()), nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string narrow(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), static_cast<int>(name.size()), narrow.data(),
        size, nullptr, nullptr);
    return narrow;
}

WideGamePath GameFolderPath(std::string_view relative)
{
    const std::optional<std::wstring> folder = CurrentDirectory();
    const std::optional<std::wstring> name = WidenedName(relative);
    if (!name) {
        return { std::wstring(), UnspellableNameText(relative), std::string() };
    }
    const GamePath formed = FormGamePath(folder ? Utf8Of(*folder) : std::string(), Utf8Of(*name));
    if (!formed.Problem.empty()) {
        return { std::wstring(), formed.Problem, formed.ProblemPath };
    }
    return { Widened(CP_UTF8, 0, formed.Path).value_or(std::wstring()), std::string(), std::string() };
}

WideGamePath GameFolderDirectory(std::string_view relative)
{
    WideGamePath folder = GameFolderPath(relative);
    if (folder.Problem.empty() && (folder.Path.empty() || folder.Path.back() != L'\\')) {
        folder.Path.push_back(L'\\');
    }
    return folder;
}

bool IsPathTooLongError(unsigned long lastError)
{
    return lastError == ERROR_FILENAME_EXCED_RANGE;
}

} // namespace gsd
