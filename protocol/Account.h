#pragma once

#include <string_view>

namespace gsd {

// The account field sent as field 4 of every server request. It is fixed when
// the program is built (the DOWNLOAD_ACCOUNT build setting) and empty unless
// set there.
std::string_view DownloadAccount();

} // namespace gsd
