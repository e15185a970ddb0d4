// Where a program file keeps its embedded signature, and whether that place
// holds exactly what a signing tool writes and nothing more. The signature's
// digest leaves its own table out, so bytes added to or after the table keep
// the digest intact: anything a self-extracting installer might read from
// the end of its own file must be refused here, before the digest is
// trusted. Pure: the adapter reads the bytes, this decides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ports/InstallerSignatures.h"

namespace gsd {

// Where the certificate table lies: the security data directory's file
// offset and size.
struct CertificateTablePlace {
    SignatureLayout layout = SignatureLayout::NoSignature;
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
};

// The bytes from the start of the file that LocateCertificateTable needs at
// most: the DOS header's pointer may lead up to this far.
inline constexpr std::size_t SignatureHeaderBytes = 4096;

// The largest certificate table taken for a signature (a real one is a few
// kilobytes): what lies beyond is not read.
inline constexpr std::uint32_t MaxCertificateTableBytes = 1u << 20;

// From the first bytes of the file (`headers`, at most SignatureHeaderBytes,
// fewer when the file is shorter) and its size: NoSignature when they are
// not a PE image or its security directory is empty; Altered when the
// directory does not end exactly at the end of the file or is larger than
// MaxCertificateTableBytes; otherwise Sound
// with the table's place, which CheckCertificateTable then examines.
CertificateTablePlace LocateCertificateTable(std::string_view headers, std::uint64_t fileSize);

// Whether `table` (the bytes at the place found, to the end of the file)
// holds exactly one WIN_CERTIFICATE of revision 0x0200 and type
// PKCS_SIGNED_DATA around one DER SEQUENCE (definite length, shortest form),
// padded by zero bytes to the next multiple of 8, where the table ends; its
// length counts the header and the SEQUENCE, with or without the padding.
// Sound or Altered.
SignatureLayout CheckCertificateTable(std::string_view table);

} // namespace gsd
