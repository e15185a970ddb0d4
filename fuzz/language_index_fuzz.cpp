// Feeds arbitrary bytes as the options file, whose first bytes hold the
// interface language index, and the rest of them as the language file's
// "|"-separated language list that the index is looked up in. The index must
// be what a text-mode read of the whole file delivers, and the language
// chosen must be the list's field after the index, or none.

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/MediaKeys.h"
#include "fakes/FakeOptionsFile.h"
#include "ports/MediaEngine.h"
#include "texts/LanguageIndex.h"
#include "FuzzRequire.h"

namespace {

using gsd::fuzz::Require;

// The first four bytes a text-mode read of all of `stored` delivers (CR LF
// read as LF, 0x1A ending the data), as a little-endian signed integer.
int IndexOfWholeFile(std::string_view stored)
{
    std::uint32_t value = 0;
    int delivered = 0;
    for (std::size_t at = 0; at < stored.size() && delivered < 4; ++at) {
        if (stored[at] == '\x1A') {
            break;
        }
        if (stored[at] == '\r' && at + 1 < stored.size() && stored[at + 1] == '\n') {
            continue;
        }
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(stored[at])) << (8 * delivered++);
    }
    return static_cast<int>(value);
}

std::vector<std::string_view> Fields(std::string_view list)
{
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t end = list.find('|', start);
        fields.push_back(list.substr(start, end - start));
        if (end == std::string_view::npos) {
            return fields;
        }
        start = end + 1;
    }
}

// A language file whose language list is given, and which remembers the
// language selected.
class LanguageFileReader : public gsd::MediaReader {
public:
    explicit LanguageFileReader(std::string_view languages)
        : languages_(languages)
    {
    }

    void OpenMediaFile(std::string_view fileName) override { current_ = std::string(fileName); }
    std::optional<std::string> ReadResourceText(std::string_view key) override
    {
        if (current_ == gsd::media_key::LanguageFile && key == gsd::media_key::Languages) {
            return languages_;
        }
        return std::nullopt;
    }
    void SelectLanguage(std::string_view languageName) override
    {
        selected = std::string(languageName);
        ++selections;
    }

    std::string selected;
    int selections = 0;

private:
    std::string languages_;
    std::string current_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view stored(reinterpret_cast<const char*>(data), size);
    gsd::testing::FakeOptionsFile options;
    options.bytes = std::string(stored);
    const int index = gsd::ReadLanguageIndex(options);
    Require(index == IndexOfWholeFile(stored));
    Require(options.reads == 1);

    const std::string_view languages = stored.substr(std::min(size, gsd::OptionsBytesToRead));
    LanguageFileReader reader(languages);
    gsd::ChooseInterfaceLanguage(reader, index);
    Require(reader.selections == 1);
    const std::vector<std::string_view> fields = Fields(languages);
    // Field 0 is not a language; index -1 names it all the same.
    const long long field = static_cast<long long>(index) + 1;
    const bool listed = field >= 0 && field < static_cast<long long>(fields.size());
    Require(reader.selected == (listed ? fields[static_cast<std::size_t>(field)] : std::string_view()));
    return 0;
}
