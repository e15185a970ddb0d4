// The download records' store: the named string values of one key that also
// holds other values of the game. The Win32 adapter is the registry key
// "Software\Quil Studios\Rubbleton Gravelpit" under HKEY_LOCAL_MACHINE;
// tests keep the values in memory.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace gsd {

struct StoredValue {
    std::string name;
    // The value's data up to its terminating zero.
    std::string data;
};

// One opening of the key; closed on destruction.
class RecordStoreKey {
public:
    virtual ~RecordStoreKey() = default;

    // The value at `index` in the store's own order (the order of writing
    // on Windows; by name under Wine); nullopt past the last value. Names and
    // data longer than 259 bytes are cut there.
    virtual std::optional<StoredValue> ValueAt(int index) = 0;

    // Writes a string value, stored with its terminating zero. False when
    // the store refuses.
    virtual bool SetValue(std::string_view name, std::string_view data) = 0;

    // Deletes a value. False when the store refuses (or has no such value).
    virtual bool DeleteValue(std::string_view name) = 0;
};

class RecordStore {
public:
    virtual ~RecordStore() = default;

    enum class Access { Read, ReadWrite };

    // Opens the key afresh; null when it cannot be opened.
    virtual std::unique_ptr<RecordStoreKey> Open(Access access) = 0;
};

} // namespace gsd
