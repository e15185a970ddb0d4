// Feeds arbitrary bytes as a whole program file to the check of its
// signature's layout. A file found sound has its table end exactly at the end
// of the file, one certificate padded to 8 bytes, and stops being sound with
// one byte more at its end.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzRequire.h"
#include "download/SignatureLayout.h"

namespace {

using gsd::SignatureLayout;
using gsd::fuzz::Require;

// The layout of `file` as the adapter finds it: its headers and size first,
// then the table's bytes.
SignatureLayout LayoutOf(std::string_view file)
{
    const gsd::CertificateTablePlace place
        = gsd::LocateCertificateTable(file.substr(0, gsd::SignatureHeaderBytes), file.size());
    if (place.layout != SignatureLayout::Sound) {
        return place.layout;
    }
    Require(place.offset + place.size == file.size());
    const SignatureLayout layout = gsd::CheckCertificateTable(file.substr(place.offset));
    if (layout == SignatureLayout::Sound) {
        Require(place.size % 8 == 0 && place.size > 8);
    }
    return layout;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    if (LayoutOf(file) == SignatureLayout::Sound) {
        const std::string grown = std::string(file) + '\0';
        Require(LayoutOf(grown) == SignatureLayout::Altered);
    }
    return 0;
}
