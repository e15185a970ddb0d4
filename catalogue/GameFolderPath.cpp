#include "catalogue/GameFolderPath.h"

#include <algorithm>

namespace gsd {

namespace {

constexpr std::string_view ExtendedPrefix = "\\\\?\\";
constexpr std::string_view ExtendedUncPrefix = "\\\\?\\UNC\\";
constexpr std::string_view NetworkPrefix = "\\\\";
constexpr std::string_view DevicePrefix = "\\\\.\\";

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDriveAbsolute(std::string_view path)
{
    return path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

// The system takes an extended-length path literally, so "." and ".." would
// name folders of those names instead of being resolved.
bool HasRelativeParts(std::string_view path)
{
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        const std::string_view part = path.substr(start, end - start);
        if (part == "." || part == "..") {
            return true;
        }
        start = end + 1;
    }
    return false;
}

GamePath Refused(std::string problem, std::string path = {})
{
    return { std::string(), std::move(problem), std::move(path) };
}

} // namespace

std::string PathTooLongText()
{
    return "The game folder's path is too long for this program to use:";
}

std::size_t Utf16Length(std::string_view text)
{
    std::size_t units = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        // Continuation bytes add nothing; a lead byte of four a second unit.
        if ((byte & 0xC0) != 0x80) {
            units += byte >= 0xF0 ? 2 : 1;
        }
    }
    return units;
}

std::string UnspellableNameText(std::string_view name)
{
    return "The file name \"" + std::string(name)
        + "\" is not a name this system can use: its code page holds no characters for some of its bytes.";
}

GamePath FormGamePath(std::string_view gameFolder, std::string_view relative)
{
    if (gameFolder.empty()) {
        return Refused("The game folder could not be determined.");
    }
    std::string joined(gameFolder);
    if (joined.back() != '\\' && joined.back() != '/') {
        joined.push_back('\\');
    }
    joined.append(relative);
    if (Utf16Length(joined) < ClassicPathLimit) {
        return { std::move(joined), std::string(), std::string() };
    }

    std::replace(joined.begin(), joined.end(), '/', '\\');
    std::string extended;
    if (joined.starts_with(ExtendedPrefix)) {
        extended = joined;
    } else if (IsDriveAbsolute(joined)) {
        extended = std::string(ExtendedPrefix) + joined;
    } else if (joined.starts_with(NetworkPrefix) && !joined.starts_with(DevicePrefix)) {
        extended = std::string(ExtendedUncPrefix) + joined.substr(NetworkPrefix.size());
    } else {
        return Refused(PathTooLongText(), joined);
    }
    const std::string_view afterPrefix = std::string_view(extended).substr(ExtendedPrefix.size());
    if (HasRelativeParts(afterPrefix) || Utf16Length(extended) >= ExtendedPathLimit) {
        return Refused(PathTooLongText(), joined);
    }
    return { std::move(extended), std::string(), std::string() };
}

} // namespace gsd
