// One reading pass over media files: a reader that lives exactly as long as
// this object. When the engine refuses to make a reader, the pass reports it
// and asks the main dialog to close; when a pass with a reader ends, the reader
// is released, the engine system runs once and the main dialog is repainted.
#pragma once

#include <memory>

#include "ports/MainWindow.h"
#include "ports/MediaEngine.h"

namespace gsd {

class ReadingPass {
public:
    ReadingPass(MediaEngine& engine, MainWindow& window);
    ~ReadingPass();

    ReadingPass(const ReadingPass&) = delete;
    ReadingPass& operator=(const ReadingPass&) = delete;

    // False when the pass was abandoned because no reader could be made.
    explicit operator bool() const noexcept { return reader_ != nullptr; }

    // The pass's reader; only valid while the pass is.
    MediaReader& reader() { return *reader_; }

private:
    MediaEngine& engine_;
    MainWindow& window_;
    std::unique_ptr<MediaReader> reader_;
};

} // namespace gsd
