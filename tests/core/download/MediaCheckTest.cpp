#include "download/MediaCheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeInstalledFiles.h"
#include "fakes/FakeListView.h"
#include "fakes/FakeRecordStore.h"

namespace gsd {
namespace {

using testing::DigestOf;

constexpr std::uint64_t InstalledAt = 132000000000000000;

class Lines final : public SupportLog {
public:
    void Write(std::string_view event) override { lines.emplace_back(event); }
    std::vector<std::string> lines;
};

class Status final : public StatusDialog {
public:
    void Show() override { }
    void SetStatusLine(std::string_view) override { }
    void SetDetailLines(std::string_view, bool) override { }
    bool CancelRequested() const override { return ++questions > cancelAfter; }
    void SetProgress(double fraction) override { progress.push_back(fraction); }
    WindowHandle Window() const override { return WindowHandle::None; }
    void DisableCancel() override { }

    int cancelAfter = 1000;
    mutable int questions = 0;
    std::vector<double> progress;
};

TEST(MediaCheckTest, VerdictFromSizeTimeAndDigest)
{
    const InstalledRecord record { "A.mdc", { 8, InstalledAt }, DigestOf("original"), false };
    InstalledRecord known = record;
    known.damaged = true;
    const FileLook same { FileState::Present, { 8, InstalledAt } };
    const FileLook touched { FileState::Present, { 8, InstalledAt + 1 } };
    const FileLook shorter { FileState::Present, { 7, InstalledAt } };
    const FileLook missing { FileState::Missing, {} };
    const FileLook unreadable { FileState::Unreadable, {} };
    const auto good = std::optional<FileDigest>(DigestOf("original"));
    const auto other = std::optional<FileDigest>(DigestOf("0riginal"));
    const std::optional<FileDigest> unread;
    struct Case {
        const char* why;
        const InstalledRecord& record;
        FileLook look;
        CheckDepth depth;
        // Used only when the facts leave the verdict open.
        std::optional<FileDigest> digest;
        bool readsBytes;
        Finding finding;
    };
    const std::vector<Case> cases = {
        { "a flipped byte, size and time kept, escapes a start", record, same, CheckDepth::Quick, other, false,
            Finding::Sound },
        { "a flipped byte is found by a verify", record, same, CheckDepth::Full, other, true, Finding::Digest },
        { "unchanged at a verify", record, same, CheckDepth::Full, good, true, Finding::Sound },
        { "touched, bytes kept", record, touched, CheckDepth::Quick, good, true, Finding::Sound },
        { "touched and changed", record, touched, CheckDepth::Quick, other, true, Finding::Time },
        { "touched and changed, at a verify", record, touched, CheckDepth::Full, other, true, Finding::Time },
        { "shortened: no need to read", record, shorter, CheckDepth::Quick, good, false, Finding::Size },
        { "shortened, at a verify", record, shorter, CheckDepth::Full, good, false, Finding::Size },
        { "gone", record, missing, CheckDepth::Quick, unread, false, Finding::Missing },
        { "gone after it was found damaged", known, missing, CheckDepth::Full, unread, false, Finding::Missing },
        { "found damaged before, whatever it holds now", known, same, CheckDepth::Full, good, false,
            Finding::KnownDamaged },
        { "cannot be looked at", record, unreadable, CheckDepth::Full, unread, false, Finding::Unjudged },
        { "touched and cannot be read", record, touched, CheckDepth::Quick, unread, true, Finding::Unjudged },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const std::optional<Finding> byFacts = JudgeByFacts(c.record, c.look, c.depth);
        EXPECT_EQ(!byFacts.has_value(), c.readsBytes);
        EXPECT_EQ(byFacts ? *byFacts : JudgeByDigest(c.record, c.look, c.digest), c.finding);
    }
}

class MediaCheckRunTest : public ::testing::Test {
protected:
    // Records a file as installed with `bytes`, and puts it in place.
    void Install(const std::string& name, const std::string& bytes)
    {
        ASSERT_TRUE(WriteInstalledRecord(store, { name, { bytes.size(), InstalledAt }, DigestOf(bytes), false }));
        files.files["Media\\" + name] = { bytes, InstalledAt };
    }

