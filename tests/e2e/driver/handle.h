#pragma once

#include <windows.h>

#include <utility>

namespace gsd::e2e {

// Owns one kernel handle (process, thread, file, ...) and closes it exactly
// once. Movable, not copyable; both null and INVALID_HANDLE_VALUE mean "none".
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h)
        : handle_(h)
    {
    }
    UniqueHandle(UniqueHandle&& other) noexcept
        : handle_(other.release())
    {
    }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

    // Closes the handle held so far and takes ownership of h.
    void reset(HANDLE h = nullptr)
    {
        if (*this)
            CloseHandle(handle_);
        handle_ = h;
    }

    // Gives up ownership without closing.
    HANDLE release() { return std::exchange(handle_, nullptr); }

private:
    HANDLE handle_ = nullptr;
};

} // namespace gsd::e2e
