// The game folder at the program's start: the working folder, or the
// program's own folder when only that one holds the game's engine
// (ChooseGameFolder).
#pragma once

#include <string>

namespace gsd {

// Looks for Game.dll in the working folder and in the folder of this
// program's file, and makes the program's folder the current directory
// when ChooseGameFolder picks it (SetCurrentDirectoryW). Returns the line
// for the support log that says so (GameFolderMoveLogLine), empty when the
// working folder stays the game folder. Call it before anything reads or
// writes a file of the game folder.
std::string SettleGameFolder();

} // namespace gsd
