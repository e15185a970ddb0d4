#include "engine/ReadingPass.h"

#include "shell/FixedTexts.h"

namespace gsd {

ReadingPass::ReadingPass(MediaEngine& engine, MainWindow& window)
    : engine_(engine), window_(window), reader_(engine.CreateReader())
{
    if (!reader_) {
        window_.ShowMessage(fixed_text::LoadingMediaResourceFailed, fixed_text::ErrorCaption);
        window_.PostClose();
    }
}

ReadingPass::~ReadingPass()
{
    if (!reader_) {
        return;
    }
    reader_.reset();
    engine_.ExecuteSystem();
    window_.Repaint();
}

} // namespace gsd
