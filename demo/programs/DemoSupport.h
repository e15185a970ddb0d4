// What the demo's stand-in programs (game, game installer, upgrade installer)
// have in common: paths, journals, their embedded payloads and replacing a
// file in one step.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace gsd::demo {

// Paths here are UTF-8, so that a game folder named in any script works;
// SystemPath turns one into what the wide functions take (with the
// extended-length prefix when it is long).
std::wstring SystemPath(const std::string& path);

// The current directory without a trailing backslash; empty if it cannot be
// read.
std::string CurrentFolder();

// The folder holding this program's file, without a trailing backslash.
std::string ProgramFolder();

// The folder that holds `path`, without a trailing backslash: "C:\Game" for
// "C:\Game\Temp". Empty when `path` has no backslash.
std::string ParentFolder(const std::string& path);

// Appends `line` and CR LF to the journal file `path`, creating it if needed.
// A journal that cannot be written is not worth stopping a program for, so
// the result only says whether the line got there.
bool AppendJournalLine(const std::string& path, std::string_view line);

// The bytes of this program's RCDATA resource `id`; empty when it has none.
// The bytes live as long as the program.
std::string_view EmbeddedPayload(int id);

// Writes `bytes` to `staging`, flushes it to disk, then moves it over
// `target` in one step, so `target` is either the old file or the complete
// new one, never a part. While `target` is in use (a program that is just
// ending) the move is tried again for up to `patienceMs`. Returns 0, or the
// system error code of the step that failed; `staging` is removed on failure.
DWORD ReplaceFileWith(const std::string& target, const std::string& staging, std::string_view bytes,
    DWORD patienceMs = 0);

// The system's text for an error code, without the trailing line break.
std::string SystemErrorText(DWORD error);

// Whole seconds from the environment variable `name`, or `fallback` when it
// is unset or not a number from 0 to 600.
DWORD SecondsFromEnvironment(const char* name, DWORD fallback);

} // namespace gsd::demo
