#include "shell/SupportLogLines.h"

#include <cstdio>

namespace gsd {

std::string OneLine(std::string_view text)
{
    constexpr char Hex[] = "0123456789ABCDEF";
    std::string line;
    for (const char c : text.substr(0, LoggedTextBytes)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) {
            line += "\\x";
            line += Hex[byte >> 4];
            line += Hex[byte & 0x0F];
        } else {
            line += c;
        }
    }
    if (text.size() > LoggedTextBytes) {
        line += "...";
    }
    return line;
}

std::string StartLogLine(std::string_view version, int bits)
{
    return "start Gravelpit Secure Download " + OneLine(version) + " (" + std::to_string(bits) + "-bit)";
}

std::string ExchangeLogLine(const ExchangeLogEntry& entry)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", entry.seconds);
    std::string line = "exchange " + OneLine(entry.action) + ": " + OneLine(entry.ending) + ", HTTP "
        + std::to_string(entry.statusCode) + ", " + std::to_string(entry.bytes) + " bytes, " + seconds + " s";
    if (entry.internetError != 0) {
        line += ", Internet error " + std::to_string(entry.internetError);
    }
    return line;
}

std::string ItemLogLine(std::string_view fileName, int kind, std::string_view outcome, std::uint64_t bytes)
{
    return "item " + OneLine(fileName) + " (kind " + std::to_string(kind) + "): " + OneLine(outcome) + ", "
        + std::to_string(bytes) + " bytes";
}

std::string InstallerStartedLogLine(std::string_view fileName)
{
    return "installer " + OneLine(fileName) + " started";
}

std::string InstallerEndedLogLine(std::string_view fileName, std::optional<std::uint32_t> exitCode)
{
    return "installer " + OneLine(fileName) + " ended, exit code "
        + (exitCode ? std::to_string(*exitCode) : std::string("unknown"));
}

std::string MessageLogLine(std::string_view caption, std::string_view text, std::string_view answer)
{
    return "message " + OneLine(caption) + ": " + OneLine(text) + " [" + OneLine(answer) + "]";
}

} // namespace gsd
