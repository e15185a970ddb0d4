// A record store held in memory: values in writing order, or sorted by name
// the way Wine enumerates registry values; writes and deletes of chosen names
// refused.
#pragma once

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ports/RecordStore.h"

namespace gsd::testing {

class FakeRecordStore : public RecordStore {
public:
    // The values in writing order.
    std::vector<StoredValue> values;
    // Open fails, as for a missing key.
    bool missing = false;
    // Enumerates by name ("Item 1", "Item 10", "Item 2") instead of writing order.
    bool sortedByName = false;
    // Names whose deletion the store refuses.
    std::set<std::string> undeletable;
    // Names whose writing the store refuses (no rights, a full hive).
    std::set<std::string> unwritable;
    int keysOpen = 0;

    std::unique_ptr<RecordStoreKey> Open(Access) override
    {
        if (missing) {
            return nullptr;
        }
        return std::make_unique<Key>(*this);
    }

    // The data of the values, in writing order.
    std::vector<std::string> Data() const
    {
        std::vector<std::string> data;
        for (const StoredValue& value : values) {
            data.push_back(value.data);
        }
        return data;
    }

    // Name and data of the values, as "name=data", in writing order.
    std::vector<std::string> Pairs() const
    {
        std::vector<std::string> pairs;
        for (const StoredValue& value : values) {
            pairs.push_back(value.name + "=" + value.data);
        }
        return pairs;
    }

private:
    class Key : public RecordStoreKey {
    public:
        explicit Key(FakeRecordStore& store)
            : store_(store)
        {
            ++store_.keysOpen;
        }
        ~Key() override { --store_.keysOpen; }

        std::optional<StoredValue> ValueAt(int index) override
        {
            if (!store_.sortedByName) {
                if (index < 0 || index >= static_cast<int>(store_.values.size())) {
                    return std::nullopt;
                }
                return store_.values[static_cast<std::size_t>(index)];
            }
            std::vector<StoredValue> order = store_.values;
            std::stable_sort(order.begin(), order.end(),
                [](const StoredValue& a, const StoredValue& b) { return a.name < b.name; });
            if (index < 0 || index >= static_cast<int>(order.size())) {
                return std::nullopt;
            }
            return order[static_cast<std::size_t>(index)];
        }
        bool SetValue(std::string_view name, std::string_view data) override
        {
            if (store_.unwritable.contains(std::string(name))) {
                return false;
            }
            const auto found = Find(name);
            if (found != store_.values.end()) {
                found->data = std::string(data);
            } else {
                store_.values.push_back({ std::string(name), std::string(data) });
            }
            return true;
        }
        bool DeleteValue(std::string_view name) override
        {
            const auto found = Find(name);
            if (found == store_.values.end() || store_.undeletable.contains(std::string(name))) {
                return false;
            }
            store_.values.erase(found);
            return true;
        }

    private:
        std::vector<StoredValue>::iterator Find(std::string_view name)
        {
            return std::find_if(store_.values.begin(), store_.values.end(),
                [&](const StoredValue& value) { return value.name == name; });
        }

        FakeRecordStore& store_;
    };
};

} // namespace gsd::testing
