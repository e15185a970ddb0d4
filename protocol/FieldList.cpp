#include "protocol/FieldList.h"

namespace gsd {
namespace {

constexpr std::size_t NotFound = std::string_view::npos;

// Finds the separator at or after `from`. An empty separator never matches,
// so walking a list with one cannot stall.
std::size_t FindSeparator(std::string_view text, std::string_view separator, std::size_t from)
{
    if (separator.empty() || from > text.size()) {
        return NotFound;
    }
    return text.find(separator, from);
}

// Returns the offset where field `index` starts, or NotFound when the text
// has fewer than `index` separators.
std::size_t FieldStart(std::string_view text, int index, std::string_view separator)
{
    if (index < 0) {
        return NotFound;
    }
    std::size_t position = 0;
    for (int i = 0; i < index; ++i) {
        const std::size_t found = FindSeparator(text, separator, position);
        if (found == NotFound) {
            return NotFound;
        }
        position = found + separator.size();
    }
    return position;
}

} // namespace

std::string GetField(std::string_view text, int index, std::string_view separator)
{
    const std::size_t start = FieldStart(text, index, separator);
    if (start == NotFound) {
        return std::string();
    }
    const std::size_t end = FindSeparator(text, separator, start);
    if (end == NotFound) {
        return std::string(text.substr(start));
    }
    return std::string(text.substr(start, end - start));
}

std::string SetField(std::string_view text, int index, std::string_view value, std::string_view separator)
{
    if (index < 0) {
        return std::string(text);
    }
    const std::size_t start = FieldStart(text, index, separator);
    std::string result;
    if (start == NotFound) {
        // Too few fields: append the missing separators, then the value.
        const std::size_t missing = static_cast<std::size_t>(index) + 1 - FieldCount(text, separator);
        result.reserve(text.size() + missing * separator.size() + value.size());
        result.append(text);
        for (std::size_t i = 0; i < missing; ++i) {
            result.append(separator);
        }
        result.append(value);
        return result;
    }
    const std::size_t end = FindSeparator(text, separator, start);
    const std::string_view rest = end == NotFound ? std::string_view() : text.substr(end);
    result.reserve(start + value.size() + rest.size());
    result.append(text.substr(0, start));
    result.append(value);
    result.append(rest);
    return result;
}

std::size_t FieldCount(std::string_view text, std::string_view separator)
{
    std::size_t count = 1;
    std::size_t position = FindSeparator(text, separator, 0);
    while (position != NotFound) {
        ++count;
        position = FindSeparator(text, separator, position + separator.size());
    }
    return count;
}

FieldCursor::FieldCursor(std::string_view text, std::string_view separator)
    : text_(text)
    , separator_(separator)
{
}

bool FieldCursor::Next(std::string_view& field)
{
    if (done_) {
        return false;
    }
    const std::size_t end = FindSeparator(text_, separator_, position_);
    if (end == NotFound) {
        field = text_.substr(position_);
        done_ = true;
    } else {
        field = text_.substr(position_, end - position_);
        position_ = end + separator_.size();
    }
    return true;
}

std::vector<std::string_view> SplitFields(std::string_view text, std::string_view separator)
{
    std::vector<std::string_view> fields;
    FieldCursor cursor(text, separator);
    std::string_view field;
    while (cursor.Next(field)) {
        fields.push_back(field);
    }
    return fields;
}

std::vector<std::string_view> ListLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    FieldCursor cursor(text, LineSeparator);
    std::string_view line;
    while (cursor.Next(line) && !line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace gsd
