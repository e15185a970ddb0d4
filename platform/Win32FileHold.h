// How the platform's adapters reach the file behind a HeldFile of
// Win32GameFiles, directly or through a wrapper: its open handle, so that a
// check reads the very file that is held and never opens it by name.
#pragma once

#include <windows.h>

#include <string>

#include "ports/GameFiles.h"

namespace gsd {

class Win32FileHold {
public:
    // The handle the file is held by; INVALID_HANDLE_VALUE once it has been
    // let go.
    [[nodiscard]] virtual HANDLE FileHandle() const = 0;

    // The file's full path under its current name, for calls that want one
    // besides the handle.
    [[nodiscard]] virtual std::wstring FilePath() const = 0;

protected:
    ~Win32FileHold() = default;
};

// The hold behind `file`; null for a file of any other kind.
inline const Win32FileHold* Win32FileHoldOf(const HeldFile& file)
{
    return dynamic_cast<const Win32FileHold*>(&file);
}

} // namespace gsd
