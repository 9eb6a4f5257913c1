// Fuzzes selectRangeLine() with arbitrary text, and with lines of real reports.
//
// Invariants for any text:
// - It is accepted exactly when it is "[" first " - " last "]" with the only '-' of the
//   range being the one of " - ", and both addresses ending in '.' and 1 to 3 digits whose
//   value is a host of a /24 (1 to 254).
// - Then RangeIP is the text between the brackets; netID is the first address with its host
//   one lower and BCAddress the last address with its host one higher (both parsed back
//   from the digits after their last '.').
// Invariant for report lines: a line of a report built from valid inputs (host count chosen
// from the input, octets of one to three digits) is always accepted and gives that subnet's
// network and broadcast.

#include "fuzz_check.h"
#include "rangeline.h"
#include "report.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using namespace vellacor;

namespace {

struct Address {
    std::string_view network; // up to and including the last '.'
    int host = 0;
};

std::optional<int> digitsValue(std::string_view text, std::size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<Address> address(std::string_view text)
{
    const std::size_t dot = text.rfind('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    const auto host = digitsValue(text.substr(dot + 1), 3);
    if (!host)
        return std::nullopt;
    return Address{text.substr(0, dot + 1), *host};
}

// The host number after the last '.' of an address selectRangeLine wrote.
std::optional<int> hostOf(std::string_view text, std::string_view network)
{
    if (text.substr(0, network.size()) != network)
        return std::nullopt;
    return digitsValue(text.substr(network.size()), 4);
}

void checkArbitrary(std::string_view line)
{
    const auto selection = selectRangeLine(line);

    // What should be accepted, worked out from the other end: exactly one '-' in the range,
    // with a blank either side.
    std::optional<Address> first, last;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
        const std::string_view range = line.substr(1, line.size() - 2);
        std::size_t dashes = 0;
        for (char c : range)
            dashes += c == '-';
        const std::size_t dash = range.find('-');
        if (dashes == 1 && dash > 0 && dash + 1 < range.size() && range[dash - 1] == ' ' &&
            range[dash + 1] == ' ') {
            first = address(range.substr(0, dash - 1));
            last = address(range.substr(dash + 2));
        }
    }
    const bool accept = first && last && first->host >= 1 && first->host <= 254 &&
                        last->host >= 1 && last->host <= 254;
    if (accept != selection.has_value()) {
        fuzzcheck::dump("line", line);
        FUZZ_CHECK(accept == selection.has_value());
    }
    if (!selection)
        return;

    FUZZ_CHECK(line.front() == '[' && line.back() == ']');
    FUZZ_CHECK(selection->RangeIP == line.substr(1, line.size() - 2));

    const std::size_t netDot = selection->netID.rfind('.');
    FUZZ_CHECK(netDot != std::string::npos);
    const auto netHost = digitsValue(std::string_view(selection->netID).substr(netDot + 1), 3);
    FUZZ_CHECK(netDot + 1 == first->network.size());
    FUZZ_CHECK(netHost && *netHost == first->host - 1);
    FUZZ_CHECK(hostOf(selection->netID, first->network) == first->host - 1);

    // The broadcast host is one past the last host.
    const std::size_t bcDot = selection->BCAddress.rfind('.');
    FUZZ_CHECK(bcDot != std::string::npos && bcDot + 1 == last->network.size());
    const auto bcHost = hostOf(selection->BCAddress, last->network);
    FUZZ_CHECK(bcHost && *bcHost == last->host + 1);
    FUZZ_CHECK(selection->BCAddress == std::string(last->network) + std::to_string(last->host + 1));
    FUZZ_CHECK(selection->netID == std::string(first->network) + std::to_string(first->host - 1));
}

std::uint64_t fnv1a(const std::uint8_t *data, std::size_t size)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 1099511628211ull;
    return hash;
}

void checkReportLine(std::uint64_t bits)
{
    auto take = [&bits](unsigned n) {
        const unsigned value = static_cast<unsigned>(bits % n);
        bits /= n;
        return value;
    };
    const std::string hostCount = std::to_string(1 + take(254));
    std::string octets[3];
    for (std::string &octet : octets) {
        const unsigned length = 1 + take(3);
        for (unsigned i = 0; i < length; ++i)
            octet.push_back(static_cast<char>('0' + take(10)));
    }
    const ReportResult built = buildDetailReport(hostCount, octets[0], octets[1], octets[2]);
    FUZZ_CHECK(built.check);
    const RangeLines &lines = built.report.Val_IP_Add;
    FUZZ_CHECK(!lines.empty());
    const std::size_t index = take(static_cast<unsigned>(lines.size()));
    const std::string_view line = lines[index];

    const auto selection = selectRangeLine(line);
    if (!selection) {
        fuzzcheck::dump("report line", line);
        FUZZ_CHECK(selection);
    }
    const std::string network = octets[0] + "." + octets[1] + "." + octets[2] + ".";
    const int width = std::stoi(built.report.max_client) + 2;
    const int subnet = static_cast<int>(index) * width;
    FUZZ_CHECK(selection->RangeIP == line.substr(1, line.size() - 2));
    FUZZ_CHECK(selection->netID == network + std::to_string(subnet));
    FUZZ_CHECK(selection->BCAddress == network + std::to_string(subnet + width - 1));
    if (index == 0) {
        FUZZ_CHECK(selection->RangeIP == built.report.RangeIP);
        FUZZ_CHECK(selection->netID == built.report.netID);
        FUZZ_CHECK(selection->BCAddress == built.report.BCAddress);
    }
    checkArbitrary(line);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    checkArbitrary(std::string_view(reinterpret_cast<const char *>(data), size));
    checkReportLine(fnv1a(data, size));
    return 0;
}
