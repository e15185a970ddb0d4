#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gsd {

// A field list is a byte text split by a separator string. Separators are
// found from left to right without overlap, each search starting right after
// the previous separator. A text with s separators has s + 1 fields numbered
// from 0; the empty text is one empty field. Nothing is quoted or escaped.
//
// Every separator must be non-empty; an empty separator is treated as never
// occurring, so the whole text is field 0.

// Separator between the fields of one record ("|").
inline constexpr std::string_view FieldSeparator = "|";
// Separator between the records of a list (CR LF).
inline constexpr std::string_view LineSeparator = "\r\n";

// Returns field `index` of `text`: the bytes between separator `index` and
// separator `index` + 1. A missing field (fewer than `index` separators, or a
// negative index) reads as empty.
std::string GetField(std::string_view text, int index, std::string_view separator);

// Returns `text` with field `index` replaced by `value`. Missing fields up to
// `index` are created empty. The value is not examined: a value containing the
// separator becomes several fields. A negative index leaves the text as it is.
// Afterwards GetField(result, index) == value and every other field keeps its
// bytes, provided the value holds no separator and the separator cannot
// overlap itself (true of "|" and CR LF).
std::string SetField(std::string_view text, int index, std::string_view value, std::string_view separator);

// Returns the number of fields of `text` (its separator count plus one).
std::size_t FieldCount(std::string_view text, std::string_view separator);

// Walks the fields of a text once, from field 0 on, in time linear in the
// text's length. Yields exactly the fields GetField reads, in order. The
// cursor views `text`: the text must outlive it and the fields it yields.
class FieldCursor {
public:
    FieldCursor(std::string_view text, std::string_view separator);

    // Stores the next field in `field` and returns true; returns false (and
    // leaves `field` alone) once every field has been yielded.
    bool Next(std::string_view& field);

private:
    std::string_view text_;
    std::string_view separator_;
    std::size_t position_ = 0;
    bool done_ = false;
};

// Returns every field of `text`: element i equals GetField(text, i,
// separator). The views point into `text`.
std::vector<std::string_view> SplitFields(std::string_view text, std::string_view separator);

// Returns the lines of a CR LF separated list from line 0 up to, not
// including, the first empty line; a list is read no further than that. The
// views point into `text`.
std::vector<std::string_view> ListLines(std::string_view text);

} // namespace gsd
