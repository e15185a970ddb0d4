#pragma once

#include <string>
#include <string_view>

namespace gsd {

// The form body of a request is its kind prefix followed by its payload, with
// no terminator; its length is its byte count.
inline constexpr std::string_view AuthenticationBodyPrefix = "ACTION_REQUEST=AUTHENTICATE+HOST&ACTION_MESSAGE=";
inline constexpr std::string_view DownloadListBodyPrefix = "ACTION_REQUEST=RETURN+DOWNLOAD+LIST&ACTION_MESSAGE=";
inline constexpr std::string_view FileBodyPrefix = "ACTION_REQUEST=RETURN+FILE&ACTION_MESSAGE=";

// Returns `kindPrefix` followed by `payload`, both byte for byte.
std::string ActionRequestBody(std::string_view kindPrefix, std::string_view payload);

// Host authentication: the message goes in raw, scrambled bytes and all.
std::string AuthenticationRequestBody(std::string_view message);

// Download list: the message goes in form-encoded.
std::string DownloadListRequestBody(std::string_view message);

// File request: the message goes in form-encoded.
std::string FileRequestBody(std::string_view message);

} // namespace gsd
