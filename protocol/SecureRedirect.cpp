#include "protocol/SecureRedirect.h"

#include <algorithm>

namespace gsd {
namespace {

constexpr std::string_view SecureScheme = "https://";
// Longest part of a Location value quoted back to the user.
constexpr std::size_t QuotedLocationBytes = 200;

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size()
        && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(a) == lower(b);
           });
}

// Blanks and control characters have no place in an address; a value with
// them is not taken apart at all.
bool HasUnsafeBytes(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
}

// "https://host[:port]" of `url`, without the path.
std::string_view Origin(std::string_view url)
{
    const std::size_t pathStart = url.find('/', SecureScheme.size());
    return url.substr(0, pathStart);
}

} // namespace

bool IsRedirectStatus(int statusCode)
{
    return statusCode == 301 || statusCode == 302 || statusCode == 303 || statusCode == 307 || statusCode == 308;
}

std::optional<std::string> SecureRedirectTarget(std::string_view current, std::string_view location)
{
    if (location.empty() || HasUnsafeBytes(location) || !StartsWithIgnoringCase(current, SecureScheme)) {
        return std::nullopt;
    }
    if (StartsWithIgnoringCase(location, SecureScheme)) {
        if (location.size() == SecureScheme.size()) {
            return std::nullopt;
        }
        return std::string(location);
    }
    if (location.starts_with("//")) {
        if (location.size() == 2) {
            return std::nullopt;
        }
        return std::string("https:").append(location);
    }
    if (location.front() == '/') {
        return std::string(Origin(current)).append(location);
    }
    return std::nullopt;
}

std::string InsecureRedirectText(std::string_view location)
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
    return "The download server sent the request on to \"" + quoted
        + "\", which is not a secure (HTTPS) address.  The request was not sent there.";
}

std::string TooManyRedirectsText()
{
    return "The download server sent the request on more than " + std::to_string(MaxRedirectsFollowed)
        + " times.  The request was given up.";
}

} // namespace gsd
