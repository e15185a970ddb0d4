// Checking the media files this program installed against their records:
// the quick look of every start (size and last-write time; the bytes are
// read only of a file whose time changed) and the verify the player asks for
// (every recorded file read whole). A file that is missing, or whose bytes
// are no longer those received, is damaged: the inventory report then tells
// the server it has version 0|0|0 of it, so the server offers it again.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "download/InstalledMediaRecords.h"
#include "ports/InstalledFiles.h"
#include "ports/ListView.h"
#include "ports/RecordStore.h"
#include "ports/StatusDialog.h"
#include "ports/SupportLog.h"

namespace gsd {

enum class CheckDepth {
    // Size and time only; the bytes of a file whose time changed.
    Quick,
    // The bytes of every recorded file, whatever its size and time.
    Full,
};

// What a check makes of one recorded file.
enum class Finding {
    Sound,
    // Could not be looked at or read: nothing is judged, the record stays.
    Unjudged,
    // Damaged: gone, its size changed, its time and bytes changed, or its
    // bytes alone changed.
    Missing,
    Size,
    Time,
    Digest,
    // Found damaged by an earlier check and named then.
    KnownDamaged,
};

bool IsDamage(Finding finding);

// Why, as the support log says it: "missing", "size", "time", "digest",
// "found damaged before".
std::string_view FindingWords(Finding finding);

// The finding from the record and the file's size and time alone; nullopt
// when the file's bytes must decide (JudgeByDigest). A size that changed
// decides without reading: bytes of another length are other bytes.
std::optional<Finding> JudgeByFacts(const InstalledRecord& record, const FileLook& look, CheckDepth depth);

// The finding once the bytes of a file that JudgeByFacts left open are
// read (`digest` nullopt: they could not be).
Finding JudgeByDigest(const InstalledRecord& record, const FileLook& look, const std::optional<FileDigest>& digest);

struct CheckedFile {
    std::string fileName;
    Finding finding;
};

struct CheckOutcome {
    // The player pressed Cancel: nothing was changed.
    bool cancelled = false;
    // The recorded files checked.
    int checked = 0;
    // Every file found damaged, in record order, with why.
    std::vector<CheckedFile> damaged;
    // The damaged files not named to the player before: this check's news.
    std::vector<std::string> newlyDamaged;
    // The files to report as 0|0|0: damaged and still there.
    std::set<std::string> reportedDamaged;
};

// Checks every recorded file at `depth` and, unless cancelled, keeps what
// it found: a damaged file's record is marked so (and it stays reported as
// damaged until installed again), a missing file's record is removed, and
// at the quick look a file whose time alone changed gets its new time. A
// Full check that finds nothing changes no record. `status` (may be null)
// shows the bytes read of the bytes to read and offers Cancel. Logs one
// line with the count and one per damaged file with why.
CheckOutcome CheckInstalledFiles(
    RecordStore& store, InstalledFiles& files, CheckDepth depth, StatusDialog* status, SupportLog* log);

// After a media file has been put in place as "Media\" + `itemFileName` +
// ".mdc": records its size and time as the file system now has them and
// `digest`, the SHA-256 of the bytes received. False (and logged) when the
// file cannot be looked at or the store refuses.
bool RecordInstalledFile(RecordStore& store, InstalledFiles& files, std::string_view itemFileName,
    const FileDigest& digest, SupportLog* log);

// Selects the rows of the server's list whose file name is that of one of
// `fileNames` (a media file's name without ".mdc"); returns the names of
// the files whose rows it selected, and logs them.
std::vector<std::string> SelectOfferedRepairs(
    ListView& serverList, const std::vector<CheckedFile>& damaged, SupportLog* log);

// The message (caption "Notice") that names the files found changed or
// missing at a start.
std::string DamagedAtStartText(const std::vector<std::string>& fileNames);

// The message that ends a verify: how many files were checked and which
// were found damaged or missing.
std::string VerifiedText(const CheckOutcome& outcome);

} // namespace gsd
