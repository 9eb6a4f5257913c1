#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vellacor {

struct SubnetSelection {
    std::string RangeIP;   // the line without its brackets
    std::string netID;     // first host minus one
    std::string BCAddress; // last host plus one

    bool operator==(const SubnetSelection &) const = default;
};

// Cuts a range line "[a.b.c.first - a.b.c.last]" apart into the subnet it describes.
// Lines of any other shape (no brackets, no " - " at the first "-", a host octet that is not
// digits or not from 1 to 254) give nothing, so the caller leaves what it shows alone.
std::optional<SubnetSelection> selectRangeLine(std::string_view line);

} // namespace vellacor
