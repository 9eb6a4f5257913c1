#pragma once

// How a calculation flows: the main window reads its fields as text, checkInputs() refuses
// what cannot make a plan, normaliseHostCount()/normaliseOctets() correct what is out of
// range, and buildDetailReport() turns the corrected texts into every text the detail window
// shows. The detail window later cuts one range line apart (selectRangeLine) and writes the
// report file (reportFileText). Nothing here keeps state between calls.

#include "rangelines.h"

#include <string>
#include <string_view>

namespace vellacor {

struct DetailReport {
    std::string netID; // network address of the first subnet
    std::string netMask;
    std::string BCAddress; // broadcast address of the first subnet
    std::string RangeIP;   // host range of the first subnet
    std::string max_client;
    std::string prefix; // "/" and the prefix length
    std::string nSubnet;
    RangeLines Val_IP_Add; // "[first - last]", one line per subnet

    bool operator==(const DetailReport &) const = default;
};

enum class InputError {
    None,
    HostCountEmpty,       // no characters at all
    HostCountNotNumber,   // does not read as a number
    HostCountNotPositive, // zero or less: no subnet size fits
    OctetNotWhole,        // not one to three digits; field says which octet
};

struct Checked {
    InputError error = InputError::None;
    int field = 0; // octet 1, 2 or 3 for OctetNotWhole

    explicit operator bool() const { return error == InputError::None; }
};

// Whether a calculation from these field texts would succeed once the texts are normalised.
// Checks in the order a user reads the window: host count, then octets 1 to 3.
Checked checkInputs(std::string_view hostCount, std::string_view octet0, std::string_view octet1,
                    std::string_view octet2);

struct ReportResult {
    Checked check;
    DetailReport report; // complete when check passes, empty otherwise
};

// Builds the whole report from already normalised texts. The octet texts are copied into
// every address exactly as they stand ("010" stays "010").
ReportResult buildDetailReport(std::string_view hostCount, std::string_view octet0,
                               std::string_view octet1, std::string_view octet2);

} // namespace vellacor
