#pragma once

#include <optional>
#include <string_view>

namespace vellacor {

// The one reader for every number a user types. Accepts surrounding blanks, an optional
// sign and decimal digits with at most one decimal point ("." whatever the locale).
// Everything else (empty text, letters, exponents, group separators, "inf", "nan") is
// not a number. Leading zeros read as their value: "007" is 7.
std::optional<double> readNumber(std::string_view text);

// True when the text is one to three decimal digits and nothing else: the only octet texts
// that make a real address when copied into one.
bool isOctetText(std::string_view text);

} // namespace vellacor
