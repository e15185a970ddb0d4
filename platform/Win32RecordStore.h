// The RecordStore port over one registry key.
#pragma once

#include <windows.h>

#include <string>

#include "ports/RecordStore.h"

namespace gsd {

class Win32RecordStore final : public RecordStore {
public:
    // The game's key; tests pass a scratch key of their own. With
    // `createForWriting`, a missing key is created when opened ReadWrite.
    explicit Win32RecordStore(HKEY root = HKEY_LOCAL_MACHINE,
        std::string subkey = "Software\\Quil Studios\\Rubbleton Gravelpit", bool createForWriting = false);

    // RegOpenKeyExA with KEY_READ (Read) or KEY_READ | KEY_WRITE
    // (ReadWrite), in the same registry view either way. A missing key is
    // not created (null), unless the store creates it for writing
    // (RegCreateKeyExA).
    std::unique_ptr<RecordStoreKey> Open(Access access) override;

private:
    HKEY root_;
    std::string subkey_;
    bool createForWriting_;
};

// The key of the records of the media files the program installed, beside
// the download records.
inline constexpr const char* InstalledMediaKey = "Software\\Quil Studios\\Rubbleton Gravelpit\\Installed Media Files";

} // namespace gsd
