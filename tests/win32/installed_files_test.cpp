// The installed files' sizes, times and digests through the Win32 adapter,
// in a throw-away game folder that is the current directory.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GameFolderScope.h"
#include "download/InstalledMediaRecords.h"
#include "platform/Win32InstalledFiles.h"
#include "platform/Win32MessagePump.h"

namespace gsd {
namespace {

// Counts the bytes it is told of; says stop once it has heard of `stopAt`.
class Counting final : public DigestProgress {
public:
    explicit Counting(std::uint64_t stopAt = UINT64_MAX)
        : stopAt_(stopAt)
    {
    }
    bool BytesRead(std::uint64_t bytes) override
    {
        total += bytes;
        return total < stopAt_;
    }
    std::uint64_t total = 0;

private:
    std::uint64_t stopAt_;
};

TEST(InstalledFilesOnWine, LooksTellSizeTimeAndWhatIsNotThere)
{
    testing::GameFolderScope scope;
    scope.Game().Write("Media\\Bricks.mdc", "abc");
    ASSERT_TRUE(CreateDirectoryA(scope.Game().PathOf("Media\\Folder.mdc").c_str(), nullptr));
    Win32MessagePump pump;
    Win32InstalledFiles files(pump);

    const FileLook bricks = files.Look("Media\\Bricks.mdc");
    EXPECT_EQ(bricks.state, FileState::Present);
    EXPECT_EQ(bricks.facts.size, 3u);
    WIN32_FILE_ATTRIBUTE_DATA data {};
    ASSERT_TRUE(GetFileAttributesExA(scope.Game().PathOf("Media\\Bricks.mdc").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(bricks.facts.lastWrite,
        (std::uint64_t { data.ftLastWriteTime.dwHighDateTime } << 32) | data.ftLastWriteTime.dwLowDateTime);

    EXPECT_EQ(files.Look("Media\\Gone.mdc").state, FileState::Missing);
    EXPECT_EQ(files.Look("Nowhere\\Gone.mdc").state, FileState::Missing);
    EXPECT_EQ(files.Look("Media\\Folder.mdc").state, FileState::Unreadable);
}

TEST(InstalledFilesOnWine, DigestsAreTheSystemsSha256OfEveryByte)
{
    testing::GameFolderScope scope;
    // Three pieces of the reader and a little more.
    const std::string large(3 * 1024 * 1024 + 5, 'a');
    struct Case {
        const char* name;
        std::string bytes;
        std::string digest;
    };
    const std::vector<Case> cases = {
        { "Empty.mdc", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855" },
        { "Abc.mdc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad" },
    };
    Win32MessagePump pump;
    Win32InstalledFiles files(pump);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scope.Game().Write(std::string("Media\\") + c.name, c.bytes);
        Counting progress;
        const std::optional<FileDigest> digest = files.Digest(std::string("Media\\") + c.name, &progress);
        ASSERT_TRUE(digest);
        EXPECT_EQ(DigestHex(*digest), c.digest);
        EXPECT_EQ(progress.total, c.bytes.size());
    }
    EXPECT_EQ(files.Digest("Media\\Gone.mdc", nullptr), std::nullopt);

    scope.Game().Write("Media\\Large.mdc", large);
    Counting all;
    ASSERT_TRUE(files.Digest("Media\\Large.mdc", &all));
    EXPECT_EQ(all.total, large.size());
    // Told to stop, even at its last report, the reading has no digest.
    Counting stopping(1);
    EXPECT_EQ(files.Digest("Media\\Large.mdc", &stopping), std::nullopt);
}

TEST(InstalledFilesOnWine, ManyDigestsAtOnceComeInTheOrderAsked)
{
    testing::GameFolderScope scope;
    // More files than readers, so that readers take several each.
    const std::string large(2 * 1024 * 1024 + 3, 'a');
    scope.Game().Write("Media\\Abc.mdc", "abc");
    scope.Game().Write("Media\\Empty.mdc", "");
    for (const char* name : { "Large1.mdc", "Large2.mdc", "Large3.mdc", "Large4.mdc", "Large5.mdc" }) {
        scope.Game().Write(std::string("Media\\") + name, large);
    }
    const std::vector<std::string> asked = { "Media\\Large1.mdc", "Media\\Abc.mdc", "Media\\Gone.mdc",
        "Media\\Large2.mdc", "Media\\Empty.mdc", "Media\\Large3.mdc", "Media\\Large4.mdc", "Media\\Large5.mdc" };
    const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    const std::string empty = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
    const std::string big = "94444f79251aaf2956ac6d46ef04f4e1cb8aa188d97f21fecd00e068e2b235b2";
    struct Case {
        const char* why;
        std::uint64_t stopAt;
        // "" for no digest.
        std::vector<std::string> digests;
        std::uint64_t told;
    };
    const std::vector<Case> cases = {
        { "read to the end", UINT64_MAX, { big, abc, "", big, empty, big, big, big }, 3 + 5 * large.size() },
        // Told to stop at its first report, even one after the last byte:
        // no digest at all.
        { "stopped", 1, { "", "", "", "", "", "", "", "" }, 0 },
    };
    Win32MessagePump pump;
    Win32InstalledFiles files(pump);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        Counting progress(c.stopAt);
        std::vector<std::string> hex;
        for (const std::optional<FileDigest>& digest : files.Digests(asked, &progress)) {
            hex.push_back(digest ? DigestHex(*digest) : "");
        }
        EXPECT_EQ(hex, c.digests);
        if (c.told > 0) {
            EXPECT_EQ(progress.total, c.told);
        }
    }
    EXPECT_TRUE(files.Digests({}, nullptr).empty());
}

} // namespace
} // namespace gsd
