// What Game.dll exports and the layout of the reader object it hands out, as
// the program relies on them. The reader's virtual operations must stay in
// this slot order: the engine's object is used through this table.
#pragma once

#include <windows.h>

namespace gsd::game_dll {

// The kind of interface CreateInterface makes for reading media resources.
inline constexpr int MediaResourceReaderKind = 16;

class MediaResourceReader {
public:
    virtual void Release() = 0;
    virtual void Begin() = 0;
    virtual int OpenMediaFile(const char* fileName) = 0;
    virtual const char* ReadResourceText(const char* name, const char* type, const char* format) = 0;
    virtual void EndResourceRead() = 0;
    virtual void SelectLanguage(const char* languageName) = 0;

protected:
    // The engine destroys the object through Release, never the program.
    ~MediaResourceReader() = default;
};

// The exports are C functions of the C calling convention under their plain
// names, on 32-bit Windows too (where the system's own convention would
// decorate them as _Name@N), so one set of names resolves on both bitnesses.
using CreateSystemFn = int(__cdecl*)(HWND window, HINSTANCE instance);
using DestroySystemFn = int(__cdecl*)();
using ExecuteSystemFn = int(__cdecl*)();
using CreateInterfaceFn = int(__cdecl*)(int kind, void** object);

} // namespace gsd::game_dll
