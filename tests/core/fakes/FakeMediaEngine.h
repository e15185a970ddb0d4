// An engine whose media files are in-memory maps of texts, and which records
// its calls into a shared journal.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ports/MediaEngine.h"

namespace gsd::testing {

// file name -> (language, key) -> text; language "" is the neutral text.
using FakeMediaFiles = std::map<std::string, std::map<std::pair<std::string, std::string>, std::string>>;

class FakeMediaEngine : public MediaEngine {
public:
    explicit FakeMediaEngine(std::vector<std::string>& journal) : journal_(journal) {}

    FakeMediaFiles files;
    int createSystemResult = 0;
    std::string unavailableReason;
    int destroySystemResult = 0;
    bool refuseReader = false;
    int readersAlive = 0;
    // How often each file has been made current, by any reader.
    std::map<std::string, int> opens;

    int CreateSystem() override { return Log("CreateSystem"), createSystemResult; }
    std::string UnavailableReason() const override { return unavailableReason; }
    int DestroySystem() override { return Log("DestroySystem"), destroySystemResult; }
    void ExecuteSystem() override { Log("ExecuteSystem"); }
    std::unique_ptr<MediaReader> CreateReader() override
    {
        Log("CreateReader");
        if (refuseReader) {
            return nullptr;
        }
        return std::make_unique<Reader>(*this);
    }

private:
    class Reader : public MediaReader {
    public:
        explicit Reader(FakeMediaEngine& engine) : engine_(engine) { ++engine_.readersAlive; }
        ~Reader() override
        {
            --engine_.readersAlive;
            engine_.Log("Release");
        }
        void OpenMediaFile(std::string_view name) override
        {
            current_ = std::string(name);
            ++engine_.opens[current_];
        }
        std::optional<std::string> ReadResourceText(std::string_view key) override
        {
            const auto file = engine_.files.find(current_);
            if (file == engine_.files.end()) {
                return std::nullopt;
            }
            for (const std::string& language : {language_, std::string()}) {
                const auto text = file->second.find({language, std::string(key)});
                if (text != file->second.end()) {
                    return text->second;
                }
            }
            return std::nullopt;
        }
        void SelectLanguage(std::string_view name) override { language_ = std::string(name); }

    private:
        FakeMediaEngine& engine_;
        std::string current_;
        std::string language_;
    };

    void Log(const char* what) { journal_.emplace_back(what); }
    std::vector<std::string>& journal_;
};

} // namespace gsd::testing
