// Fuzzes readNumber() and isOctetText() with arbitrary bytes.
//
// Invariants:
// - readNumber never gives NaN.
// - It accepts exactly the texts made of: blanks/tabs at the ends, one optional sign, then
//   digits with at most one '.', at least one digit.
// - For short accepted texts the value equals the C library's reading of the same
//   characters (strtod, "C" locale), negated for '-'. Longer texts agree as far as a double
//   can tell them apart: overflow reads as infinity, underflow as (nearly) zero.
// - Blanks around a text never change what it reads as.
// - isOctetText is true exactly for one to three ASCII digits, and such a text reads as its
//   integer value.

#include "fuzz_check.h"
#include "number.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

using vellacor::isOctetText;
using vellacor::readNumber;

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

struct Shape {
    bool negative = false;
    std::string_view unsignedPart; // digits and at most one '.'
};

// What a plain decimal looks like, written out independently of number.cpp.
std::optional<Shape> plainDecimal(std::string_view text)
{
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos)
        return std::nullopt;
    const std::size_t end = text.find_last_not_of(" \t") + 1;
    std::string_view core = text.substr(begin, end - begin);
    Shape shape;
    if (core.front() == '+' || core.front() == '-') {
        shape.negative = core.front() == '-';
        core.remove_prefix(1);
    }
    std::size_t digits = 0, points = 0;
    for (char c : core) {
        if (isDigit(c))
            ++digits;
        else if (c == '.')
            ++points;
        else
            return std::nullopt;
    }
    if (digits == 0 || points > 1)
        return std::nullopt;
    shape.unsignedPart = core;
    return shape;
}

void checkNumber(std::string_view text)
{
    const std::optional<double> value = readNumber(text);
    const std::optional<Shape> shape = plainDecimal(text);
    if (value.has_value() != shape.has_value()) {
        fuzzcheck::dump("text", text);
        FUZZ_CHECK(value.has_value() == shape.has_value());
    }
    if (!value)
        return;
    FUZZ_CHECK(!std::isnan(*value));

    const std::string unsignedPart(shape->unsignedPart);
    char *end = nullptr;
    double reference = std::strtod(unsignedPart.c_str(), &end);
    FUZZ_CHECK(end == unsignedPart.c_str() + unsignedPart.size());
    if (shape->negative)
        reference = -reference;

    if (text.size() <= 30) {
        if (*value != reference) {
            fuzzcheck::dump("text", text);
            std::fprintf(stderr, "  read %.17g, expected %.17g\n", *value, reference);
            FUZZ_CHECK(*value == reference);
        }
    } else if (std::isinf(reference)) {
        FUZZ_CHECK(*value == reference);
    } else if (std::fabs(reference) >= DBL_MIN) {
        if (*value != reference) {
            fuzzcheck::dump("text", text);
            std::fprintf(stderr, "  read %.17g, expected %.17g\n", *value, reference);
            FUZZ_CHECK(*value == reference);
        }
    } else {
        // Below the smallest normal double: nothing the rules compare with is that small.
        FUZZ_CHECK(std::fabs(*value) < DBL_MIN);
    }
    // The sign is the typed one, whatever the magnitude ("-0" is zero, not below it).
    FUZZ_CHECK(shape->negative ? *value <= 0 : *value >= 0);

    // Blanks around a text never change it.
    const std::string padded = " \t" + std::string(text) + "\t ";
    const std::optional<double> again = readNumber(padded);
    FUZZ_CHECK(again && *again == *value);
}

void checkOctetText(std::string_view text)
{
    bool expected = !text.empty() && text.size() <= 3;
    for (char c : text)
        expected = expected && isDigit(c);
    FUZZ_CHECK(isOctetText(text) == expected);
    if (!expected)
        return;
    int integer = 0;
    for (char c : text)
        integer = integer * 10 + (c - '0');
    const std::optional<double> value = readNumber(text);
    FUZZ_CHECK(value && *value == integer);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    checkNumber(text);
    checkOctetText(text);
    // The last three bytes as well: octet texts are at most three characters, and a random
    // input rarely is that short on its own.
    if (size > 3)
        checkOctetText(text.substr(size - 3));
    return 0;
}
