// Where the program's process looks for libraries it loads by name.
#pragma once

namespace gsd {

// Takes the current directory out of the library search of this process
// (SetDllDirectoryA("")) and, where the system has it, limits the search to
// the program's folder and the system's (SetDefaultDllDirectories). The
// program runs with administrator rights in a folder others may write to:
// a library planted there must never be loaded by accident. Call it first
// thing, before anything loads a library by name.
void RestrictDllSearchPath();

} // namespace gsd
