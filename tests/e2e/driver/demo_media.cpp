#include "demo_media.h"

#include <windows.h>

namespace gsd::e2e {

namespace {

// Ends a directory search on every path.
class DirectorySearch {
public:
    DirectorySearch(const std::string& pattern, WIN32_FIND_DATAA& found)
        : handle_(::FindFirstFileA(pattern.c_str(), &found))
    {
    }
    ~DirectorySearch()
    {
        if (handle_ != INVALID_HANDLE_VALUE) {
            ::FindClose(handle_);
        }
    }
    DirectorySearch(const DirectorySearch&) = delete;
    DirectorySearch& operator=(const DirectorySearch&) = delete;

    [[nodiscard]] bool Found() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAA& found) { return ::FindNextFileA(handle_, &found) != FALSE; }

private:
    HANDLE handle_;
};

} // namespace

const std::vector<std::string>& DemoMediaFiles()
{
    static const std::vector<std::string> names
        = { "Version.mdc", "Language.mdc", "Bricks.mdc", "Canals.mdc", "Quarry.mdc", "Sounds.mdc", "Windmills.mdc" };
    return names;
}

void CopyDemoMedia(const GameFolder& game)
{
    for (const std::string& name : DemoMediaFiles()) {
        game.CopyIn(BinFolder() + "..\\media\\" + name, "Media\\" + name);
    }
}

std::vector<std::string> MediaSearchOrder(const GameFolder& game)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    DirectorySearch search(game.PathOf("Media\\*.mdc"), found);
    if (!search.Found()) {
        return names;
    }
    do {
        names.emplace_back(found.cFileName);
    } while (search.Next(found));
    return names;
}

} // namespace gsd::e2e
