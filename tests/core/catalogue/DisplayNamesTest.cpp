#include "catalogue/DisplayNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/LanguageMask.h"
#include "catalogue/VersionParts.h"

namespace gsd {
namespace {

TEST(LanguageFlagsToMaskTest, SetsBitIForAFlagOfExactlyOneUpToTheFirstEmptyField)
{
    struct Case {
        const char* flags;
        const char* mask;
    };
    const std::vector<Case> cases = {
        { "1|0|1", "5" },
        { "0|1||1", "2" },
        { "1|1|1|1|1|1|1", "127" },
        { "yes", "0" },
        { "", "0" },
        { "|1", "0" },
        { "1 |01|1", "4" },
        { "0|0|0|0|0|0|0|1", "128" },
        // Bit 30 is the last one a positive 32-bit mask holds.
        { "1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1", "2147483647" },
        { "0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|1", "0" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(LanguageFlagsToMask(c.flags), c.mask);
    }
}

TEST(LanguageNamesTest, NamesTheSetBitsZeroToSixInTableOrder)
{
    struct Case {
        int mask;
        const char* names;
    };
    const std::vector<Case> cases = {
        { 0, "N/A" },
        { 5, "English, Portugues" },
        { 127, "English, Francais, Portugues, Deutsch, Espanol, Italiano, Russki" },
        { 128, "N/A" },
        { 64 + 128, "Russki" },
        { 8, "Deutsch" },
        { -1, "English, Francais, Portugues, Deutsch, Espanol, Italiano, Russki" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        EXPECT_EQ(LanguageNames(c.mask), c.names);
    }
}

TEST(KindNameTest, KindsOneToFourHaveTheirTextsAndEveryOtherKindTextSix)
{
    const std::string texts = "t0|t1|program|language|pack|upgrade|other";
    struct Case {
        int kind;
        const char* name;
    };
    const std::vector<Case> cases = {
        { 1, "program" },
        { 2, "language" },
        { 3, "pack" },
        { 4, "upgrade" },
        { 0, "other" },
        { 5, "other" },
        { 7, "other" },
        { -1, "other" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(KindName(c.kind, texts), c.name);
    }
    EXPECT_EQ(KindName(1, "t0|t1"), "");
}

TEST(VersionPartsTest, ThreePartsJoinedForReportsAndForRows)
{
    struct Case {
        const char* text;
        const char* report;
        const char* row;
    };
    const std::vector<Case> cases = {
        { "1|0|3", "1|0|3", "1.0.3" },
        { "2", "2||", "2.." },
        { "1|2", "1|2|", "1.2." },
        { "", "||", ".." },
        { "1|0|0|7", "1|0|0", "1.0.0" },
        { "|5|", "|5|", ".5." },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(VersionForReport(c.text), c.report);
        EXPECT_EQ(VersionForRow(c.text), c.row);
    }
}

} // namespace
} // namespace gsd
