#include "protocol/DecimalNumber.h"

#include <charconv>
#include <climits>
#include <cstddef>
#include <system_error>

namespace gsd {
namespace {

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

int ReadDecimal(std::string_view text)
{
    std::size_t position = 0;
    while (position < text.size() && IsWhiteSpace(text[position])) {
        ++position;
    }
    bool negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        negative = text[position] == '-';
        ++position;
    }
    // A second sign is not a number: "+-1" reads as 0, not -1.
    if (position == text.size() || !IsDigit(text[position])) {
        return 0;
    }
    // from_chars takes a minus sign but not a plus sign, so it is handed the
    // minus; that way INT_MIN itself is still in range.
    const char* first = text.data() + position - (negative ? 1 : 0);
    int value = 0;
    if (std::from_chars(first, text.data() + text.size(), value).ec == std::errc::result_out_of_range) {
        return negative ? INT_MIN : INT_MAX;
    }
    return value;
}

std::optional<std::uint64_t> PlainDecimal(std::string_view text, std::uint64_t largest)
{
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (largest - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

} // namespace gsd
