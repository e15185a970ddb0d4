#include "platform/Win32InstallerSignatures.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "download/SignatureLayout.h"
#include "platform/Sha256.h"
#include "platform/OnWorker.h"
#include "platform/Win32FileHold.h"
#include "platform/Win32SignatureFacts.h"

namespace gsd {
namespace {

bool ReadAt(HANDLE file, std::uint64_t offset, std::string& bytes)
{
    OVERLAPPED at {};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, &at)) {
        return false;
    }
    bytes.resize(read);
    return true;
}

// The layout of the signature of the open `file`; nullopt when it cannot be
// read.
std::optional<SignatureLayout> ReadLayout(HANDLE file)
{
    LARGE_INTEGER size {};
    if (!::GetFileSizeEx(file, &size)) {
        return std::nullopt;
    }
    const auto fileSize = static_cast<std::uint64_t>(size.QuadPart);
    std::string headers(static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, SignatureHeaderBytes)), '\0');
    if (!ReadAt(file, 0, headers)) {
        return std::nullopt;
    }
    const CertificateTablePlace place = LocateCertificateTable(headers, fileSize);
    if (place.layout != SignatureLayout::Sound) {
        return place.layout;
    }
    std::string table(place.size, '\0');
    if (!ReadAt(file, place.offset, table) || table.size() != place.size) {
        return std::nullopt;
    }
    return CheckCertificateTable(table);
}

// Reads the layout of the open `file` at `path` and, for a sound one only,
// the system's facts about its signature.
void Inspect(const std::wstring& path, HANDLE file, SignatureFindings& findings)
{
    const std::optional<SignatureLayout> layout = ReadLayout(file);
    if (layout) {
        findings.readable = true;
        findings.layout = *layout;
        // Nothing else counts for a file laid out otherwise than signed.
        if (*layout == SignatureLayout::Sound) {
            ReadSignatureFacts(path, file, findings);
        }
    }
}

// The SHA-256 of the whole open `file`, read through its handle; nullopt
// when it cannot be read to its end.
std::optional<FileDigest> ReadDigest(HANDLE file)
{
    LARGE_INTEGER size {};
    if (!::GetFileSizeEx(file, &size)) {
        return std::nullopt;
    }
    constexpr std::uint64_t PieceBytes = 1024 * 1024;
    const auto fileSize = static_cast<std::uint64_t>(size.QuadPart);
    Sha256 hash;
    std::string piece;
    for (std::uint64_t offset = 0; offset < fileSize; offset += piece.size()) {
        piece.resize(static_cast<std::size_t>(std::min(PieceBytes, fileSize - offset)));
        if (!ReadAt(file, offset, piece) || piece.empty() || !hash.Add(piece)) {
            return std::nullopt;
        }
    }
    return hash.Finish();
}

} // namespace

std::optional<FileDigest> Win32InstallerSignatures::Check(
    HeldFile& file, MessagePump& pump, SignatureFindings& findings)
{
    findings = {};
    const Win32FileHold* hold = Win32FileHoldOf(file);
    if (hold == nullptr || hold->FileHandle() == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    const HANDLE handle = hold->FileHandle();
    const std::wstring path = hold->FilePath();
    std::optional<FileDigest> digest;
    // A large installer takes a while to read and hash: the windows answer
    // meanwhile.
    RunOnWorker(pump, [&] {
        digest = ReadDigest(handle);
        if (digest) {
            Inspect(path, handle, findings);
        }
    });
    if (!digest) {
        findings = {};
    }
    return digest;
}

} // namespace gsd
