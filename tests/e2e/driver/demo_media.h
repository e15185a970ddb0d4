#pragma once

// The demo's media files, which the build packs into its media folder beside
// the bin folder, and where the program finds them in a game folder.

#include <string>
#include <vector>

#include "game_folder.h"

namespace gsd::e2e {

// The names of the demo's media files: Version.mdc, Language.mdc, the packs.
const std::vector<std::string>& DemoMediaFiles();

// Copies every demo media file into the game folder's Media folder.
void CopyDemoMedia(const GameFolder& game);

// The .mdc files of the game folder's Media folder in the order a directory
// search finds them, which is the order the program reads them in.
std::vector<std::string> MediaSearchOrder(const GameFolder& game);

} // namespace gsd::e2e
