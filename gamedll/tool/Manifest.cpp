#include "tool/Manifest.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace mdc::tool {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// Takes the next blank-separated token off `rest`. A token in double quotes
// may hold blanks (language names such as "Brazilian Portuguese").
std::optional<std::string> takeToken(std::string_view& rest)
{
    rest = trim(rest);
    if (rest.empty()) {
        return std::nullopt;
    }
    std::size_t end = 0;
    std::string token;
    if (rest.front() == '"') {
        end = rest.find('"', 1);
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        token = std::string(rest.substr(1, end - 1));
        ++end;
        if (end < rest.size() && !isBlank(rest[end])) {
            return std::nullopt;
        }
    } else {
        while (end < rest.size() && !isBlank(rest[end])) {
            ++end;
        }
        token = std::string(rest.substr(0, end));
    }
    rest.remove_prefix(end);
    return token;
}

// Parses one directive line; returns an error message or an empty string.
std::string parseLine(std::string_view line, ManifestEntry& entry)
{
    std::string_view rest = line;
    const std::optional<std::string> directive = takeToken(rest);
    if (directive == "txt") {
        entry.source = ManifestEntry::Source::Text;
        entry.key.type = "txt";
    } else if (directive == "file" || directive == "zeros") {
        entry.source = directive == "file" ? ManifestEntry::Source::File : ManifestEntry::Source::Zeros;
        const std::optional<std::string> type = takeToken(rest);
        if (!type) {
            return "missing type";
        }
        entry.key.type = *type;
    } else {
        return "unknown directive (expected txt, file or zeros)";
    }

    const std::optional<std::string> language = takeToken(rest);
    if (!language) {
        return "missing language (use * for language-neutral)";
    }
    entry.key.language = *language == "*" ? std::string() : *language;

    // NAME = VALUE: the first " =" followed by a blank or the line's end.
    std::size_t sep = rest.find(" =");
    while (sep != std::string_view::npos && sep + 2 < rest.size() && !isBlank(rest[sep + 2])) {
        sep = rest.find(" =", sep + 1);
    }
    if (sep == std::string_view::npos) {
        return "missing \" = \" after the name";
    }
    entry.key.name = std::string(trim(rest.substr(0, sep)));
    std::string_view value = rest.substr(sep + 2);
    if (!value.empty()) {
        value.remove_prefix(1); // the one blank after '='; further blanks are text
    }

    switch (entry.source) {
    case ManifestEntry::Source::Text: {
        std::optional<std::string> text = unescapeText(value);
        if (!text) {
            return "bad escape in text (use \\n \\r \\t \\\\ or \\xHH)";
        }
        entry.text = std::move(*text);
        break;
    }
    case ManifestEntry::Source::File:
        entry.path = std::string(trim(value));
        if (entry.path.empty()) {
            return "missing file path";
        }
        break;
    case ManifestEntry::Source::Zeros: {
        const std::optional<std::uint64_t> count = parseByteCount(trim(value));
        if (!count) {
            return "bad byte count (decimal, optionally followed by K, M or G)";
        }
        entry.zeros = *count;
        break;
    }
    }
    if (const char* problem = checkKey(entry.key)) {
        return problem;
    }
    return {};
}

} // namespace

std::optional<std::string> unescapeText(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out.push_back(value[i]);
            continue;
        }
        if (++i == value.size()) {
            return std::nullopt;
        }
        switch (value[i]) {
        case 'n':
            out.push_back('\n');
            break;
        case 'r':
            out.push_back('\r');
            break;
        case 't':
            out.push_back('\t');
            break;
        case '\\':
            out.push_back('\\');
            break;
        case 'x': {
            if (value.size() - i < 3) {
                return std::nullopt;
            }
            // Exactly two hex digits, either case; no sign.
            const char* first = value.data() + i + 1;
            const char* last = first + 2;
            unsigned byte = 0;
            const auto [end, error] = std::from_chars(first, last, byte, 16);
            if (error != std::errc() || end != last) {
                return std::nullopt;
            }
            out.push_back(static_cast<char>(byte));
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::optional<std::uint64_t> parseByteCount(std::string_view value)
{
    std::uint64_t unit = 1;
    if (!value.empty()) {
        switch (value.back()) {
        case 'K':
            unit = 1ULL << 10;
            break;
        case 'M':
            unit = 1ULL << 20;
            break;
        case 'G':
            unit = 1ULL << 30;
            break;
        default:
            break;
        }
        if (unit != 1) {
            value.remove_suffix(1);
        }
    }
    if (value.empty()) {
        return std::nullopt;
    }
    // Digits only, all of them, and within 64 bits.
    std::uint64_t count = 0;
    const char* last = value.data() + value.size();
    const auto [end, error] = std::from_chars(value.data(), last, count);
    if (error != std::errc() || end != last) {
        return std::nullopt;
    }
    if (count > std::numeric_limits<std::uint64_t>::max() / unit) {
        return std::nullopt;
    }
    return count * unit;
}

std::optional<std::vector<ManifestEntry>> parseManifest(std::string_view text, std::string& error)
{
    std::vector<ManifestEntry> entries;
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::string_view content = trim(line);
        if (content.empty() || content.front() == '#') {
            continue;
        }

        ManifestEntry entry;
        entry.line = lineNumber;
        const std::string problem = parseLine(content, entry);
        if (!problem.empty()) {
            error = "line " + std::to_string(lineNumber) + ": " + problem;
            return std::nullopt;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace mdc::tool
