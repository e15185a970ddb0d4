// Strings from the program's string table.
#pragma once

#include <windows.h>

#include <string>

namespace gsd {

// The text of string resource `id`, or the empty text when there is none.
std::string LoadResourceString(HINSTANCE instance, UINT id);

} // namespace gsd
