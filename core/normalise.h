#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vellacor {

struct HostCountNormalised {
    std::string text;
    bool replaced = false;
};

// Caps the host count at 254 and turns an empty or zero count into 254. Any other text,
// including negative counts, fractions and text that is no number, is left as typed.
HostCountNormalised normaliseHostCount(std::string_view text);

struct Replacement {
    int index = 0; // octet field 0, 1 or 2
    std::string text;

    bool operator==(const Replacement &) const = default;
};

struct OctetsNormalised {
    std::array<std::string, 3> texts;
    std::vector<Replacement> replacements; // in the order the rules made them
};

// Caps the first octet at 223 and the others at 255 (anything above 254 becomes 255), then
// replaces a first octet "0" by 192 and a second octet "0" by 168, giving the default
// network 192.168.0. The "0" tests compare characters: "00" stays. Each step sees the
// texts as the steps before it left them; text that is no number is left alone.
OctetsNormalised normaliseOctets(std::string_view octet0, std::string_view octet1,
                                 std::string_view octet2);

} // namespace vellacor
