#pragma once

#include <string>
#include <string_view>

namespace gsd::e2e {

// The folder that holds the running test program, with a trailing
// backslash. The build puts the program, Game.dll and the test programs
// side by side there.
std::string BinFolder();

// `path` (UTF-8) as the wide file functions take it: with the
// extended-length prefix when it is too long for the classic limit.
std::wstring SystemPath(std::string_view path);

// `text` (UTF-8) in UTF-16, as it is.
std::wstring Widened(std::string_view text);

// A fresh game folder under the temporary folder, with "Media" and "Temp"
// subfolders, deleted with everything in it when the object goes. Its
// paths are UTF-8 (the same bytes as the ANSI code page's for ASCII names). Declare it
// before the ProgramRun that uses it, so the program has ended when the
// folder is deleted. Setup failures throw std::runtime_error.
class GameFolder {
public:
    enum class Contents {
        ProgramAndEngine, // SecureDownload.exe and Game.dll
        ProgramOnly, // SecureDownload.exe without Game.dll
        Empty, // nothing copied: the test adds what it needs
    };

    // `name` (UTF-8, "" for none) is added to the folder's generated name;
    // its backslashes make folders below folders. With `length` above 0 the
    // last folder's name is padded with "p" until the path is that long.
    explicit GameFolder(
        Contents contents = Contents::ProgramAndEngine, std::string_view name = {}, std::size_t length = 0);
    GameFolder(const GameFolder&) = delete;
    GameFolder& operator=(const GameFolder&) = delete;
    // Deletes the folder tree; retries for a while when files are still
    // in use, and leaves the folder behind (never throws) if that fails.
    ~GameFolder();

    // Absolute path without a trailing backslash.
    const std::string& Path() const { return path_; }

    // Absolute path of relative (e.g. "Media\\Language.mdc").
    std::string PathOf(std::string_view relative) const;

    // Creates or replaces relative with exactly these bytes.
    void Write(std::string_view relative, std::string_view bytes) const;

    // Copies the file source (absolute path) to relative.
    void CopyIn(const std::string& source, std::string_view relative) const;

    // Copies a file of BinFolder() into the game folder under the same name.
    void CopyFromBin(std::string_view name) const;

    // The bytes of relative; throws if it cannot be read.
    std::string Read(std::string_view relative) const;

    bool Exists(std::string_view relative) const;

private:
    std::string path_;
    // The generated folder below the temporary folder, which holds path_.
    std::string top_;
};

} // namespace gsd::e2e
