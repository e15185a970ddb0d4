#include "remote_memory.h"

#include <stdexcept>
#include <string>

namespace gsd::e2e {
namespace {

[[noreturn]] void Fail(const char* what)
{
    throw std::runtime_error(std::string(what) + " (error " + std::to_string(GetLastError()) + ")");
}

} // namespace

RemoteMemory::RemoteMemory(HWND window, size_t size)
    : size_(size)
{
    DWORD pid = 0;
    if (!GetWindowThreadProcessId(window, &pid))
        Fail("GetWindowThreadProcessId");
    process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!process_)
        Fail("OpenProcess");
    address_ = VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!address_)
        Fail("VirtualAllocEx");
}

RemoteMemory::~RemoteMemory()
{
    VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
}

void RemoteMemory::Write(const void* data, size_t size, size_t offset) const
{
    SIZE_T done = 0;
    if (offset + size > size_ || !WriteProcessMemory(process_.get(), Address(offset), data, size, &done)
        || done != size) {
        Fail("WriteProcessMemory");
    }
}

void RemoteMemory::Read(void* data, size_t size, size_t offset) const
{
    SIZE_T done = 0;
    if (offset + size > size_ || !ReadProcessMemory(process_.get(), Address(offset), data, size, &done)
        || done != size) {
        Fail("ReadProcessMemory");
    }
}

} // namespace gsd::e2e
