// Feeds arbitrary bytes as the file name the server gives a language file or
// object pack. A name that is accepted must keep its path inside the Media
// folder: "Media\" + name + ".mdc" holds no "..", no separator but the one
// after "Media", no drive colon and no control byte.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "download/MediaFileName.h"
#include "FuzzRequire.h"

namespace {

constexpr std::string_view Folder = "Media\\";
constexpr std::string_view Extension = ".mdc";

using gsd::fuzz::Require;

bool IsControlByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

void CheckStaysInMedia(std::string_view name)
{
    const std::string path = gsd::MediaFilePath(name);
    Require(path.size() == Folder.size() + name.size() + Extension.size());
    Require(path.starts_with(Folder) && path.ends_with(Extension));
    Require(path.find("..") == std::string::npos);
    Require(path.find_first_of("\\/") == Folder.size() - 1);
    Require(path.find_first_of("\\/", Folder.size()) == std::string::npos);
    Require(path.find(':') == std::string::npos);
    Require(std::none_of(path.begin(), path.end(), IsControlByte));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const std::string_view problem = gsd::MediaFileNameProblem(name);
    if (problem.empty()) {
        CheckStaysInMedia(name);
    } else {
        // The refusal names the file and says why.
        const std::string text = gsd::MediaFileNameErrorText(name, problem);
        Require(text.find(name) != std::string::npos && text.find(problem) != std::string::npos);
    }
    return 0;
}
