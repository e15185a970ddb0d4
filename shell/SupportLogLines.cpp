#include "shell/SupportLogLines.h"

#include <cstdio>

namespace gsd {

std::string OneLine(std::string_view text)
{
    std::string line(text.substr(0, LoggedTextBytes));
    for (char& c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = ' ';
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

std::string InstallerCheckLogLine(
    std::string_view fileName, std::string_view verdict, std::string_view signerKey, double seconds)
{
    char formatted[32];
    std::snprintf(formatted, sizeof formatted, "%.3f", seconds);
    return "installer " + OneLine(fileName) + " checked: " + OneLine(verdict) + ", signer "
        + (signerKey.empty() ? std::string("unknown") : OneLine(signerKey)) + ", " + formatted + " s";
}

std::string MessageLogLine(std::string_view caption, std::string_view text, std::string_view answer)
{
    return "message " + OneLine(caption) + ": " + OneLine(text) + " [" + OneLine(answer) + "]";
}

} // namespace gsd
