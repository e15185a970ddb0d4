// The game's engine component as the core sees it. The Win32 adapter
// (GameDllEngine) loads Game.dll; tests use a fake.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace gsd {

// The engine's reader of named text resources in media files, for one
// reading pass. Destroying it releases the engine's reader object.
class MediaReader {
public:
    virtual ~MediaReader() = default;

    // Makes `fileName` (a bare name, found in the game's Media folder) the
    // current file; a later call simply switches files.
    virtual void OpenMediaFile(std::string_view fileName) = 0;

    // The text of resource `key` (type "txt") of the current file in the
    // selected language, copied before the engine's read is ended; nullopt
    // when the file has no such resource.
    virtual std::optional<std::string> ReadResourceText(std::string_view key) = 0;

    // Later reads return the texts of language `languageName`.
    virtual void SelectLanguage(std::string_view languageName) = 0;
};

class MediaEngine {
public:
    virtual ~MediaEngine() = default;

    // Creates the engine system for the main dialog. 0 means success.
    virtual int CreateSystem() = 0;

    // After a failed CreateSystem: why the engine could not be reached at
    // all, in words for the user, shown before the usual error. Empty when
    // there is nothing to add (the engine itself failed, or no cause is
    // known).
    virtual std::string UnavailableReason() const { return {}; }

    // Destroys the engine system. 0 means success.
    virtual int DestroySystem() = 0;

    // Runs the engine system once; its result means nothing to the program.
    virtual void ExecuteSystem() = 0;

    // Creates a reader and begins it; null when the engine refuses.
    virtual std::unique_ptr<MediaReader> CreateReader() = 0;
};

} // namespace gsd
