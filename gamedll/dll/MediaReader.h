#pragma once

#include "GameSystem.h"
#include "mdc/MdcReader.h"

#include <optional>
#include <string>

namespace gamedll {

// The MediaResourceReader that CreateInterface hands out. Keeps the current
// pack open (header and index parsed once) until another file is opened or
// the reader is released; reads only the one resource asked for.
class MediaReader final : public MediaResourceReader {
public:
    void Release() override;
    void Begin() override;
    int OpenMediaFile(const char* fileName) override;
    const char* ReadResourceText(const char* name, const char* type, const char* format) override;
    void EndResourceRead() override;
    void SelectLanguage(const char* languageName) override;

private:
    std::optional<mdc::MdcReader> current_;
    std::string language_;
    std::string text_;
};

} // namespace gamedll
