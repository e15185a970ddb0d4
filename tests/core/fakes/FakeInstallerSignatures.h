// Installer signature checks, scripted by path and journaled: "check <file>"
// when a file is checked, the move of a held file as the game files journal
// it, and "release <file>" when it is no longer held.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fakes/FakeGameFiles.h"
#include "ports/InstallerSignatures.h"

namespace gsd::testing {

// The key the rig pins, and a signer that is not pinned.
inline const std::string PublisherKey(64, 'a');
inline const std::string StrangerKey(64, 'b');

// Findings with which a file of `signerKey` may run when that key is pinned:
// a sound, verified, SHA-256 signature by a code-signing certificate valid
// from 2020 to 2030, chained to a trusted root and not revoked, that carries
// only its signer's certificate, checked in 2026.
inline SignatureFindings GoodFindings(const std::string& signerKey = PublisherKey)
{
    SignatureFindings findings;
    findings.readable = true;
    findings.layout = SignatureLayout::Sound;
    findings.check = SystemCheck::Verified;
    findings.signerKey = signerKey;
    findings.chainTrusted = true;
    findings.revocation = RevocationStatus::NotRevoked;
    findings.codeSigningUsage = true;
    findings.validFrom = 1577836800;
    findings.validUntil = 1893456000;
    findings.checkedAt = 1796688000;
    findings.digestAlgorithms = { "2.16.840.1.101.3.4.2.1", "2.16.840.1.101.3.4.2.1", "1.2.840.113549.1.1.1" };
    findings.contents.signers = 1;
    findings.contents.certificates = { CertificateUse::SignerChain };
    return findings;
}

class FakeInstallerSignatures : public InstallerSignatures {
public:
    FakeInstallerSignatures(std::vector<std::string>& journal, FakeGameFiles& files)
        : journal_(journal)
        , files_(files)
    {
    }

    // What a check of any file finds, unless `findingsOf` names the file.
    SignatureFindings findings = GoodFindings();
    std::map<std::string, SignatureFindings> findingsOf;
    int held = 0;

    std::unique_ptr<HeldInstaller> Check(
        std::string_view relative, MessagePump& pump, SignatureFindings& found) override
    {
        const std::string path(relative);
        journal_.push_back("check " + path);
        pump.HandlePendingMessages();
        const auto scripted = findingsOf.find(path);
        found = scripted != findingsOf.end() ? scripted->second : findings;
        if (!found.readable) {
            return nullptr;
        }
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

        std::optional<FileFailure> MoveTo(std::string_view relative) override
        {
            std::optional<FileFailure> failure = owner_.files_.MoveReplacing(path_, relative);
            if (!failure) {
                path_ = std::string(relative);
            }
            return failure;
        }

    private:
        FakeInstallerSignatures& owner_;
        std::string path_;
    };

    std::vector<std::string>& journal_;
    FakeGameFiles& files_;
};

} // namespace gsd::testing
