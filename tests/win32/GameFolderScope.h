// A throw-away game folder (with "Media" and "Temp") that is the current
// directory while it lives, as the program's game folder is.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "driver/game_folder.h"

namespace gsd::testing {

class GameFolderScope {
public:
    explicit GameFolderScope(e2e::GameFolder::Contents contents = e2e::GameFolder::Contents::Empty)
        : game_(contents)
    {
        char previous[MAX_PATH];
        const DWORD length = GetCurrentDirectoryA(MAX_PATH, previous);
        previous_.assign(previous, length < MAX_PATH ? length : 0);
        EXPECT_TRUE(SetCurrentDirectoryA(game_.Path().c_str()));
    }

    ~GameFolderScope() { SetCurrentDirectoryA(previous_.c_str()); }

    GameFolderScope(const GameFolderScope&) = delete;
    GameFolderScope& operator=(const GameFolderScope&) = delete;

    const e2e::GameFolder& Game() const { return game_; }

private:
    e2e::GameFolder game_;
    std::string previous_;
};

} // namespace gsd::testing
