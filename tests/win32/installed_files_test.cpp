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

} // namespace
} // namespace gsd
