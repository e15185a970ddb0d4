// Status and connection dialogs that write what they show into a shared
// journal; the connection dialog answers from a queue.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ports/StatusDialog.h"
#include "protocol/InternetError.h"

namespace gsd::testing {

class FakeServerDialogs : public ServerDialogs {
public:
    // The window every status dialog names.
    static constexpr WindowHandle StatusWindow = static_cast<WindowHandle>(130);

    explicit FakeServerDialogs(std::vector<std::string>& journal)
        : journal_(journal)
    {
    }

    // Answers of the connection dialog (true: OK); Cancel once they run out.
    std::deque<bool> retryAnswers;
    // The status dialogs' Cancel reads as pressed after this many questions
    // (negative: never).
    int cancelAfterQuestions = -1;
    int cancelQuestions = 0;
    int statusDialogsOpen = 0;
    // No status dialog can be created.
    bool noStatusDialog = false;
    // Every progress fill set, in order.
    std::vector<double> progress;

    std::unique_ptr<StatusDialog> OpenStatusDialog() override
    {
        journal_.emplace_back("status open");
        if (noStatusDialog) {
            return nullptr;
        }
        return std::make_unique<Status>(*this);
    }

    bool OfferConnectionRetry(std::string_view text, std::string_view okText, std::string_view cancelText) override
    {
        journal_.push_back("connection dialog " + std::string(text) + " [" + std::string(okText) + "] ["
            + std::string(cancelText) + "]");
        if (retryAnswers.empty()) {
            return false;
        }
        const bool answer = retryAnswers.front();
        retryAnswers.pop_front();
        return answer;
    }

private:
    class Status : public StatusDialog {
    public:
        explicit Status(FakeServerDialogs& owner)
            : owner_(owner)
        {
            ++owner_.statusDialogsOpen;
        }
        ~Status() override
        {
            --owner_.statusDialogsOpen;
            owner_.journal_.emplace_back("status close");
        }
        void Show() override { owner_.journal_.emplace_back("status show"); }
        void SetStatusLine(std::string_view text) override { owner_.journal_.push_back("status " + std::string(text)); }
        void SetDetailLines(std::string_view text, bool) override
        {
            owner_.journal_.push_back("detail " + std::string(text));
        }
        bool CancelRequested() const override
        {
            if (owner_.cancelAfterQuestions < 0) {
                return false;
            }
            return owner_.cancelQuestions++ >= owner_.cancelAfterQuestions;
        }
        void DisableCancel() override { owner_.journal_.emplace_back("status cancel disabled"); }
        void SetProgress(double fraction) override { owner_.progress.push_back(fraction); }
        WindowHandle Window() const override { return StatusWindow; }

    private:
        FakeServerDialogs& owner_;
    };

    std::vector<std::string>& journal_;
};

// Error texts from maps; a code missing from a map has no text there.
class FakeInternetErrorTexts : public InternetErrorTexts {
public:
    std::string extended;
    std::map<InternetError, std::string> layer;
    std::map<InternetError, std::string> system;

    std::string ExtendedErrorText() override { return extended; }
    std::string LayerMessageText(InternetError code) override { return Find(layer, code); }
    std::string SystemMessageText(InternetError code) override { return Find(system, code); }

private:
    static std::string Find(const std::map<InternetError, std::string>& texts, InternetError code)
    {
        const auto found = texts.find(code);
        return found == texts.end() ? std::string() : found->second;
    }
};

} // namespace gsd::testing
