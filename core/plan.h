#pragma once

#include <optional>
#include <string_view>

namespace vellacor {

// One of the seven subnet sizes a /24 network is cut into.
struct SubnetPlan {
    int maskOctet = 0;      // last octet of the mask; the first three are always 255
    int hostsPerSubnet = 0; // usable addresses in each subnet
    int prefixLength = 0;
    int subnetCount = 0;
    std::string_view hostsText; // hostsPerSubnet as text, straight from the table
};

// The smallest subnet that still holds hostCount hosts. Lower bounds are strict and upper
// bounds inclusive (126 gives /25, 127 gives /24); fractions compare as they are.
// No plan for a count of zero or less.
std::optional<SubnetPlan> choosePlan(double hostCount);

} // namespace vellacor
