#include "platform/Sha256.h"

#include <algorithm>

namespace gsd {

Sha256::Sha256()
{
    failed_ = !BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&algorithm_, BCRYPT_SHA256_ALGORITHM, nullptr, 0))
        || !BCRYPT_SUCCESS(::BCryptCreateHash(algorithm_, &hash_, nullptr, 0, nullptr, 0, 0));
}

Sha256::~Sha256()
{
    if (hash_ != nullptr) {
        ::BCryptDestroyHash(hash_);
    }
    if (algorithm_ != nullptr) {
        ::BCryptCloseAlgorithmProvider(algorithm_, 0);
    }
}

bool Sha256::Add(std::string_view bytes)
{
    // BCryptHashData takes at most a ULONG's worth at once.
    constexpr std::size_t LargestPiece = 1U << 30;
    while (!failed_ && !bytes.empty()) {
        const std::string_view piece = bytes.substr(0, std::min(bytes.size(), LargestPiece));
        // The call only reads the input, whatever its parameter's type says.
        auto* input = reinterpret_cast<PUCHAR>(const_cast<char*>(piece.data()));
        failed_ = !BCRYPT_SUCCESS(::BCryptHashData(hash_, input, static_cast<ULONG>(piece.size()), 0));
        bytes.remove_prefix(piece.size());
    }
    return !failed_;
}

std::optional<FileDigest> Sha256::Finish()
{
    FileDigest digest {};
    if (failed_ || !BCRYPT_SUCCESS(::BCryptFinishHash(hash_, digest.data(), static_cast<ULONG>(digest.size()), 0))) {
        failed_ = true;
        return std::nullopt;
    }
    // A finished hash takes nothing more.
    failed_ = true;
    return digest;
}

} // namespace gsd
