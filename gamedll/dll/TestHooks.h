#pragma once

// Hooks that let the program's tests watch and steer this stand-in, read from
// the environment at every call so a test can change them between calls:
//
//   GAME_DLL_TRACE=<file>   every export and reader operation appends one line
//   GAME_DLL_FAIL=<names>   comma-separated among CreateSystem, DestroySystem
//                           and CreateInterface: those return 1
//   GAME_DLL_CRASH=<names>  the same names: those raise an access violation
//                           (0xC0000005) that nobody handles

#include <string>
#include <string_view>

namespace gamedll {

// Appends `line` and a line feed to the trace file, if one is named. The file
// is opened and closed for each line, so the trace survives a crash of the
// process. Never throws.
void trace(std::string_view line) noexcept;

// True when GAME_DLL_FAIL names `operation`.
bool failureRequested(std::string_view operation);

// Raises an access violation when GAME_DLL_CRASH names `operation`.
void crashWhenRequested(std::string_view operation);

} // namespace gamedll
