// The fixed parameters of every request to the download server.
#pragma once

#include <cstdint>
#include <string_view>

namespace gsd {

// The download server's script, fixed when the program is built (the
// DOWNLOAD_SERVER_URL build setting).
std::string_view DownloadServerUrl();

// Hosts besides the server's own that a redirect may lead to, for a
// publisher whose files come from a mirror: "host" or "host:port",
// separated by commas (the DOWNLOAD_REDIRECT_HOSTS build setting).
std::string_view DownloadRedirectHosts();

// User agent of every root session.
inline constexpr std::string_view ServerUserAgent = "Veraduri Ravirove 2003";

// Open flags of the connection check: reload, no cache write, secure,
// binary transfer.
inline constexpr std::uint32_t ConnectionCheckOpenFlags = 0x84800002;

// Open flags of every request with a body: reload, no cache write, binary
// transfer. TLS comes from the "https" scheme of the address.
inline constexpr std::uint32_t BodyRequestOpenFlags = 0x84000002;

// The header line sent with every body.
inline constexpr std::string_view FormBodyHeader = "Content-Type: application/x-www-form-urlencoded";

} // namespace gsd