    testing::FakeRecordStore store;
    testing::FakeInstalledFiles files;
    Lines log;
};

TEST_F(MediaCheckRunTest, AStartNamesWhatChangedOnceAndReportsItUntilInstalledAgain)
{
    Install("Bricks.mdc", "bricks-1");
    Install("Canals.mdc", "canals-1");
    Install("Flipped.mdc", "flip-one");
    Install("Gone.mdc", "gone");
    Install("Touched.mdc", "touched");
    files.files["Media\\Bricks.mdc"].bytes = "brick";
    files.files["Media\\Canals.mdc"] = { "canals-2", InstalledAt + 9 };
    files.files["Media\\Flipped.mdc"].bytes = "flip-0ne";
    files.files.erase("Media\\Gone.mdc");
    files.files["Media\\Touched.mdc"].lastWrite = InstalledAt + 5;

    const CheckOutcome first = CheckInstalledFiles(store, files, CheckDepth::Quick, nullptr, &log);
    EXPECT_FALSE(first.cancelled);
    EXPECT_EQ(first.checked, 5);
    EXPECT_EQ(first.newlyDamaged, (std::vector<std::string> { "Bricks.mdc", "Canals.mdc", "Gone.mdc" }));
    EXPECT_EQ(first.reportedDamaged, (std::set<std::string> { "Bricks.mdc", "Canals.mdc" }));
    // Only the files whose time changed were read.
    EXPECT_EQ(files.read, (std::vector<std::string> { "Media\\Canals.mdc", "Media\\Touched.mdc" }));
    EXPECT_EQ(log.lines,
        (std::vector<std::string> { "quick look of the installed media files: 5 checked",
            "media file Bricks.mdc: damaged (size)", "media file Canals.mdc: damaged (time)",
            "media file Gone.mdc: damaged (missing)" }));

    files.read.clear();
    const CheckOutcome second = CheckInstalledFiles(store, files, CheckDepth::Quick, nullptr, nullptr);
    EXPECT_EQ(second.checked, 4);
    EXPECT_TRUE(second.newlyDamaged.empty());
    EXPECT_EQ(second.reportedDamaged, first.reportedDamaged);
    // The touched file got its new time and is not read again.
    EXPECT_TRUE(files.read.empty());

    // Installed again: sound from then on.
    files.files["Media\\Bricks.mdc"] = { "bricks-2", InstalledAt + 20 };
    ASSERT_TRUE(RecordInstalledFile(store, files, "Bricks", DigestOf("bricks-2"), nullptr));
    EXPECT_EQ(CheckInstalledFiles(store, files, CheckDepth::Full, nullptr, nullptr).reportedDamaged,
        (std::set<std::string> { "Canals.mdc", "Flipped.mdc" }));
}

TEST_F(MediaCheckRunTest, AVerifyReadsEverythingAndChangesNothingWhenAllIsSound)
{
    Install("Bricks.mdc", "bricks-1");
    Install("Canals.mdc", "canals-1");
    files.files["Media\\Canals.mdc"].lastWrite = InstalledAt + 1;
    const std::vector<std::string> before = store.Pairs();
    Status status;
    const CheckOutcome outcome = CheckInstalledFiles(store, files, CheckDepth::Full, &status, &log);
    EXPECT_EQ(outcome.checked, 2);
    EXPECT_TRUE(outcome.damaged.empty());
    EXPECT_EQ(store.Pairs(), before);
    // Pieces of 4 of 16 bytes in all.
    EXPECT_EQ(status.progress, (std::vector<double> { 0.25, 0.5, 0.75, 1.0 }));
    EXPECT_EQ(VerifiedText(outcome), "2 game files were checked: all are as this program installed them.");
}

TEST_F(MediaCheckRunTest, ACancelledVerifyChangesNothing)
{
    Install("Bricks.mdc", "bricks-1");
    Install("Canals.mdc", "canals-1");
    files.files["Media\\Bricks.mdc"].bytes = "bricks-2";
    files.files.erase("Media\\Canals.mdc");
    const std::vector<std::string> before = store.Pairs();
    Status status;
    status.cancelAfter = 1;
    const CheckOutcome outcome = CheckInstalledFiles(store, files, CheckDepth::Full, &status, &log);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_TRUE(outcome.damaged.empty());
    EXPECT_EQ(store.Pairs(), before);
    EXPECT_EQ(log.lines, (std::vector<std::string> { "check of the installed media files: cancelled, nothing changed" }));
}

TEST_F(MediaCheckRunTest, AVerifyAsksForEveryDigestAtOnceAndJudgesThemInRecordOrder)
{
    struct Case {
        const char* why;
        // Pieces of 4 bytes: 2 for each file read to its end.
        int cancelAfter;
        std::vector<std::string> read;
        bool cancelled;
        std::vector<std::string> log;
    };
    const std::string checked = "verify of the installed media files: 4 checked";
    const std::string cancelled = "check of the installed media files: cancelled, nothing changed";
    const std::vector<Case> cases = {
        { "one that cannot be read among the others", 1000,
            { "Media\\Alpha.mdc", "Media\\Bravo.mdc", "Media\\Charlie.mdc", "Media\\Delta.mdc" }, false,
            { checked, "media file Bravo.mdc: damaged (digest)", "media file Charlie.mdc: could not be read, not judged",
                "media file Delta.mdc: damaged (digest)" } },
        { "cancelled in the second file", 3, { "Media\\Alpha.mdc", "Media\\Bravo.mdc" }, true, { cancelled } },
        { "cancelled at the last piece", 5,
            { "Media\\Alpha.mdc", "Media\\Bravo.mdc", "Media\\Charlie.mdc", "Media\\Delta.mdc" }, true,
            { cancelled } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        store = {};
        files = {};
        log.lines.clear();
        Install("Alpha.mdc", "alpha-01");
        Install("Bravo.mdc", "bravo-01");
        Install("Charlie.mdc", "charlie1");
        Install("Delta.mdc", "delta-01");
        files.files["Media\\Bravo.mdc"].bytes = "bravo-02";
        files.files["Media\\Delta.mdc"].bytes = "delta-02";
        files.failReading.insert("Media\\Charlie.mdc");
        const std::vector<std::string> before = store.Pairs();
        Status status;
        status.cancelAfter = c.cancelAfter;

        const CheckOutcome outcome = CheckInstalledFiles(store, files, CheckDepth::Full, &status, &log);
        EXPECT_EQ(files.batches, (std::vector<std::size_t> { 4 }));
        EXPECT_EQ(files.read, c.read);
        EXPECT_EQ(outcome.cancelled, c.cancelled);
        EXPECT_EQ(log.lines, c.log);
        if (c.cancelled) {
            EXPECT_EQ(store.Pairs(), before);
        } else {
            EXPECT_EQ(outcome.reportedDamaged, (std::set<std::string> { "Bravo.mdc", "Delta.mdc" }));
        }
    }
}

TEST_F(MediaCheckRunTest, AFileThatCannotBeReadIsNotJudged)
{
    Install("Held.mdc", "held");
    files.unreadable.insert("Media\\Held.mdc");
    const std::vector<std::string> before = store.Pairs();
    const CheckOutcome outcome = CheckInstalledFiles(store, files, CheckDepth::Full, nullptr, &log);
    EXPECT_TRUE(outcome.damaged.empty());
    EXPECT_EQ(store.Pairs(), before);
    EXPECT_EQ(log.lines.back(), "media file Held.mdc: could not be read, not judged");
}

TEST_F(MediaCheckRunTest, AnInstallThatCannotBeLookedAtLeavesNoRecord)
{
    EXPECT_FALSE(RecordInstalledFile(store, files, "Bricks", DigestOf("x"), &log));
    EXPECT_TRUE(store.values.empty());
    EXPECT_EQ(log.lines, (std::vector<std::string> { "media file Bricks.mdc: installed, but no record of it could be kept" }));
}

TEST(MediaCheckTest, TheOfferedRepairsAreSelected)
{
    testing::FakeListView list(true);
    list.rows = { { "Object pack", "", "", "", "", "Bricks" }, { "Object pack", "", "", "", "", "canals" },
        { "Language file", "", "", "", "", "Language" }, { "Object pack", "", "", "", "", "Stones" } };
    Lines log;
    const std::vector<CheckedFile> damaged
        = { { "Bricks.mdc", Finding::Size }, { "Canals.mdc", Finding::Digest }, { "Language.mdc", Finding::Time },
              { "Gone.mdc", Finding::Missing } };
    EXPECT_EQ(SelectOfferedRepairs(list, damaged, &log),
        (std::vector<std::string> { "Bricks.mdc", "Canals.mdc", "Language.mdc" }));
    EXPECT_EQ(list.selected, (std::vector<int> { 0, 1, 2 }));
    EXPECT_EQ(log.lines.back(), "media file Language.mdc: offered again by the server");
}

TEST(MediaCheckTest, MessagesNameTheFiles)
{
    EXPECT_EQ(DamagedAtStartText({ "Bricks.mdc", "Gone.mdc" }),
        "These game files have changed or gone missing since this program installed them:\r\n\r\nBricks.mdc\r\n"
        "Gone.mdc\r\n\r\nThose that the server offers again are selected in its list: download them to repair the "
        "game.");
    CheckOutcome outcome;
    outcome.checked = 1;
    outcome.damaged = { { "Bricks.mdc", Finding::Digest } };
    EXPECT_EQ(VerifiedText(outcome),
        "1 game file was checked.  These have changed or gone missing since this program installed them:\r\n\r\n"
        "Bricks.mdc\r\n\r\nThose that the server offers again are selected in its list: download them to repair the "
        "game.");
}

} // namespace
} // namespace gsd
