// The game folder's files through the Win32 adapter, in a throw-away game
// folder that is the current directory.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "GameFolderScope.h"
#include "platform/Win32GameFiles.h"

namespace gsd {
namespace {

class GameFilesOnWine : public ::testing::Test {
protected:
    testing::GameFolderScope folder_;
    const e2e::GameFolder& game_ = folder_.Game();
    Win32GameFiles files_;
};

TEST_F(GameFilesOnWine, CreateEmptyEmptiesAnExistingFile)
{
    game_.Write("Temp\\Download.tmp", "a half-received file from before");
    FileFailure failure;

    auto writer = files_.CreateEmpty("Temp\\Download.tmp", failure);
    ASSERT_NE(writer, nullptr) << failure.description;
    EXPECT_EQ(writer->Close(), std::nullopt);

    EXPECT_EQ(game_.Read("Temp\\Download.tmp"), "");
}

TEST_F(GameFilesOnWine, WrittenBytesArriveIntactAndInOrder)
{
    const std::string first("MDC\0\x01\xff\r\n\n\x1a", 10);
    std::string large(3 * 1024 * 1024 + 7, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) {
        large[i] = static_cast<char>(i * 31 % 251);
    }
    FileFailure failure;

    auto writer = files_.CreateEmpty("Temp\\Download.tmp", failure);
    ASSERT_NE(writer, nullptr) << failure.description;
    EXPECT_EQ(writer->Write(first), std::nullopt);
    EXPECT_EQ(writer->Write(""), std::nullopt);
    // Small pieces as a transfer hands them over, then one large span.
    for (std::size_t at = 0; at < large.size(); at += 1000) {
        ASSERT_EQ(writer->Write(std::string_view(large).substr(at, 1000)), std::nullopt) << at;
    }
    EXPECT_EQ(writer->Write(large), std::nullopt);
    EXPECT_EQ(writer->Close(), std::nullopt);
    EXPECT_EQ(writer->Close(), std::nullopt) << "a second close does nothing";

    EXPECT_EQ(game_.Read("Temp\\Download.tmp"), first + large + large);
}

TEST_F(GameFilesOnWine, MissingFolderIsAFailureNamingTheFileAndTheCause)
{
    ASSERT_TRUE(RemoveDirectoryA(game_.PathOf("Temp").c_str()));
    FileFailure failure;

    EXPECT_EQ(files_.CreateEmpty("Temp\\Download.tmp", failure), nullptr);

    EXPECT_EQ(failure.code, static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(failure.description.empty());
    EXPECT_NE(failure.description.back(), '\n');
    EXPECT_EQ(failure.path, game_.PathOf("Temp\\Download.tmp"));
    EXPECT_FALSE(game_.Exists("Temp")) << "the folder is not created";
}

TEST_F(GameFilesOnWine, MoveReplacesTheTargetOrLeavesItAsItWas)
{
    game_.Write("Media\\Bricks.mdc", "the installed pack");
    game_.Write("Temp\\Download.tmp", "the new pack");

    EXPECT_EQ(files_.MoveReplacing("Temp\\Download.tmp", "Media\\Bricks.mdc"), std::nullopt);
    EXPECT_EQ(game_.Read("Media\\Bricks.mdc"), "the new pack");
    EXPECT_FALSE(game_.Exists("Temp\\Download.tmp"));

    const std::optional<FileFailure> failure = files_.MoveReplacing("Temp\\Download.tmp", "Media\\Bricks.mdc");
    ASSERT_NE(failure, std::nullopt) << "the source is gone";
    EXPECT_EQ(failure->code, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(failure->description.empty());
    EXPECT_EQ(failure->path, game_.PathOf("Temp\\Download.tmp"));
    EXPECT_EQ(game_.Read("Media\\Bricks.mdc"), "the new pack");
}

TEST_F(GameFilesOnWine, DeleteRemovesAFileAndReportsNothingToDelete)
{
    game_.Write("Temp\\Download.exe", "an installer");

    EXPECT_TRUE(files_.Delete("Temp\\Download.exe"));
    EXPECT_FALSE(game_.Exists("Temp\\Download.exe"));
    EXPECT_FALSE(files_.Delete("Temp\\Download.exe"));
}

} // namespace
} // namespace gsd
