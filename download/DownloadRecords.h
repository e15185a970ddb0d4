// The download records: the persistent queue of the file names the user
// chose, one string value "Secure Download Item " + number per selected row
// in the record store. They survive the program, so a choice made before a
// program upgrade ended it is selected again at the next start.
//
// A value is a record when its name holds "Secure Download Item " anywhere;
// every other value of the store is never touched. Records are taken in the
// order of the number after that text (values without one come last, in the
// store's order), not in the store's own order, which may be by name
// ("Item 1", "Item 10", "Item 2"). Every call opens the store afresh and
// closes it before it returns; when it cannot be opened the call shows
// "Registry key missing." (caption "Notice") and leaves the store alone.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "ports/MainWindow.h"
#include "ports/RecordStore.h"
#include "texts/ListColumns.h"

namespace gsd {

inline constexpr std::string_view RecordNamePrefix = "Secure Download Item ";

// Replaces every record by one per selected row of the server's list, in
// row order, numbered from 1, each holding the row's file name. The clearing
// always ends: a record the store refuses to delete is left and the others
// are still deleted; the user is told once, naming the first such record.
// A record the store refuses to write is left out, and the user is told
// once, naming the first such file. Returns the number of selected rows
// left without a record (all of them when the store cannot be opened).
int RecordSelection(RecordStore& store, MainWindow& window);

// The file name of the first record, skipping records that hold an empty
// name or one of `skipped`; empty when there is none.
std::string NextRecordedKey(RecordStore& store, MainWindow& window, const std::set<std::string>& skipped = {});

// Forgets a processed item everywhere: deletes the first record holding
// `fileName`, turns the first download-list line with that file name into a
// retired line (kind "0", empty file name, every other field and line kept)
// and removes the first server-list row with that file name. The list work
// is done even when the store cannot be opened or holds no such record.
// Returns false only when the store refused to delete the record, which
// then stays; says nothing about that itself.
bool RetireItem(RecordStore& store, MainWindow& window, std::string& downloadListText, std::string_view fileName);

// At start-up: selects, for each record while the server's list has rows,
// the first row holding the record's file name; other rows keep their state.
void ReselectRecordedItems(RecordStore& store, MainWindow& window);

} // namespace gsd
