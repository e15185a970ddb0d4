// An options file held in memory: created empty on the first read when it
// is missing, unless it cannot be created.
#pragma once

#include <optional>
#include <string>

#include "ports/OptionsFile.h"

namespace gsd::testing {

class FakeOptionsFile : public OptionsFile {
public:
    // The stored bytes; nullopt while the file does not exist.
    std::optional<std::string> bytes;
    bool canCreate = true;
    int reads = 0;

    std::optional<std::string> ReadFirstBytes(std::size_t count) override
    {
        ++reads;
        if (!bytes && canCreate) {
            bytes.emplace();
        }
        if (!bytes) {
            return std::nullopt;
        }
        return bytes->substr(0, count);
    }
};

} // namespace gsd::testing
