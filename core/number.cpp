#include "number.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vellacor {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<double> readNumber(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);

    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }

    int digits = 0;
    int points = 0;
    bool wholePartNonZero = false;
    for (char c : text) {
        if (isDigit(c)) {
            ++digits;
            if (points == 0 && c != '0')
                wholePartNonZero = true;
        } else if (c == '.') {
            ++points;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || points > 1)
        return std::nullopt;

    double value = 0.0;
    const auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        // Hundreds of digits: far above or below anything the rules compare with.
        value = wholePartNonZero ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

bool isOctetText(std::string_view text)
{
    if (text.empty() || text.size() > 3)
        return false;
    for (char c : text) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

} // namespace vellacor
