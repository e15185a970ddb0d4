#pragma once

// Helpers for building packs in memory in the tests.

#include "mdc/MdcReader.h"
#include "mdc/MdcWriter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace mdc::testing {

struct Item {
    std::string type;
    std::string language;
    std::string name;
    std::string data;
};

inline std::string packBytes(const std::vector<Item>& items)
{
    std::ostringstream out(std::ios::binary);
    MdcWriter writer(out);
    for (const Item& item : items) {
        EXPECT_TRUE(writer.addBytes({ item.type, item.name, item.language }, item.data)) << writer.error();
    }
    EXPECT_TRUE(writer.finish()) << writer.error();
    return out.str();
}

inline std::optional<MdcReader> openBytes(std::string bytes)
{
    return MdcReader::open(std::make_unique<MemorySource>(std::move(bytes)));
}

// A pack like the game's language file: texts in two languages, one
// language-neutral text, and a payload.
inline std::vector<Item> languagePackItems()
{
    return {
        { "txt", "", "Gravelpit Languages", "|English|Francais" },
        { "txt", "", "Gravelpit Version", "1|2|3" },
        { "txt", "English", "Gravelpit DU Main Dialog", "Download|Intro" },
        { "txt", "Francais", "Gravelpit DU Main Dialog",
            "T\xE9l\xE9"
            "charger|Intro" },
        { "txt", "", "Gravelpit DU Main Dialog", "Neutral|Intro" },
        { "txt", "Francais", "Gravelpit Object Pack Title", "Briques" },
        { "bin", "", "Gravelpit Version", std::string(1000, '\x7F') },
    };
}

} // namespace mdc::testing
