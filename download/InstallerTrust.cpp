#include "download/InstallerTrust.h"

#include <algorithm>

namespace gsd {
namespace {

char LowerHex(char c)
{
    return c >= 'A' && c <= 'F' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), LowerHex);
    return lowered;
}

bool IsPinned(std::string_view signerKey, const std::vector<std::string>& publisherKeys)
{
    // An empty key matches nothing, not even an empty entry.
    if (signerKey.empty()) {
        return false;
    }
    const std::string key = Lowered(signerKey);
    return std::any_of(
        publisherKeys.begin(), publisherKeys.end(), [&](const std::string& pinned) { return Lowered(pinned) == key; });
}

} // namespace

InstallerDecision DecideInstaller(const SignatureFindings& findings, const std::vector<std::string>& publisherKeys)
{
    switch (findings.verdict) {
    case SignatureVerdict::NotSigned:
        return InstallerDecision::NotSigned;
    case SignatureVerdict::AlteredAfterSigning:
        return InstallerDecision::AlteredAfterSigning;
    case SignatureVerdict::Trusted:
    case SignatureVerdict::UntrustedChain:
        if (!publisherKeys.empty()) {
            return IsPinned(findings.signerKey, publisherKeys) ? InstallerDecision::MayRun
                                                               : InstallerDecision::OtherSigner;
        }
        return findings.verdict == SignatureVerdict::Trusted ? InstallerDecision::MayRun
                                                             : InstallerDecision::OtherSigner;
    case SignatureVerdict::Unreadable:
        break;
    }
    return InstallerDecision::Unreadable;
}

std::string InstallerRefusalText(std::string_view fileName, InstallerDecision decision)
{
    const std::string quoted = "\"" + std::string(fileName) + "\"";
    std::string why;
    switch (decision) {
    case InstallerDecision::NotSigned:
        why = "The installer " + quoted + " is not signed.";
        break;
    case InstallerDecision::AlteredAfterSigning:
        why = "The installer " + quoted + " was altered after it was signed.";
        break;
    case InstallerDecision::OtherSigner:
        why = "The installer " + quoted + " is signed by someone other than the game's publisher.";
        break;
    case InstallerDecision::Unreadable:
    case InstallerDecision::MayRun:
        why = "The signature of the installer " + quoted + " could not be checked.";
        break;
    }
    return why + "  It was deleted and not started.";
}

std::vector<std::string> PublisherKeyList(std::string_view commaSeparated)
{
    std::vector<std::string> keys;
    while (!commaSeparated.empty()) {
        const std::size_t comma = commaSeparated.find(',');
        const std::string_view key = commaSeparated.substr(0, comma);
        if (!key.empty()) {
            keys.push_back(Lowered(key));
        }
        commaSeparated.remove_prefix(comma == std::string_view::npos ? commaSeparated.size() : comma + 1);
    }
    return keys;
}

} // namespace gsd
