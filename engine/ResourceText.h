// Reading a text resource whose absence means "empty", as for the version,
// language and pack fields the lists and reports show.
#pragma once

#include <string>
#include <string_view>

#include "ports/MediaEngine.h"

namespace gsd {

// The text of resource `key` of the reader's current file, or an empty text
// when the file has no such resource.
inline std::string ReadText(MediaReader& reader, std::string_view key)
{
    return reader.ReadResourceText(key).value_or(std::string());
}

} // namespace gsd
