// Installer signature checks, scripted by path and journaled: "check <file>"
// when a held file is checked. The check reads the file as the fake game
// files hold it at that moment.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <optional>
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
    // Runs just before a check reads the file: another program at work.
    std::function<void()> beforeCheck;

    std::optional<FileDigest> Check(HeldFile& file, MessagePump& pump, SignatureFindings& found) override
    {
        const std::string& path = FakeGameFiles::PathOf(file);
        journal_.push_back("check " + path);
        pump.HandlePendingMessages();
        if (beforeCheck) {
            beforeCheck();
        }
        const auto scripted = findingsOf.find(path);
        found = scripted != findingsOf.end() ? scripted->second : findings;
        if (!found.readable) {
            return std::nullopt;
        }
        return FakeDigest(files_.files[path]);
    }

private:
    std::vector<std::string>& journal_;
    FakeGameFiles& files_;
};

} // namespace gsd::testing
