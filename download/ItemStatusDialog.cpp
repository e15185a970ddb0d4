#include "download/ItemStatusDialog.h"

namespace gsd {
namespace {

class ItemStatus final : public StatusDialog {
public:
    ItemStatus(std::unique_ptr<StatusDialog> dialog, const MainDialogState& state)
        : dialog_(std::move(dialog))
        , state_(state)
    {
    }

    void Show() override
    {
        if (dialog_) {
            dialog_->Show();
        }
    }

    void SetStatusLine(std::string_view text) override
    {
        if (dialog_) {
            dialog_->SetStatusLine(text);
        }
    }

    void SetDetailLines(std::string_view text, bool repaint) override
    {
        if (dialog_) {
            dialog_->SetDetailLines(text, repaint);
        }
    }

    bool CancelRequested() const override { return state_.CloseAsked || (dialog_ && dialog_->CancelRequested()); }

    void DisableCancel() override
    {
        if (dialog_) {
            dialog_->DisableCancel();
        }
    }

    void SetProgress(double fraction) override
    {
        if (dialog_) {
            dialog_->SetProgress(fraction);
        }
    }

    // The sign-in of a proxy is shown over the item's own window.
    WindowHandle Window() const override { return dialog_ ? dialog_->Window() : WindowHandle::None; }

private:
    std::unique_ptr<StatusDialog> dialog_;
    const MainDialogState& state_;
};

} // namespace

std::unique_ptr<StatusDialog> ItemStatusDialog(std::unique_ptr<StatusDialog> dialog, const MainDialogState& state)
{
    return std::make_unique<ItemStatus>(std::move(dialog), state);
}

} // namespace gsd
