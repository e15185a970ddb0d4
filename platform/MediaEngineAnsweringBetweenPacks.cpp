#include "platform/MediaEngineAnsweringBetweenPacks.h"

#include <optional>
#include <string_view>
#include <utility>

#include "platform/SentMessages.h"

namespace gsd {
namespace {

class AnsweringReader final : public MediaReader {
public:
    explicit AnsweringReader(std::unique_ptr<MediaReader> reader)
        : reader_(std::move(reader))
    {
    }

    void OpenMediaFile(std::string_view fileName) override
    {
        AnswerSentMessages();
        reader_->OpenMediaFile(fileName);
    }

    std::optional<std::string> ReadResourceText(std::string_view key) override
    {
        return reader_->ReadResourceText(key);
    }

    void SelectLanguage(std::string_view languageName) override { reader_->SelectLanguage(languageName); }

private:
    std::unique_ptr<MediaReader> reader_;
};

} // namespace

MediaEngineAnsweringBetweenPacks::MediaEngineAnsweringBetweenPacks(MediaEngine& engine)
    : engine_(engine)
{
}

int MediaEngineAnsweringBetweenPacks::CreateSystem()
{
    return engine_.CreateSystem();
}

std::string MediaEngineAnsweringBetweenPacks::UnavailableReason() const
{
    return engine_.UnavailableReason();
}

int MediaEngineAnsweringBetweenPacks::DestroySystem()
{
    return engine_.DestroySystem();
}

void MediaEngineAnsweringBetweenPacks::ExecuteSystem()
{
    engine_.ExecuteSystem();
}

std::unique_ptr<MediaReader> MediaEngineAnsweringBetweenPacks::CreateReader()
{
    std::unique_ptr<MediaReader> reader = engine_.CreateReader();
    if (!reader) {
        return nullptr;
    }
    return std::make_unique<AnsweringReader>(std::move(reader));
}

} // namespace gsd
