// The program's few fixed English texts: the ones not taken from the
// language file.
#pragma once

#include <string_view>

namespace gsd::fixed_text {

inline constexpr std::string_view ErrorCaption = "Error!";
inline constexpr std::string_view ConstructingSystemFailed = "Error while constructing System";
inline constexpr std::string_view DeconstructingSystemFailed = "Error while deconstructing System";
inline constexpr std::string_view LoadingMediaResourceFailed = "Error while Loading Media Resource";

// The template title of the main dialog, before the language file replaces it.
inline constexpr std::string_view MainDialogTitle =
    "Rubbleton: Gravelpit Object Pack And Upgrade Secure Download";

// Shown in the description box until the language file's own text replaces it.
inline constexpr std::string_view DefaultDescription =
    "To download new object packs or upgrades for Rubbleton: Gravelpit select any available "
    "items under the Quil Studios Server list by clicking on the item(s) you wish to download.  "
    "Once you have selected the item(s) you wish to download click the Download Selections "
    "button to begin the download and automatic installation.  It's that easy to do!";

} // namespace gsd::fixed_text
