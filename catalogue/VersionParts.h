// The three parts of a version text ("a|b|c..."): fields 0 to 2, a missing
// part empty, later fields ignored.
#pragma once

#include <string>
#include <string_view>

namespace gsd {

// The parts joined with "|" as reports carry them: "1|2" gives "1|2|".
std::string VersionForReport(std::string_view versionText);

// The parts joined with "." as rows show them: "1|2" gives "1.2.".
std::string VersionForRow(std::string_view versionText);

} // namespace gsd
