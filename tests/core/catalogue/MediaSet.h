// A small installation for the catalogue tests: Version.mdc, Language.mdc in
// English, Francais and Deutsch, and object packs added by name.
#pragma once

#include <string>

#include "fakes/FakeMediaEngine.h"
#include "fakes/FakeMediaFolder.h"

namespace gsd::testing {

inline void AddVersionAndLanguage(FakeMediaEngine& engine)
{
    engine.files["Version.mdc"][{ "", "Gravelpit Version" }] = "1|0|3";
    auto& language = engine.files["Language.mdc"];
    language[{ "", "Gravelpit Version" }] = "2|1|0";
    language[{ "", "Gravelpit Languages" }] = "|English|Francais|Deutsch";
    language[{ "", "Gravelpit Languages Available" }] = "1|1|0|1";
}

struct PackTexts {
    std::string version = "1|0|0";
    std::string flags = "1";
    std::string title;
    std::string author = "Author";
    std::string description = "Description";
};

inline void AddPack(FakeMediaEngine& engine, const std::string& fileName, const PackTexts& texts)
{
    auto& pack = engine.files[fileName];
    pack[{ "", "Gravelpit Objects" }] = "1";
    pack[{ "", "Gravelpit Version" }] = texts.version;
    pack[{ "", "Gravelpit Languages Available" }] = texts.flags;
    pack[{ "", "Gravelpit Object Pack Title" }] = texts.title;
    pack[{ "", "Gravelpit Object Pack Author" }] = texts.author;
    pack[{ "", "Gravelpit Object Pack Description" }] = texts.description;
}

} // namespace gsd::testing
