#include "download/MediaCheck.h"

#include <algorithm>

#include "shell/SupportLogLines.h"
#include "texts/ListColumns.h"

namespace gsd {
namespace {

constexpr std::string_view MediaExtension = ".mdc";

// The bar follows the bytes read of all the bytes to read; Cancel stops.
class CheckProgress final : public DigestProgress {
public:
    CheckProgress(StatusDialog* status, std::uint64_t total)
        : status_(status)
        , total_(total)
    {
    }

    bool BytesRead(std::uint64_t bytes) override
    {
        done_ += bytes;
        if (status_ == nullptr) {
            return true;
        }
        if (total_ > 0) {
            status_->SetProgress(std::min(1.0, static_cast<double>(done_) / static_cast<double>(total_)));
        }
        stopped_ = stopped_ || status_->CancelRequested();
        return !stopped_;
    }

    // The reading was told to stop: its digests are not to be judged.
    [[nodiscard]] bool Stopped() const { return stopped_; }

private:
    StatusDialog* status_;
    std::uint64_t total_;
    std::uint64_t done_ = 0;
    bool stopped_ = false;
};

struct Pending {
    std::size_t record;
    FileLook look;
    std::optional<Finding> finding;
};

void Log(SupportLog* log, const std::string& line)
{
    if (log != nullptr) {
        log->Write(line);
    }
}

// What the records become after a check; nothing for a Full check that
// found nothing.
void KeepFindings(RecordStore& store, const std::vector<InstalledRecord>& records, const std::vector<Pending>& checked,
    CheckDepth depth)
{
    for (const Pending& file : checked) {
        const InstalledRecord& record = records[file.record];
        if (file.finding == Finding::Missing) {
            RemoveInstalledRecord(store, record.fileName);
        } else if (IsDamage(*file.finding) && !record.damaged) {
            InstalledRecord marked = record;
            marked.damaged = true;
            WriteInstalledRecord(store, marked);
        } else if (depth == CheckDepth::Quick && file.finding == Finding::Sound
            && file.look.facts.lastWrite != record.facts.lastWrite) {
            // Touched, not changed: the next start need not read it again.
            InstalledRecord touched = record;
            touched.facts = file.look.facts;
            WriteInstalledRecord(store, touched);
        }
    }
}

std::string NameList(const std::vector<std::string>& fileNames)
{
    std::string list;
    for (const std::string& name : fileNames) {
        list.append("\r\n").append(name);
    }
    return list;
}

} // namespace

bool IsDamage(Finding finding)
{
    return finding != Finding::Sound && finding != Finding::Unjudged;
}

std::string_view FindingWords(Finding finding)
{
    switch (finding) {
    case Finding::Sound:
        return "sound";
    case Finding::Unjudged:
        return "could not be read";
    case Finding::Missing:
        return "missing";
    case Finding::Size:
        return "size";
    case Finding::Time:
        return "time";
    case Finding::Digest:
        return "digest";
    case Finding::KnownDamaged:
        return "found damaged before";
    }
    return {};
}

std::optional<Finding> JudgeByFacts(const InstalledRecord& record, const FileLook& look, CheckDepth depth)
{
    if (look.state == FileState::Missing) {
        return Finding::Missing;
    }
    if (record.damaged) {
        return Finding::KnownDamaged;
    }
    if (look.state == FileState::Unreadable) {
        return Finding::Unjudged;
    }
    if (look.facts.size != record.facts.size) {
        return Finding::Size;
    }
    if (depth == CheckDepth::Quick && look.facts.lastWrite == record.facts.lastWrite) {
        return Finding::Sound;
    }
    return std::nullopt;
}

Finding JudgeByDigest(const InstalledRecord& record, const FileLook& look, const std::optional<FileDigest>& digest)
{
    if (!digest) {
        return Finding::Unjudged;
    }
    if (*digest == record.digest) {
        return Finding::Sound;
    }
    return look.facts.lastWrite != record.facts.lastWrite ? Finding::Time : Finding::Digest;
}

CheckOutcome CheckInstalledFiles(
    RecordStore& store, InstalledFiles& files, CheckDepth depth, StatusDialog* status, SupportLog* log)
{
    const std::vector<InstalledRecord> records = ReadInstalledRecords(store);
    std::vector<Pending> checked;
    std::uint64_t toRead = 0;
    for (std::size_t index = 0; index < records.size(); ++index) {
        const FileLook look = files.Look(RecordedFilePath(records[index].fileName));
        const std::optional<Finding> finding = JudgeByFacts(records[index], look, depth);
        if (!finding) {
            toRead += look.facts.size;
        }
        checked.push_back({ index, look, finding });
    }
    // Every file to read is asked for at once, so that several can be read
    // together.
    std::vector<std::string> toDigest;
    for (const Pending& file : checked) {
        if (!file.finding) {
            toDigest.push_back(RecordedFilePath(records[file.record].fileName));
        }
    }
    CheckProgress progress(status, toRead);
    const std::vector<std::optional<FileDigest>> digests
        = toDigest.empty() ? std::vector<std::optional<FileDigest>> {} : files.Digests(toDigest, &progress);
    CheckOutcome outcome;
    if (progress.Stopped()) {
        outcome.cancelled = true;
        Log(log, "check of the installed media files: cancelled, nothing changed");
        return outcome;
    }
    std::size_t next = 0;
    for (Pending& file : checked) {
        if (!file.finding) {
            const std::optional<FileDigest> digest = next < digests.size() ? digests[next] : std::nullopt;
            ++next;
            file.finding = JudgeByDigest(records[file.record], file.look, digest);
        }
    }
    outcome.checked = static_cast<int>(records.size());
    Log(log,
        std::string(depth == CheckDepth::Quick ? "quick look" : "verify") + " of the installed media files: "
            + std::to_string(outcome.checked) + " checked");
    for (const Pending& file : checked) {
        const InstalledRecord& record = records[file.record];
        if (*file.finding == Finding::Unjudged) {
            Log(log, "media file " + OneLine(record.fileName) + ": could not be read, not judged");
        }
        if (!IsDamage(*file.finding)) {
            continue;
        }
        Log(log, "media file " + OneLine(record.fileName) + ": damaged (" + std::string(FindingWords(*file.finding)) + ")");
        outcome.damaged.push_back({ record.fileName, *file.finding });
        if (*file.finding != Finding::KnownDamaged) {
            outcome.newlyDamaged.push_back(record.fileName);
        }
        if (*file.finding != Finding::Missing) {
            outcome.reportedDamaged.insert(record.fileName);
        }
    }
    KeepFindings(store, records, checked, depth);
    return outcome;
}

bool RecordInstalledFile(RecordStore& store, InstalledFiles& files, std::string_view itemFileName,
    const FileDigest& digest, SupportLog* log)
{
    const std::string name = RecordNameOfItem(itemFileName);
    const FileLook look = files.Look(RecordedFilePath(name));
    if (look.state == FileState::Present && WriteInstalledRecord(store, { name, look.facts, digest, false })) {
        return true;
    }
    Log(log, "media file " + OneLine(name) + ": installed, but no record of it could be kept");
    return false;
}

std::vector<std::string> SelectOfferedRepairs(
    ListView& serverList, const std::vector<CheckedFile>& damaged, SupportLog* log)
{
    std::vector<std::string> selected;
    for (const CheckedFile& file : damaged) {
        const std::string_view name = file.fileName;
        const std::string_view base = name.substr(0, name.size() - std::min(name.size(), MediaExtension.size()));
        for (int row = 0; row < serverList.RowCount(); ++row) {
            if (SameMediaFileName(serverList.CellText(row, FileNameColumn), base)) {
                serverList.SelectRow(row);
                selected.push_back(file.fileName);
                Log(log, "media file " + OneLine(file.fileName) + ": offered again by the server");
                break;
            }
        }
    }
    return selected;
}

std::string DamagedAtStartText(const std::vector<std::string>& fileNames)
{
    return "These game files have changed or gone missing since this program installed them:\r\n"
        + NameList(fileNames)
        + "\r\n\r\nThose that the server offers again are selected in its list: download them to repair the game.";
}

std::string VerifiedText(const CheckOutcome& outcome)
{
    std::string text = std::to_string(outcome.checked) + (outcome.checked == 1 ? " game file was" : " game files were")
        + " checked";
    if (outcome.damaged.empty()) {
        return text + ": all are as this program installed them.";
    }
    std::vector<std::string> names;
    for (const CheckedFile& file : outcome.damaged) {
        names.push_back(file.fileName);
    }
    return text + ".  These have changed or gone missing since this program installed them:\r\n" + NameList(names)
        + "\r\n\r\nThose that the server offers again are selected in its list: download them to repair the game.";
}

} // namespace gsd
