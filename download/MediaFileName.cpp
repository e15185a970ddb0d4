#include "download/MediaFileName.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace gsd {
namespace {

bool SameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

// The fourth character of a COM or LPT port name: a digit, or one of the
// superscripts one to three as the ANSI code page spells them, which Windows
// also takes for the port ("COM\xB9" is COM1). Zero is reserved as well.
bool IsPortNumber(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= '0' && byte <= '9') || byte == 0xB9 || byte == 0xB2 || byte == 0xB3;
}

// Windows takes the part before the first dot, blanks at its end dropped,
// as the device name: "nul .txt" is the device too.
bool IsDeviceName(std::string_view fileName)
{
    std::string_view stem = fileName.substr(0, fileName.find('.'));
    while (!stem.empty() && stem.back() == ' ') {
        stem.remove_suffix(1);
    }
    constexpr std::array<std::string_view, 4> plain = { "CON", "PRN", "AUX", "NUL" };
    if (std::any_of(plain.begin(), plain.end(), [&](std::string_view name) { return SameLetters(stem, name); })) {
        return true;
    }
    return stem.size() == 4 && (SameLetters(stem.substr(0, 3), "COM") || SameLetters(stem.substr(0, 3), "LPT"))
        && IsPortNumber(stem[3]);
}

} // namespace

std::string_view MediaFileNameProblem(std::string_view fileName)
{
    if (fileName.empty()) {
        return "it is empty";
    }
    if (fileName.find_first_of("\\/") != std::string_view::npos) {
        return "it holds a path separator";
    }
    if (fileName.find(':') != std::string_view::npos) {
        return "it holds a drive colon";
    }
    if (fileName.find("..") != std::string_view::npos) {
        return "it holds \"..\"";
    }
    if (std::any_of(fileName.begin(), fileName.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte < 0x20 || byte == 0x7F;
        })) {
        return "it holds a control character";
    }
    if (fileName.find_first_of("<>\"|?*") != std::string_view::npos) {
        return "it holds a character that file names may not hold";
    }
    if (fileName.back() == '.' || fileName.back() == ' ') {
        return "it ends in a dot or a blank";
    }
    if (IsDeviceName(fileName)) {
        return "it is the name of a device";
    }
    return {};
}

std::string MediaFilePath(std::string_view fileName)
{
    return "Media\\" + std::string(fileName) + ".mdc";
}

std::string MediaFileNameErrorText(std::string_view fileName, std::string_view problem)
{
    return "The server named the file \"" + std::string(fileName)
        + "\" for this item, which cannot be installed in the Media folder: " + std::string(problem) + ".";
}

} // namespace gsd
