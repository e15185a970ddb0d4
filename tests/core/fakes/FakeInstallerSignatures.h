// Installer signature checks, scripted by path and journaled: "check <file>"
// when a file is checked and "release <file>" when it is no longer held.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ports/InstallerSignatures.h"

namespace gsd::testing {

// The key the rig pins, and a signer that is not pinned.
inline const std::string PublisherKey(64, 'a');
inline const std::string StrangerKey(64, 'b');

class FakeInstallerSignatures : public InstallerSignatures {
public:
    explicit FakeInstallerSignatures(std::vector<std::string>& journal)
        : journal_(journal)
    {
    }

    // What a check of any file finds, unless `findingsOf` names the file.
    SignatureFindings findings { SignatureVerdict::UntrustedChain, PublisherKey };
    std::map<std::string, SignatureFindings> findingsOf;
    int held = 0;

    std::unique_ptr<HeldInstaller> Check(std::string_view relative, SignatureFindings& found) override
    {
        const std::string path(relative);
        journal_.push_back("check " + path);
        const auto scripted = findingsOf.find(path);
        found = scripted != findingsOf.end() ? scripted->second : findings;
        return std::make_unique<Held>(*this, path);
    }

private:
    class Held : public HeldInstaller {
    public:
        Held(FakeInstallerSignatures& owner, std::string path)
            : owner_(owner)
            , path_(std::move(path))
        {
            ++owner_.held;
        }
        ~Held() override
        {
            --owner_.held;
            owner_.journal_.push_back("release " + path_);
        }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        FakeInstallerSignatures& owner_;
        std::string path_;
    };

    std::vector<std::string>& journal_;
};

} // namespace gsd::testing
