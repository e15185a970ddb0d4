// Game files held in memory by relative path; any create, write, close or
// move can be made to fail. Creates, moves and deletes go into the shared
// journal; writes do not (a transfer writes many chunks).
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ports/GameFiles.h"

namespace gsd::testing {

class FakeGameFiles : public GameFiles {
public:
    explicit FakeGameFiles(std::vector<std::string>& journal)
        : journal_(journal)
    {
    }

    std::map<std::string, std::string> files;
    std::optional<FileFailure> createFailure;
    std::optional<FileFailure> writeFailure;
    std::optional<FileFailure> closeFailure;
    std::optional<FileFailure> moveFailure;
    // What FreeBytes answers; nullopt: the system cannot tell.
    std::optional<std::uint64_t> freeBytes;
    int writersOpen = 0;
    // Names the system's code page cannot spell.
    std::vector<std::string> unnameable;

    std::unique_ptr<FileWriter> CreateEmpty(std::string_view relative, FileFailure& failure) override
    {
        journal_.push_back("create " + std::string(relative));
        if (createFailure) {
            failure = *createFailure;
            return nullptr;
        }
        files[std::string(relative)].clear();
        return std::make_unique<Writer>(*this, std::string(relative));
    }

    std::optional<FileFailure> MoveReplacing(std::string_view from, std::string_view to) override
    {
        journal_.push_back("move " + std::string(from) + " to " + std::string(to));
        const auto source = files.find(std::string(from));
        if (moveFailure || source == files.end()) {
            return moveFailure ? moveFailure
                               : FileFailure { 2, "The system cannot find the file specified.", std::string(from) };
        }
        files[std::string(to)] = source->second;
        files.erase(std::string(from));
        return std::nullopt;
    }

    std::optional<std::uint64_t> FreeBytes(std::string_view) override { return freeBytes; }

    bool CanName(std::string_view name) override
    {
        return std::find(unnameable.begin(), unnameable.end(), name) == unnameable.end();
    }

    bool Delete(std::string_view relative) override
    {
        journal_.push_back("delete " + std::string(relative));
        return files.erase(std::string(relative)) > 0;
    }

private:
    class Writer : public FileWriter {
    public:
        Writer(FakeGameFiles& owner, std::string path)
            : owner_(owner)
            , path_(std::move(path))
        {
            ++owner_.writersOpen;
        }
        ~Writer() override { Close(); }
        std::optional<FileFailure> Write(std::string_view bytes) override
        {
            if (owner_.writeFailure) {
                return owner_.writeFailure;
            }
            owner_.files[path_].append(bytes);
            return std::nullopt;
        }
        std::optional<FileFailure> Close() override
        {
            if (closed_) {
                return std::nullopt;
            }
            closed_ = true;
            --owner_.writersOpen;
            return owner_.closeFailure;
        }

    private:
        FakeGameFiles& owner_;
        std::string path_;
        bool closed_ = false;
    };

    std::vector<std::string>& journal_;
};

} // namespace gsd::testing
