#include "platform/Win32RecordStore.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "platform/Handles.h"

namespace gsd {
namespace {

// Names and data are read back as into 260-byte buffers: at most 259 bytes
// of text each.
constexpr std::size_t LongestText = 259;

// The registry functions return their error code; the thread's last error
// says nothing about them.
bool Succeeded(LSTATUS status)
{
    return status == ERROR_SUCCESS;
}

struct EnumeratedValue {
    LSTATUS status = ERROR_SUCCESS;
    std::string name;
    DWORD type = REG_NONE;
    std::vector<char> data;
};

// RegEnumValueA into buffers of the given sizes (the name's counting its
// terminating zero).
EnumeratedValue EnumerateValue(HKEY key, DWORD index, DWORD nameCapacity, DWORD dataCapacity)
{
    EnumeratedValue value;
    std::vector<char> name(nameCapacity, '\0');
    value.data.assign(dataCapacity, '\0');
    DWORD nameLength = nameCapacity;
    DWORD dataSize = dataCapacity;
    value.status = ::RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &value.type,
        reinterpret_cast<BYTE*>(value.data.data()), &dataSize);
    if (Succeeded(value.status)) {
        value.name.assign(name.data(), std::min<std::size_t>(nameLength, nameCapacity));
        value.data.resize(std::min<std::size_t>(dataSize, dataCapacity));
    }
    return value;
}

// What the key's longest value name and data need, with room for a
// terminating zero; nullopt when the key cannot tell.
std::optional<std::pair<DWORD, DWORD>> LargestValueSizes(HKEY key)
{
    DWORD longestName = 0;
    DWORD largestData = 0;
    if (!Succeeded(::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
            &largestData, nullptr, nullptr))) {
        return std::nullopt;
    }
    return std::pair<DWORD, DWORD>(longestName + 1, largestData + 1);
}

class Win32RecordStoreKey final : public RecordStoreKey {
public:
    explicit Win32RecordStoreKey(unique_hkey key)
        : key_(std::move(key))
    {
    }

    std::optional<StoredValue> ValueAt(int index) override
    {
        if (index < 0) {
            return std::nullopt;
        }
        const auto position = static_cast<DWORD>(index);
        EnumeratedValue value = EnumerateValue(key_.get(), position, LongestText + 1, LongestText + 1);
        // A longer name or data fails the whole call and leaves the buffers
        // undefined: read the value whole into buffers the key says are
        // large enough (it may grow meanwhile: ask again), then cut it.
        for (int attempt = 0; value.status == ERROR_MORE_DATA && attempt < 3; ++attempt) {
            const auto sizes = LargestValueSizes(key_.get());
            if (!sizes) {
                return std::nullopt;
            }
            value = EnumerateValue(key_.get(), position, sizes->first, sizes->second);
        }
        if (!Succeeded(value.status)) {
            return std::nullopt;
        }
        StoredValue stored;
        stored.name = value.name.substr(0, LongestText);
        if (value.type == REG_SZ) {
            const auto end = std::find(value.data.begin(), value.data.end(), '\0');
            stored.data.assign(value.data.begin(), end);
            stored.data.resize(std::min(stored.data.size(), LongestText));
        }
        return stored;
    }

    bool SetValue(std::string_view name, std::string_view data) override
    {
        if (data.size() >= std::numeric_limits<DWORD>::max()) {
            return false;
        }
        const std::string terminated(data);
        return Succeeded(::RegSetValueExA(key_.get(), std::string(name).c_str(), 0, REG_SZ,
            reinterpret_cast<const BYTE*>(terminated.c_str()), static_cast<DWORD>(terminated.size() + 1)));
    }

    bool DeleteValue(std::string_view name) override
    {
        return Succeeded(::RegDeleteValueA(key_.get(), std::string(name).c_str()));
    }

private:
    unique_hkey key_;
};

} // namespace

Win32RecordStore::Win32RecordStore(HKEY root, std::string subkey, bool createForWriting)
    : root_(root)
    , subkey_(std::move(subkey))
    , createForWriting_(createForWriting)
{
}

std::unique_ptr<RecordStoreKey> Win32RecordStore::Open(Access access)
{
    const REGSAM rights = access == Access::Read ? KEY_READ : KEY_READ | KEY_WRITE;
    unique_hkey key;
    if (createForWriting_ && access == Access::ReadWrite) {
        if (!Succeeded(::RegCreateKeyExA(
                root_, subkey_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, rights, nullptr, key.put(), nullptr))) {
            return nullptr;
        }
    } else if (!Succeeded(::RegOpenKeyExA(root_, subkey_.c_str(), 0, rights, key.put()))) {
        return nullptr;
    }
    return std::make_unique<Win32RecordStoreKey>(std::move(key));
}

} // namespace gsd
