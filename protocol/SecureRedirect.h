// Where a redirect of the download server may lead. Requests to the server
// carry the account field and the inventory, and what comes back may be an
// installer: a reply from an address that is not HTTPS is never asked for.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace gsd {

// Redirects followed within one attempt before the exchange gives up.
inline constexpr int MaxRedirectsFollowed = 5;

// Whether `statusCode` asks the client to repeat the request elsewhere
// (301, 302, 303, 307, 308).
bool IsRedirectStatus(int statusCode);

// The address a redirect from `current` (an "https://" address) with the
// Location value `location` leads to, when it is an HTTPS address: an
// absolute "https://" address (scheme in any case), a scheme-relative
// "//host/path" or an absolute path "/path" on the current host. nullopt
// for anything else: another scheme ("http://", "ftp:"), a relative path,
// an empty value, or a value holding control characters or blanks.
std::optional<std::string> SecureRedirectTarget(std::string_view current, std::string_view location);

// The message shown when a redirect to `location` is not followed.
std::string InsecureRedirectText(std::string_view location);

// The message shown when the server redirects more than
// MaxRedirectsFollowed times in a row.
std::string TooManyRedirectsText();

} // namespace gsd
