// The media files the program reads by name and the named text resources it
// reads from them (all of type "txt").
#pragma once

#include <string_view>

namespace gsd::media_key {

// Files, named to the reader by their bare names.
inline constexpr std::string_view VersionFile = "Version.mdc";
inline constexpr std::string_view LanguageFile = "Language.mdc";

// "a|b|c": the three version parts; in Version.mdc, Language.mdc and packs.
inline constexpr std::string_view Version = "Gravelpit Version";
// "1|0|1...": availability flag per language; in Language.mdc and packs.
inline constexpr std::string_view LanguagesAvailable = "Gravelpit Languages Available";
// "|name0|name1...": the interface languages; in Language.mdc.
inline constexpr std::string_view Languages = "Gravelpit Languages";
// Present in every object pack and nowhere else; its text is not used.
inline constexpr std::string_view Objects = "Gravelpit Objects";
inline constexpr std::string_view PackTitle = "Gravelpit Object Pack Title";
inline constexpr std::string_view PackAuthor = "Gravelpit Object Pack Author";
inline constexpr std::string_view PackDescription = "Gravelpit Object Pack Description";

// The interface text lists of Language.mdc.
inline constexpr std::string_view MainDialogTexts = "Gravelpit DU Main Dialog";
inline constexpr std::string_view InfoAndErrorTexts = "Gravelpit DU Info And Errors";
inline constexpr std::string_view OnDownloadTexts = "Gravelpit DU On Download";

} // namespace gsd::media_key
