#include "download/InstallerName.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fakes/FakeGameFiles.h"

namespace gsd {
namespace {

using Files = std::map<std::string, std::string>;

TEST(InstallerNameTest, AHeldInstallerTakesTheFirstFreeLeftoverNameOrNone)
{
    Files allTaken { { "Temp\\Download.exe", "held" } };
    std::vector<std::string> everyName;
    for (const char* suffix : { "", "2", "3", "4", "5", "6", "7", "8" }) {
        allTaken["Temp\\Download.exe.old" + std::string(suffix)] = "older";
        everyName.push_back("rename Temp\\Download.exe to Temp\\Download.exe.old" + std::string(suffix));
    }
    struct Case {
        const char* name;
        Files before;
        bool renameRefused;
        // The failure's code; nullopt: renamed away.
        std::optional<std::uint32_t> failure;
        std::vector<std::string> renames;
        Files after;
    };
    const std::vector<Case> cases = {
        { "names taken are passed over",
            { { "Temp\\Download.exe", "held" }, { "Temp\\Download.exe.old", "older" },
                { "Temp\\Download.exe.old2", "older" } },
            false, std::nullopt,
            { "rename Temp\\Download.exe to Temp\\Download.exe.old",
                "rename Temp\\Download.exe to Temp\\Download.exe.old2",
                "rename Temp\\Download.exe to Temp\\Download.exe.old3" },
            { { "Temp\\Download.exe.old", "older" }, { "Temp\\Download.exe.old2", "older" },
                { "Temp\\Download.exe.old3", "held" } } },
        { "every name taken: no ninth name is made", allTaken, false, 183, everyName, allTaken },
        { "a rename the hold refuses is not tried under other names", { { "Temp\\Download.exe", "held" } }, true, 32,
            { "rename Temp\\Download.exe to Temp\\Download.exe.old" }, { { "Temp\\Download.exe", "held" } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> journal;
        testing::FakeGameFiles files(journal);
        files.files = c.before;
        // Held or running: the file renamed away cannot be deleted either.
        files.deleteFailure = FileFailure { 5, "Access is denied.", "" };
        if (c.renameRefused) {
            files.renameFailure = FileFailure { 32, "Sharing violation.", "" };
        }

        const std::optional<FileFailure> failure = RenameInstallerAway(files);

        EXPECT_EQ(failure ? std::optional(failure->code) : std::nullopt, c.failure);
        std::vector<std::string> renames = journal;
        std::erase_if(renames, [](const std::string& line) { return !line.starts_with("rename"); });
        EXPECT_EQ(renames, c.renames);
        EXPECT_EQ(files.files, c.after);
    }
}

TEST(InstallerNameTest, TheStartDeletesOnlyTheInstallerAndItsLeftoverNames)
{
    std::vector<std::string> journal;
    testing::FakeGameFiles files(journal);
    files.files = { { "Temp\\Download.exe", "done" }, { "Temp\\Download.exe.old", "done" },
        { "Temp\\Download.exe.old5", "done" }, { "Temp\\Download.exe.old8", "done" },
        { "Temp\\Download.exe.old9", "not ours" }, { "Temp\\Download.exe.older", "not ours" },
        { "Temp\\Download.tmp", "received" }, { "Temp\\Setup.exe", "not ours" } };

    RemoveInstallerLeftovers(files);

    EXPECT_EQ(files.files,
        (Files { { "Temp\\Download.exe.old9", "not ours" }, { "Temp\\Download.exe.older", "not ours" },
            { "Temp\\Download.tmp", "received" }, { "Temp\\Setup.exe", "not ours" } }));
    EXPECT_EQ(journal.size(), 9u) << "each name once";
}

} // namespace
} // namespace gsd
