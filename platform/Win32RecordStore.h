// The RecordStore port over one registry key.
#pragma once

#include <windows.h>

#include <string>

#include "ports/RecordStore.h"

namespace gsd {

class Win32RecordStore final : public RecordStore {
public:
    // The game's key; tests pass a scratch key of their own.
    explicit Win32RecordStore(
        HKEY root = HKEY_LOCAL_MACHINE, std::string subkey = "Software\\Quil Studios\\Rubbleton Gravelpit");

    // RegOpenKeyExA with KEY_READ (Read) or KEY_READ | KEY_WRITE
    // (ReadWrite). A missing key is not created: null.
    std::unique_ptr<RecordStoreKey> Open(Access access) override;

private:
    HKEY root_;
    std::string subkey_;
};

} // namespace gsd
