// The engine with the window thread's sent messages answered between two
// media files of a reading pass. A pass reads every pack of the game folder
// on the window thread (the engine is made for the main window's thread);
// between two files the engine is between calls, so other programs get
// their answers there and never find the program frozen during a long pass.
#pragma once

#include <memory>
#include <string>

#include "ports/MediaEngine.h"

namespace gsd {

// Passes every call on to `engine`. Its readers answer the messages sent to
// the calling thread's windows (AnswerSentMessages) before each
// OpenMediaFile, and pass everything else on. Nothing posted is taken, so no
// input reaches a window in the middle of a pass.
class MediaEngineAnsweringBetweenPacks final : public MediaEngine {
public:
    // `engine` must outlive this object and every reader it returns.
    explicit MediaEngineAnsweringBetweenPacks(MediaEngine& engine);

    int CreateSystem() override;
    std::string UnavailableReason() const override;
    int DestroySystem() override;
    void ExecuteSystem() override;
    // Null when the engine refuses.
    std::unique_ptr<MediaReader> CreateReader() override;

private:
    MediaEngine& engine_;
};

} // namespace gsd
