// The game folder's files through the Win32 adapter, in a throw-away game
// folder that is the current directory.

#include <windows.h>

#include <gtest/gtest.h>

#include <shellapi.h>

#include <atomic>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "GameFolderScope.h"
#include "platform/Handles.h"
#include "platform/Win32GameFiles.h"

namespace gsd {
namespace {

std::string Hex(const FileDigest& digest)
{
    constexpr char Digits[] = "0123456789abcdef";
    std::string hex;
    for (const std::uint8_t byte : digest) {
        hex.push_back(Digits[byte >> 4]);
        hex.push_back(Digits[byte & 0x0F]);
    }
    return hex;
}

// What another program can do to `path` while this program holds it; each
// answer is whether it could.
struct Intrusions {
    bool readShared;
    bool openForWriting;
    bool replaceByMove;
    bool renameAway;
    bool deleteIt;
    bool operator==(const Intrusions&) const = default;
};

Intrusions TryIntrusions(const std::string& path, const std::string& stranger)
{
    constexpr DWORD All = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    Intrusions tried {};
    tried.readShared = static_cast<bool>(
        unique_file(CreateFileA(path.c_str(), GENERIC_READ, All, nullptr, OPEN_EXISTING, 0, nullptr)));
    tried.openForWriting = static_cast<bool>(
        unique_file(CreateFileA(path.c_str(), GENERIC_WRITE, All, nullptr, OPEN_EXISTING, 0, nullptr)));
    tried.replaceByMove
        = MoveFileExA(stranger.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
    tried.renameAway = MoveFileExA(path.c_str(), (path + ".away").c_str(), MOVEFILE_REPLACE_EXISTING);
    tried.deleteIt = DeleteFileA(path.c_str());
    return tried;
}

// Reads the file as a program that shares everything does.
std::string ReadShared(const std::string& path)
{
    unique_file file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (file && ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    return bytes;
}

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

    auto file = files_.CreateEmpty("Temp\\Download.tmp", failure);
    ASSERT_NE(file, nullptr) << failure.description;
    EXPECT_EQ(file->Finish(), std::nullopt);

    EXPECT_EQ(ReadShared(game_.PathOf("Temp\\Download.tmp")), "");
}

TEST_F(GameFilesOnWine, WrittenBytesArriveIntactInOrderAndInTheSystemsDigest)
{
    const std::string first("MDC\0\x01\xff\r\n\n\x1a", 10);
    std::string large(3 * 1024 * 1024 + 7, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) {
        large[i] = static_cast<char>(i * 31 % 251);
    }
    struct Case {
        const char* name;
        std::vector<std::string_view> pieces;
        std::string sha256;
    };
    const std::vector<Case> cases = {
        { "nothing", {}, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855" },
        { "one small piece", { "abc" }, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad" },
        { "small pieces as a transfer hands them over, then one large span", {},
            "e97c6a555c3db6b7649d16856de1120558e30c49932dc79f257d2331d03a857c" },
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        if (c.pieces.empty() && !c.sha256.starts_with("e3b0")) {
            c.pieces = { first, "" };
            for (std::size_t at = 0; at < large.size(); at += 1000) {
                c.pieces.push_back(std::string_view(large).substr(at, 1000));
            }
            c.pieces.push_back(large);
        }
        std::string expected;
        FileFailure failure;

        auto file = files_.CreateEmpty("Temp\\Download.tmp", failure);
        ASSERT_NE(file, nullptr) << failure.description;
        for (const std::string_view piece : c.pieces) {
            ASSERT_EQ(file->Write(piece), std::nullopt);
            expected.append(piece);
        }
        EXPECT_EQ(file->Finish(), std::nullopt);
        EXPECT_NE(file->Write("more"), std::nullopt) << "nothing is written after the end";

        EXPECT_EQ(Hex(file->WrittenDigest()), c.sha256);
        EXPECT_EQ(ReadShared(game_.PathOf("Temp\\Download.tmp")), expected);
    }
}

// From the first byte to the start of the installer, nobody else can change,
// replace, rename or delete the file; only a reader that shares everything
// gets in. The hold gives the file its new name and lets the installer
// start; a file let go unmoved is gone.
TEST_F(GameFilesOnWine, AReceivedInstallerIsHeldFromItsFirstByteToItsStart)
{
    const std::string tmp = game_.PathOf("Temp\\Download.tmp");
    const std::string exe = game_.PathOf("Temp\\Download.exe");
    const std::string stranger = game_.PathOf("Temp\\Stranger.exe");
    const std::string installer = ReadShared(e2e::BinFolder() + "import_ca.exe");
    ASSERT_FALSE(installer.empty());
    const Intrusions onlyReading { true, false, false, false, false };
    FileFailure failure;

    auto file = files_.CreateEmpty("Temp\\Download.tmp", failure);
    ASSERT_NE(file, nullptr) << failure.description;
    game_.Write("Temp\\Stranger.exe", "a stranger");
    EXPECT_EQ(TryIntrusions(tmp, stranger), onlyReading) << "created";
    ASSERT_EQ(file->Write(installer), std::nullopt);
    ASSERT_EQ(file->Finish(), std::nullopt);
    EXPECT_EQ(TryIntrusions(tmp, stranger), onlyReading) << "finished";
    ASSERT_EQ(file->HoldForStart(), std::nullopt);
    EXPECT_EQ(TryIntrusions(tmp, stranger), onlyReading) << "held for the start";
    game_.Write("Temp\\Download.exe", "leftover");
    ASSERT_EQ(file->MoveTo("Temp\\Download.exe"), std::nullopt);
    EXPECT_FALSE(game_.Exists("Temp\\Download.tmp"));
    EXPECT_EQ(TryIntrusions(exe, stranger), onlyReading) << "moved";

    SHELLEXECUTEINFOA start {};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    start.lpFile = exe.c_str();
    EXPECT_TRUE(ShellExecuteExA(&start)) << GetLastError();
    const unique_handle process(start.hProcess);
    file.reset();
    if (process) {
        TerminateProcess(process.get(), 0);
        WaitForSingleObject(process.get(), 10000);
    }
    EXPECT_EQ(ReadShared(exe), installer) << "the leftover is replaced, and a moved file stays";

    auto dropped = files_.CreateEmpty("Temp\\Download.tmp", failure);
    ASSERT_NE(dropped, nullptr);
    EXPECT_EQ(dropped->Write("half a file"), std::nullopt);
    dropped.reset();
    EXPECT_FALSE(game_.Exists("Temp\\Download.tmp")) << "let go unmoved, deleted";
}

// Another program that opens the received file for writing in the instant
// the hold lets others in, and keeps it open a while, fails the hand-over;
// the file is neither lost nor deleted, and once that program has let go the
// next call completes the hold. The instant is short: the intruder tries
// until it gets in, and a file whose hand-over it missed is simply done.
TEST_F(GameFilesOnWine, AHandOverThatAnotherProgramInterruptsCanBeTriedAgain)
{
    const std::string tmp = game_.PathOf("Temp\\Download.tmp");
    const std::string stranger = game_.PathOf("Temp\\Stranger.exe");
    game_.Write("Temp\\Stranger.exe", "a stranger");
    constexpr int Attempts = 100;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        FileFailure failure;
        auto file = files_.CreateEmpty("Temp\\Download.tmp", failure);
        ASSERT_NE(file, nullptr) << failure.description;
        ASSERT_EQ(file->Write("the installer as sent"), std::nullopt);
        ASSERT_EQ(file->Finish(), std::nullopt);
        std::atomic<bool> stop { false };
        std::atomic<bool> inside { false };
        std::atomic<bool> release { false };
        // Opens for writing without sharing deleting, which the hold needs.
        std::thread intruder([&] {
            while (!stop) {
                const unique_file opened(CreateFileA(tmp.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr));
                if (opened) {
                    inside = true;
                    while (!release) {
                        Sleep(1);
                    }
                    return;
                }
            }
        });
        const std::optional<FileFailure> handedOver = file->HoldForStart();
        if (!handedOver) {
            stop = true;
            intruder.join();
            continue;
        }
        EXPECT_EQ(handedOver->code, static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
        EXPECT_TRUE(inside.load());
        EXPECT_NE(file->HoldForStart(), std::nullopt) << "still open elsewhere";
        EXPECT_EQ(ReadShared(tmp), "the installer as sent") << "kept while waiting";
        release = true;
        intruder.join();

        EXPECT_EQ(file->HoldForStart(), std::nullopt) << "let go by the other program";
        EXPECT_EQ(TryIntrusions(tmp, stranger), (Intrusions { true, false, false, false, false }));
        EXPECT_EQ(file->MoveTo("Temp\\Download.exe"), std::nullopt);
        file.reset();
        EXPECT_EQ(game_.Read("Temp\\Download.exe"), "the installer as sent");
        return;
    }
    GTEST_SKIP() << "no intruder got in during " << Attempts << " hand-overs";
}

TEST_F(GameFilesOnWine, RenameNeverReplacesAndPassesAHolderThatSharesDeleting)
{
    struct Case {
        const char* name;
        // Held meanwhile with this sharing; 0: not held.
        DWORD heldSharing;
        bool targetTaken;
        std::uint32_t failure; // 0: renamed
    };
    const std::vector<Case> cases = {
        { "a name taken", 0, true, ERROR_ALREADY_EXISTS },
        { "held by a reader that shares deleting", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false, 0 },
        { "held by a reader that shares only reading", FILE_SHARE_READ, false, ERROR_SHARING_VIOLATION },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(game_.PathOf("Temp\\Download.exe").c_str());
        DeleteFileA(game_.PathOf("Temp\\Download.exe.old").c_str());
        game_.Write("Temp\\Download.exe", "the old installer");
        if (c.targetTaken) {
            game_.Write("Temp\\Download.exe.old", "an older one");
        }
        const unique_file holder(c.heldSharing == 0
                ? INVALID_HANDLE_VALUE
                : CreateFileA(game_.PathOf("Temp\\Download.exe").c_str(), GENERIC_READ, c.heldSharing, nullptr,
                    OPEN_EXISTING, 0, nullptr));

        const std::optional<FileFailure> failure = files_.Rename("Temp\\Download.exe", "Temp\\Download.exe.old");

        EXPECT_EQ(failure ? failure->code : 0u, c.failure);
        if (c.failure == 0) {
            EXPECT_FALSE(game_.Exists("Temp\\Download.exe"));
            EXPECT_EQ(ReadShared(game_.PathOf("Temp\\Download.exe.old")), "the old installer");
        } else {
            EXPECT_EQ(failure->path, game_.PathOf("Temp\\Download.exe"));
            EXPECT_TRUE(game_.Exists("Temp\\Download.exe"));
            EXPECT_EQ(game_.Exists("Temp\\Download.exe.old"), c.targetTaken);
        }
    }
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
    FileFailure failure;
    auto file = files_.CreateEmpty("Temp\\Download.tmp", failure);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->Write("the new pack"), std::nullopt);
    ASSERT_EQ(file->Finish(), std::nullopt);

    const std::optional<FileFailure> refused = file->MoveTo("Nowhere\\Bricks.mdc");
    ASSERT_NE(refused, std::nullopt) << "no such folder";
    EXPECT_EQ(refused->code, static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(refused->description.empty());
    EXPECT_EQ(refused->path, game_.PathOf("Temp\\Download.tmp"));
    EXPECT_EQ(game_.Read("Media\\Bricks.mdc"), "the installed pack");

    EXPECT_EQ(file->MoveTo("Media\\Bricks.mdc"), std::nullopt);
    file.reset();
    EXPECT_EQ(game_.Read("Media\\Bricks.mdc"), "the new pack");
    EXPECT_FALSE(game_.Exists("Temp\\Download.tmp"));
}

TEST_F(GameFilesOnWine, DeleteRemovesAFileAndReportsNothingToDelete)
{
    game_.Write("Temp\\Download.exe", "an installer");

    EXPECT_EQ(files_.Delete("Temp\\Download.exe"), std::nullopt);
    EXPECT_FALSE(game_.Exists("Temp\\Download.exe"));
    EXPECT_NE(files_.Delete("Temp\\Download.exe"), std::nullopt);
}

} // namespace
} // namespace gsd
