#pragma once

#include "GameSystem.h"

#include <string>

namespace gamedll {

// The MediaResourceReader that CreateInterface hands out. Holds no file open
// between calls: opening a file checks the pack and closes it again, and each
// read opens the pack, reads its header, its index and the one resource asked
// for, and closes it. So a pack can be replaced while a reader has it current
// (the language file while the download client runs), and the next read finds
// the new one.
class MediaReader final : public MediaResourceReader {
public:
    void Release() override;
    void Begin() override;
    int OpenMediaFile(const char* fileName) override;
    const char* ReadResourceText(const char* name, const char* type, const char* format) override;
    void EndResourceRead() override;
    void SelectLanguage(const char* languageName) override;

private:
    // The current file, as opened (relative to the current directory); empty
    // when no file is current.
    std::string currentPath_;
    std::string language_;
    std::string text_;
};

} // namespace gamedll
