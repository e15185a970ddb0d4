#pragma once

#include "platform/Handles.h"

#include <windows.h>

#include <cstddef>

namespace gsd::e2e {

// A block of memory inside the process that owns a window, for messages
// whose pointers the system does not carry across processes (list-view and
// header messages). Each build's tests drive that build's program, so both
// processes have the same bitness and the structures the same layout on
// both sides. Freed with the object; setup failures throw
// std::runtime_error.
class RemoteMemory {
public:
    RemoteMemory(HWND window, size_t size);
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    ~RemoteMemory();

    // The block's address in the other process, to put into messages and
    // structures sent there; offset bytes into the block.
    void* Address(size_t offset = 0) const { return static_cast<char*>(address_) + offset; }
    LPARAM Param(size_t offset = 0) const { return reinterpret_cast<LPARAM>(Address(offset)); }

    // Copies size bytes between this process and the block at offset;
    // throws on failure.
    void Write(const void* data, size_t size, size_t offset = 0) const;
    void Read(void* data, size_t size, size_t offset = 0) const;

    template <typename T> void Put(const T& value, size_t offset = 0) const { Write(&value, sizeof value, offset); }
    template <typename T> T Get(size_t offset = 0) const
    {
        T value {};
        Read(&value, sizeof value, offset);
        return value;
    }

private:
    unique_handle process_;
    void* address_ = nullptr;
    size_t size_ = 0;
};

} // namespace gsd::e2e
