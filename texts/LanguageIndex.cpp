#include "texts/LanguageIndex.h"

#include <bit>
#include <climits>
#include <cstdint>

#include "engine/MediaKeys.h"
#include "engine/ResourceText.h"
#include "protocol/FieldList.h"

namespace gsd {

namespace {

constexpr char CarriageReturn = '\r';
constexpr char LineFeed = '\n';
constexpr char EndOfData = '\x1A';
constexpr std::size_t IndexBytes = 4;

// The bytes a text-mode read of the file's start delivers, at most `limit`.
std::string TextModeBytes(std::string_view stored, std::size_t limit)
{
    std::string delivered;
    for (std::size_t i = 0; i < stored.size() && delivered.size() < limit; ++i) {
        const char byte = stored[i];
        if (byte == EndOfData) {
            break;
        }
        if (byte == CarriageReturn && i + 1 < stored.size() && stored[i + 1] == LineFeed) {
            continue; // the LF that follows is delivered in its place
        }
        delivered.push_back(byte);
    }
    return delivered;
}

} // namespace

int LanguageIndexFromBytes(std::string_view stored)
{
    const std::string bytes = TextModeBytes(stored, IndexBytes);
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    // The file holds the index as a two's-complement int: the top bit makes
    // it negative.
    return std::bit_cast<std::int32_t>(value);
}

int ReadLanguageIndex(OptionsFile& options)
{
    const std::optional<std::string> stored = options.ReadFirstBytes(OptionsBytesToRead);
    return stored ? LanguageIndexFromBytes(*stored) : 0;
}

std::string InterfaceLanguageName(std::string_view languageList, int languageIndex)
{
    // Field 0 of the list is not a language; the largest index has no field.
    if (languageIndex == INT_MAX) {
        return {};
    }
    return GetField(languageList, languageIndex + 1, FieldSeparator);
}

void ChooseInterfaceLanguage(MediaReader& reader, int languageIndex)
{
    reader.OpenMediaFile(media_key::LanguageFile);
    const std::string languages = ReadText(reader, media_key::Languages);
    reader.SelectLanguage(InterfaceLanguageName(languages, languageIndex));
}

} // namespace gsd
