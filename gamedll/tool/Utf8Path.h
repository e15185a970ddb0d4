// mdctool names files in UTF-8 on every system: on Windows its command line
// is read wide and converted, so a folder named in any script works whatever
// the system's code page. These turn such a name into a path for the file
// functions and back, for messages.
#pragma once

#include <filesystem>
#include <string>

namespace mdc::tool {

inline std::filesystem::path pathOfUtf8(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8OfPath(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

} // namespace mdc::tool
