// Sole ownership of one Win32 handle (or any value with a close function).
// Non-copyable, movable; the handle is closed on destruction and on reset.
#pragma once

#include <utility>

namespace gsd {

// Traits: `using type = ...;`, `static type invalid() noexcept;` and
// `static void close(type) noexcept;`.
template <typename Traits>
class UniqueResource {
public:
    using pointer = typename Traits::type;

    UniqueResource() noexcept = default;
    explicit UniqueResource(pointer value) noexcept : value_(value) {}
    ~UniqueResource() { reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    [[nodiscard]] pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    // Closes the owned handle (if any) and takes `value` instead.
    void reset(pointer value = Traits::invalid()) noexcept
    {
        pointer old = std::exchange(value_, value);
        if (old != Traits::invalid()) {
            Traits::close(old);
        }
    }

    // Gives up ownership without closing.
    [[nodiscard]] pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }

    // Closes the owned handle and returns the address to receive a new one
    // from an out-parameter API.
    pointer* put() noexcept
    {
        reset();
        return &value_;
    }

private:
    pointer value_ = Traits::invalid();
};

} // namespace gsd
