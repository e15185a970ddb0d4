// The records of the media files this program installed: for each, what the
// file was when it was put in place (size, last-write time) and the SHA-256
// of the bytes received for it. They live in a record store of their own,
// beside the download records, one value per file: its name is the file's
// name in the Media folder ("Bricks.mdc"), its data
// "<size>|<last-write time>|<64 hex digits>", followed by "|damaged" once a
// check has found the file changed and the player has been told.
//
// A file the program did not install has no record and is never judged.
// The store is trusted only as far as the registry is: a record whose name
// is not a media file's, whose numbers are out of bounds or whose digest is
// not 64 hex digits is removed when read, and its file then counts as not
// recorded.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/InstalledFiles.h"
#include "ports/RecordStore.h"

namespace gsd {

// Far above the media files any game folder holds; a record beyond it is
// not written, and one read beyond it is removed.
inline constexpr std::size_t MaxInstalledRecords = 4096;
// Far above any media file, and within what the file system can hold.
inline constexpr std::uint64_t MaxRecordedFileSize = std::uint64_t { 1 } << 44;
// The largest time the system can turn into a date.
inline constexpr std::uint64_t MaxRecordedFileTime = 0x7FFFFFFFFFFFFFFFull;

struct InstalledRecord {
    // The file's name in the Media folder, with its extension.
    std::string fileName;
    FileFacts facts;
    FileDigest digest {};
    // Found changed or missing, and named to the player: reported as
    // changed until the file is installed again.
    bool damaged = false;
};

// `digest` as 64 lower-case hex digits.
std::string DigestHex(const FileDigest& digest);

// The record's value data.
std::string InstalledRecordData(const InstalledRecord& record);

// The record a value stands for; nullopt when the name is not a media file
// name ending in ".mdc" (any case) or the data is not exactly as
// InstalledRecordData writes it within the bounds above (hex digits of
// either case are taken).
std::optional<InstalledRecord> ParseInstalledRecord(std::string_view name, std::string_view data);

// "Media\" + the record's file name.
std::string RecordedFilePath(std::string_view fileName);

// Every good record, in the store's order, at most MaxInstalledRecords;
// every other value of the store is deleted. Empty when the store cannot be
// opened.
std::vector<InstalledRecord> ReadInstalledRecords(RecordStore& store);

// Writes `record`, replacing one of the same name. False when the store
// refuses, or holds MaxInstalledRecords others already.
bool WriteInstalledRecord(RecordStore& store, const InstalledRecord& record);

// Deletes the record of `fileName`; false when the store refuses.
bool RemoveInstalledRecord(RecordStore& store, std::string_view fileName);

// The name of a media file "Media\" + `itemFileName` + ".mdc" in the
// records: `itemFileName` + ".mdc".
std::string RecordNameOfItem(std::string_view itemFileName);

// Whether two media file names name the same file (letters of any case).
bool SameMediaFileName(std::string_view a, std::string_view b);

} // namespace gsd
