#include "catalogue/VersionParts.h"

#include "protocol/FieldList.h"

namespace gsd {

namespace {

constexpr int VersionPartCount = 3;

std::string JoinVersionParts(std::string_view versionText, std::string_view joint)
{
    FieldCursor fields(versionText, FieldSeparator);
    std::string joined;
    for (int part = 0; part < VersionPartCount; ++part) {
        std::string_view field;
        if (part > 0) {
            joined.append(joint);
        }
        if (fields.Next(field)) {
            joined.append(field);
        }
    }
    return joined;
}

} // namespace

std::string VersionForReport(std::string_view versionText)
{
    return JoinVersionParts(versionText, FieldSeparator);
}

std::string VersionForRow(std::string_view versionText)
{
    return JoinVersionParts(versionText, ".");
}

} // namespace gsd
