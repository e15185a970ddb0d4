// Owners for the Win32 handles the program uses. Each alias closes its handle
// with the one function that matches how it was obtained. Every owner of a
// handle is a UniqueResource over traits in handle_traits, here or, for a
// handle only one adapter uses, beside that adapter.
#pragma once

#include <windows.h>

#include "platform/UniqueResource.h"

namespace gsd {

namespace handle_traits {

struct Handle {
    using type = HANDLE;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::CloseHandle(h); }
};

struct File {
    using type = HANDLE;
    static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(type h) noexcept { ::CloseHandle(h); }
};

struct Find {
    using type = HANDLE;
    static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(type h) noexcept { ::FindClose(h); }
};

struct Module {
    using type = HMODULE;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::FreeLibrary(h); }
};

struct Key {
    using type = HKEY;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::RegCloseKey(h); }
};

struct Local {
    using type = HLOCAL;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::LocalFree(h); }
};

struct Window {
    using type = HWND;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::DestroyWindow(h); }
};

struct Region {
    using type = HRGN;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::DeleteObject(h); }
};

} // namespace handle_traits

using unique_handle = UniqueResource<handle_traits::Handle>;   // events, mutexes, processes
using unique_file = UniqueResource<handle_traits::File>;       // CreateFile results
using unique_hfind = UniqueResource<handle_traits::Find>;      // FindFirstFile searches
using unique_hmodule = UniqueResource<handle_traits::Module>;  // LoadLibrary results
using unique_hkey = UniqueResource<handle_traits::Key>;        // opened registry keys
using unique_hwnd = UniqueResource<handle_traits::Window>;     // modeless dialogs
using unique_hlocal = UniqueResource<handle_traits::Local>;    // buffers the system allocates for us
using unique_hrgn = UniqueResource<handle_traits::Region>;     // GDI regions

} // namespace gsd
