// Game files held in memory by relative path; any create, write, finish,
// hold, move, rename or delete can be made to fail. Creates, holds, moves,
// renames, deletes and the release of a held file go into the shared
// journal; writes do not (a transfer writes many chunks).
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ports/GameFiles.h"

namespace gsd::testing {

// A stand-in for the SHA-256 of `bytes`: equal bytes give equal digests,
// and the tests' different contents give different ones.
inline FileDigest FakeDigest(std::string_view bytes)
{
    FileDigest digest {};
    const std::size_t hash = std::hash<std::string_view> {}(bytes);
    for (std::size_t i = 0; i < digest.size(); ++i) {
        digest[i] = static_cast<std::uint8_t>((hash >> ((i % sizeof hash) * 8)) + i);
    }
    return digest;
}

class FakeGameFiles : public GameFiles {
public:
    explicit FakeGameFiles(std::vector<std::string>& journal)
        : journal_(journal)
    {
    }

    std::map<std::string, std::string> files;
    std::optional<FileFailure> createFailure;
    std::optional<FileFailure> writeFailure;
    std::optional<FileFailure> finishFailure;
    std::optional<FileFailure> holdFailure;
    // How many holds for the start fail with holdFailure before they
    // succeed; negative: every one.
    int holdsFailing = -1;
    std::optional<FileFailure> moveFailure;
    // How many moves fail with moveFailure before they succeed; negative:
    // every one.
    int movesFailing = -1;
    // What FreeBytes answers; nullopt: the system cannot tell.
    std::optional<std::uint64_t> freeBytes;
    int filesHeld = 0;
    // Names the system's code page cannot spell.
    std::vector<std::string> unnameable;

    std::unique_ptr<HeldFile> CreateEmpty(std::string_view relative, FileFailure& failure) override
    {
        journal_.push_back("create " + std::string(relative));
        if (createFailure) {
            failure = *createFailure;
            return nullptr;
        }
        files[std::string(relative)].clear();
        return std::make_unique<Held>(*this, std::string(relative));
    }

    // The path of a file this fake holds.
    static const std::string& PathOf(const HeldFile& file) { return dynamic_cast<const Held&>(file).path_; }

    std::optional<std::uint64_t> FreeBytes(std::string_view) override { return freeBytes; }

    bool CanName(std::string_view name) override
    {
        return std::find(unnameable.begin(), unnameable.end(), name) == unnameable.end();
    }

    // Fails `deleteFailure` for `deletesFailing` deletes first (negative:
    // every one).
    std::optional<FileFailure> deleteFailure;
    int deletesFailing = -1;
    // Deletes succeed but leave the file under its name, as the system's do
    // while another program holds the file sharing deleting.
    bool deletesPending = false;

    // Fails `renameFailure` for `renamesFailing` renames first (negative:
    // every one); a rename onto a name taken fails as the system's does.
    std::optional<FileFailure> renameFailure;
    int renamesFailing = -1;

    std::optional<FileFailure> Rename(std::string_view from, std::string_view to) override
    {
        journal_.push_back("rename " + std::string(from) + " to " + std::string(to));
        if (renameFailure && renamesFailing != 0) {
            --renamesFailing;
            return renameFailure;
        }
        if (files.contains(std::string(to))) {
            return FileFailure { 183, "Cannot create a file when that file already exists.", std::string(from) };
        }
        const auto source = files.find(std::string(from));
        if (source == files.end()) {
            return FileFailure { 2, "The system cannot find the file specified.", std::string(from) };
        }
        std::string bytes = std::move(source->second);
        files.erase(source);
        files[std::string(to)] = std::move(bytes);
        return std::nullopt;
    }

    std::optional<FileFailure> Delete(std::string_view relative) override
    {
        journal_.push_back("delete " + std::string(relative));
        if (deleteFailure && deletesFailing != 0) {
            --deletesFailing;
            return deleteFailure;
        }
        if (deletesPending && files.contains(std::string(relative))) {
            return std::nullopt;
        }
        if (files.erase(std::string(relative)) == 0) {
            return FileFailure { 2, "The system cannot find the file specified.", std::string(relative) };
        }
        return std::nullopt;
    }

private:
    class Held : public HeldFile {
    public:
        Held(FakeGameFiles& owner, std::string path)
            : owner_(owner)
            , path_(std::move(path))
        {
            ++owner_.filesHeld;
        }
        ~Held() override
        {
            --owner_.filesHeld;
            if (moved_) {
                owner_.journal_.push_back("release " + path_);
            } else {
                owner_.Delete(path_);
            }
        }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

        std::optional<FileFailure> Write(std::string_view bytes) override
        {
            if (owner_.writeFailure) {
                return owner_.writeFailure;
            }
            owner_.files[path_].append(bytes);
            written_.append(bytes);
            return std::nullopt;
        }
        std::optional<FileFailure> Finish() override { return owner_.finishFailure; }
        FileDigest WrittenDigest() const override { return FakeDigest(written_); }
        std::optional<FileFailure> HoldForStart() override
        {
            owner_.journal_.push_back("hold for start " + path_);
            if (owner_.holdFailure && owner_.holdsFailing != 0) {
                --owner_.holdsFailing;
                return owner_.holdFailure;
            }
            return std::nullopt;
        }
        std::optional<FileFailure> MoveTo(std::string_view relative) override
        {
            owner_.journal_.push_back("move " + path_ + " to " + std::string(relative));
            const auto source = owner_.files.find(path_);
            if (owner_.moveFailure && owner_.movesFailing != 0) {
                --owner_.movesFailing;
                return owner_.moveFailure;
            }
            if (source == owner_.files.end()) {
                return owner_.moveFailure ? owner_.moveFailure
                                          : FileFailure { 2, "The system cannot find the file specified.", path_ };
            }
            std::string bytes = std::move(source->second);
            owner_.files.erase(source);
            owner_.files[std::string(relative)] = std::move(bytes);
            path_ = std::string(relative);
            moved_ = true;
            return std::nullopt;
        }

        FakeGameFiles& owner_;
        std::string path_;
        std::string written_;
        bool moved_ = false;
    };

    std::vector<std::string>& journal_;
};

} // namespace gsd::testing
