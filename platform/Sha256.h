// The system's SHA-256 (BCrypt), fed piece by piece.
#pragma once

#include <windows.h>

#include <bcrypt.h>

#include <optional>
#include <string_view>

#include "ports/GameFiles.h"

namespace gsd {

class Sha256 {
public:
    // Opens the system's algorithm and a hash object; a failure there shows
    // in Finish.
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    // Adds `bytes` to the hash; false (for good) once anything has failed.
    bool Add(std::string_view bytes);

    // The digest of everything added; nullopt when any step failed. Nothing
    // may be added after.
    std::optional<FileDigest> Finish();

private:
    BCRYPT_ALG_HANDLE algorithm_ = nullptr;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
    bool failed_ = false;
};

} // namespace gsd
