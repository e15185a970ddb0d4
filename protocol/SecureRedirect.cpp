#include "protocol/SecureRedirect.h"

#include <algorithm>

#include "protocol/AsciiCase.h"
#include "shell/SupportLogLines.h"

namespace gsd {
namespace {

constexpr std::string_view SecureScheme = "https://";
// Longest part of a Location value quoted back to the user.
constexpr std::size_t QuotedLocationBytes = 200;

// Blanks and control characters have no place in an address; a value with
// them is not taken apart at all.
bool HasUnsafeBytes(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
}

bool IsHostByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Host (lower case) and port of an authority "host[:port]"; nullopt when it
// holds anything else (user names, brackets, escapes, a second colon) or a
// port outside 1 to 65535.
struct Endpoint {
    std::string host;
    std::string port;
    bool operator==(const Endpoint&) const = default;
};

std::optional<Endpoint> ParseAuthority(std::string_view authority)
{
    const std::size_t colon = authority.find(':');
    const std::string_view host = authority.substr(0, colon);
    std::string_view port = colon == std::string_view::npos ? std::string_view("443") : authority.substr(colon + 1);
    if (host.empty() || !std::all_of(host.begin(), host.end(), IsHostByte) || port.empty()
        || !std::all_of(port.begin(), port.end(), IsDigit)) {
        return std::nullopt;
    }
    while (port.size() > 1 && port.front() == '0') {
        port.remove_prefix(1);
    }
    if (port.size() > 5 || port == "0" || (port.size() == 5 && port > "65535")) {
        return std::nullopt;
    }
    return Endpoint { AsciiLowered(host), std::string(port) };
}

// An HTTPS address taken apart: what a request goes to. The fragment is
// the client's own and never part of it.
struct AddressParts {
    Endpoint endpoint;
    std::string path;
    std::optional<std::string> query;
};

// Path and query of `rest`, the part of an address after its authority.
void SplitPathAndQuery(std::string_view rest, AddressParts& parts)
{
    rest = rest.substr(0, rest.find('#'));
    const std::size_t question = rest.find('?');
    parts.path = rest.substr(0, question);
    parts.query.reset();
    if (question != std::string_view::npos) {
        parts.query = std::string(rest.substr(question + 1));
    }
}

// The parts of an "https://" address (scheme in any case); nullopt for
// anything else or an authority ParseAuthority refuses.
std::optional<AddressParts> ParseSecureAddress(std::string_view url)
{
    if (!StartsWithIgnoringAsciiCase(url, SecureScheme)) {
        return std::nullopt;
    }
    const std::string_view rest = url.substr(SecureScheme.size());
    const std::size_t authorityEnd = std::min(rest.find_first_of("/?#"), rest.size());
    const std::optional<Endpoint> endpoint = ParseAuthority(rest.substr(0, authorityEnd));
    if (!endpoint) {
        return std::nullopt;
    }
    AddressParts parts { *endpoint, {}, std::nullopt };
    SplitPathAndQuery(rest.substr(authorityEnd), parts);
    return parts;
}

// `text` with every byte percent-encoded that could let another reader of
// the address find an authority, a fragment or anything else in it: only
// unreserved bytes, the separators a path or query holds, and escapes that
// are whole stay as they are; '@' and '\' are always encoded.
void AppendEncoded(std::string& out, std::string_view text, bool query)
{
    constexpr char Hex[] = "0123456789ABCDEF";
    constexpr std::string_view Kept = "-._~!$&'()*+,;=:/";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool escape = c == '%' && i + 2 < text.size() && IsHexDigit(text[i + 1]) && IsHexDigit(text[i + 2]);
        if (IsHostByte(c) || Kept.find(c) != std::string_view::npos || (query && c == '?') || escape) {
            out.push_back(c);
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        out.push_back('%');
        out.push_back(Hex[byte >> 4]);
        out.push_back(Hex[byte & 0x0F]);
    }
}

// The address the parts name, written out afresh.
std::string BuildAddress(const AddressParts& parts)
{
    std::string address(SecureScheme);
    address += parts.endpoint.host;
    if (parts.endpoint.port != "443") {
        address += ':';
        address += parts.endpoint.port;
    }
    if (!parts.path.starts_with('/')) {
        address += '/';
    }
    AppendEncoded(address, parts.path, false);
    if (parts.query) {
        address += '?';
        AppendEncoded(address, *parts.query, true);
    }
    return address;
}

} // namespace

bool IsRedirectStatus(int statusCode)
{
    return statusCode == 301 || statusCode == 302 || statusCode == 307 || statusCode == 308;
}

bool IsAllowedRedirectTarget(std::string_view server, std::string_view target, std::string_view allowedHosts)
{
    const std::optional<AddressParts> to = ParseSecureAddress(target);
    if (!to) {
        return false;
    }
    if (const std::optional<AddressParts> own = ParseSecureAddress(server); own && own->endpoint == to->endpoint) {
        return true;
    }
    while (!allowedHosts.empty()) {
        const std::size_t comma = allowedHosts.find(',');
        const std::string_view entry = allowedHosts.substr(0, comma);
        allowedHosts.remove_prefix(comma == std::string_view::npos ? allowedHosts.size() : comma + 1);
        if (ParseAuthority(entry) == to->endpoint) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> SecureRedirectTarget(std::string_view current, std::string_view location)
{
    if (location.empty() || HasUnsafeBytes(location)) {
        return std::nullopt;
    }
    std::optional<AddressParts> parts;
    if (StartsWithIgnoringAsciiCase(location, SecureScheme)) {
        parts = ParseSecureAddress(location);
    } else if (location.starts_with("//")) {
        parts = ParseSecureAddress(std::string("https:").append(location));
    } else if (location.front() == '/') {
        parts = ParseSecureAddress(current);
        if (parts) {
            SplitPathAndQuery(location, *parts);
        }
    }
    if (!parts) {
        return std::nullopt;
    }
    return BuildAddress(*parts);
}

bool StaysOnHttps(std::string_view location)
{
    return !HasUnsafeBytes(location)
        && (StartsWithIgnoringAsciiCase(location, SecureScheme) || location.starts_with('/'));
}

namespace {

// `location` for a message: one line, its first QuotedLocationBytes bytes.
std::string Quoted(std::string_view location)
{
    std::string quoted(location.substr(0, QuotedLocationBytes));
    for (char& c : quoted) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    if (location.size() > QuotedLocationBytes) {
        quoted += "...";
    }
    return quoted;
}

} // namespace

std::string InsecureRedirectText(std::string_view location)
{
    return "The download server sent the request on to \"" + Quoted(location)
        + "\", which is not a secure (HTTPS) address.  The request was not sent there.";
}

std::string ForeignRedirectText(std::string_view location)
{
    return "The download server sent the request on to \"" + Quoted(location)
        + "\", which is not an address of the download server.  The request was not sent there.";
}

std::string OverLongRedirectText()
{
    return "The download server sent the request on to an address of over 8 KB.  The request was not sent there.";
}

std::string RedirectLogLine(std::string_view action, int statusCode, std::string_view target)
{
    return "redirect " + OneLine(action) + ": HTTP " + std::to_string(statusCode) + " to " + OneLine(target);
}

std::string TooManyRedirectsText()
{
    return "The download server sent the request on more than " + std::to_string(MaxRedirectsFollowed)
        + " times.  The request was given up.";
}

} // namespace gsd
