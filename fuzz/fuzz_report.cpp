// Fuzzes the calculation flow: normaliseHostCount / normaliseOctets on four field texts,
// checkInputs on the texts as typed and buildDetailReport on the normalised texts.
//
// Input: host count, octet 1, octet 2 and octet 3 separated by NUL bytes; missing fields are
// empty and anything after the third NUL belongs to octet 3.
//
// Invariants:
// - normaliseHostCount gives "254" (replaced) for an empty text, or one reading above 254 or
//   as zero, and the text as typed otherwise.
// - normaliseOctets makes exactly the replacements its rules call for, caps before defaults,
//   never two for the same field, and each replaced text is the one returned.
// - checkInputs on the typed texts gives the same answer (error and field) as
//   buildDetailReport on the normalised texts; only an empty host count differs, as
//   checkInputs refuses it before it is normalised.
// - A refused build gives an empty DetailReport; an accepted one is the plan of one of the
//   seven tiers, addressed in the typed network, and its lines tile the /24: first host 1,
//   last host 254, each subnet max_client wide and starting three past the one before.
// - Every line, cut apart by selectRangeLine, gives that subnet's network and broadcast.

#include "fuzz_check.h"
#include "normalise.h"
#include "number.h"
#include "rangeline.h"
#include "report.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace vellacor;

namespace {

struct Tier {
    double above;
    int mask, hosts, prefix, subnets;
};
constexpr std::array<Tier, 7> kTiers{{
    {126, 0, 254, 24, 1},
    {62, 128, 126, 25, 2},
    {30, 192, 62, 26, 4},
    {14, 224, 30, 27, 8},
    {6, 240, 14, 28, 16},
    {2, 248, 6, 29, 32},
    {0, 252, 2, 30, 64},
}};

std::optional<Tier> tierFor(double hosts)
{
    for (const Tier &tier : kTiers) {
        if (hosts > tier.above)
            return tier;
    }
    return std::nullopt;
}

bool allDigits(std::string_view text)
{
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

bool octetShape(std::string_view text)
{
    return !text.empty() && text.size() <= 3 && allDigits(text);
}

// Reads the host number at the front of text (1 to 3 digits) and removes it.
std::optional<int> takeHost(std::string_view &text)
{
    std::size_t n = 0;
    while (n < text.size() && n < 4 && text[n] >= '0' && text[n] <= '9')
        ++n;
    if (n == 0 || n > 3)
        return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < n; ++i)
        value = value * 10 + (text[i] - '0');
    text.remove_prefix(n);
    return value;
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

void checkHostCount(std::string_view typed, const HostCountNormalised &normalised)
{
    const auto value = readNumber(typed);
    const bool replace = typed.empty() || (value && (*value > 254 || *value == 0));
    FUZZ_CHECK(normalised.replaced == replace);
    FUZZ_CHECK(normalised.text == (replace ? std::string_view("254") : typed));
}

void checkOctets(const std::array<std::string_view, 3> &typed, const OctetsNormalised &normalised)
{
    auto reads = [](std::string_view text, double limit) {
        const auto value = readNumber(text);
        return value && *value > limit;
    };
    // The rules, in their order: caps on all three fields, then the two "0" defaults, each
    // seeing what the caps left.
    std::vector<Replacement> expected;
    std::array<std::string, 3> texts{std::string(typed[0]), std::string(typed[1]),
                                     std::string(typed[2])};
    const double caps[3] = {223, 254, 254};
    const char *capped[3] = {"223", "255", "255"};
    for (int i = 0; i < 3; ++i) {
        if (reads(typed[i], caps[i])) {
            expected.push_back({i, capped[i]});
            texts[i] = capped[i];
        }
    }
    const char *defaults[2] = {"192", "168"};
    for (int i = 0; i < 2; ++i) {
        if (texts[i] == "0") {
            expected.push_back({i, defaults[i]});
            texts[i] = defaults[i];
        }
    }
    FUZZ_CHECK(normalised.replacements == expected);
    FUZZ_CHECK(normalised.texts == texts);

    // Stated directly as well: one replacement per field at most, and it is what the field
    // now holds; untouched fields are as typed.
    std::array<int, 3> seen{};
    for (const Replacement &r : normalised.replacements) {
        FUZZ_CHECK(r.index >= 0 && r.index < 3);
        FUZZ_CHECK(++seen[r.index] == 1);
        FUZZ_CHECK(normalised.texts[r.index] == r.text);
    }
    for (int i = 0; i < 3; ++i) {
        if (seen[i] == 0)
            FUZZ_CHECK(normalised.texts[i] == typed[i]);
    }
}

void checkReport(std::string_view hostCount, const std::array<std::string, 3> &octets,
                 const ReportResult &built)
{
    // When a report can be built at all, and why not.
    const auto hosts = readNumber(hostCount);
    const auto tier = hosts ? tierFor(*hosts) : std::nullopt;
    Checked expected;
    if (hostCount.empty())
        expected = {InputError::HostCountEmpty};
    else if (!hosts)
        expected = {InputError::HostCountNotNumber};
    else if (!tier)
        expected = {InputError::HostCountNotPositive};
    else {
        for (int i = 0; i < 3; ++i) {
            if (!octetShape(octets[i])) {
                expected = {InputError::OctetNotWhole, i + 1};
                break;
            }
        }
    }
    FUZZ_CHECK(built.check.error == expected.error);
    FUZZ_CHECK(built.check.field == expected.field);
    if (!built.check) {
        FUZZ_CHECK(built.report == DetailReport{});
        return;
    }

    const DetailReport &r = built.report;
    const std::string network = octets[0] + "." + octets[1] + "." + octets[2] + ".";
    FUZZ_CHECK(r.netID == network + "0");
    FUZZ_CHECK(r.netMask == "255.255.255." + std::to_string(tier->mask));
    FUZZ_CHECK(r.max_client == std::to_string(tier->hosts));
    FUZZ_CHECK(r.prefix == "/" + std::to_string(tier->prefix));
    FUZZ_CHECK(r.nSubnet == std::to_string(tier->subnets));
    FUZZ_CHECK(r.BCAddress == network + std::to_string(tier->hosts + 1));
    FUZZ_CHECK(r.RangeIP == network + "1 - " + network + std::to_string(tier->hosts));
    FUZZ_CHECK(r.Val_IP_Add.size() == static_cast<std::size_t>(tier->subnets));
    FUZZ_CHECK(!r.Val_IP_Add.empty() && r.Val_IP_Add.front() == "[" + r.RangeIP + "]");

    int expectedFirst = 1;
    std::size_t count = 0;
    for (std::string_view line : r.Val_IP_Add) {
        ++count;
        std::string_view rest = line;
        FUZZ_CHECK(startsWith(rest, "[" + network));
        rest.remove_prefix(1 + network.size());
        const auto first = takeHost(rest);
        FUZZ_CHECK(first);
        FUZZ_CHECK(startsWith(rest, " - " + network));
        rest.remove_prefix(3 + network.size());
        const auto last = takeHost(rest);
        FUZZ_CHECK(last);
        FUZZ_CHECK(rest == "]");
        FUZZ_CHECK(*first == expectedFirst);
        FUZZ_CHECK(*last - *first + 1 == tier->hosts);
        expectedFirst = *last + 3;

        const auto selection = selectRangeLine(line);
        FUZZ_CHECK(selection);
        FUZZ_CHECK(selection->RangeIP == line.substr(1, line.size() - 2));
        FUZZ_CHECK(selection->netID == network + std::to_string(*first - 1));
        FUZZ_CHECK(selection->BCAddress == network + std::to_string(*last + 1));
    }
    FUZZ_CHECK(count == r.Val_IP_Add.size());
    FUZZ_CHECK(expectedFirst - 3 == 254);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);
    std::array<std::string_view, 4> fields;
    for (int i = 0; i < 3; ++i) {
        const std::size_t nul = input.find('\0');
        if (nul == std::string_view::npos) {
            fields[i] = input;
            input = {};
            break;
        }
        fields[i] = input.substr(0, nul);
        input.remove_prefix(nul + 1);
    }
    fields[3] = input;

    const HostCountNormalised hostCount = normaliseHostCount(fields[0]);
    checkHostCount(fields[0], hostCount);
    const OctetsNormalised octets = normaliseOctets(fields[1], fields[2], fields[3]);
    checkOctets({fields[1], fields[2], fields[3]}, octets);

    const Checked typed = checkInputs(fields[0], fields[1], fields[2], fields[3]);
    const ReportResult built =
        buildDetailReport(hostCount.text, octets.texts[0], octets.texts[1], octets.texts[2]);
    if (fields[0].empty()) {
        FUZZ_CHECK(typed.error == InputError::HostCountEmpty);
    } else {
        FUZZ_CHECK(typed.error == built.check.error);
        FUZZ_CHECK(typed.field == built.check.field);
        FUZZ_CHECK(static_cast<bool>(typed) == static_cast<bool>(built.check));
    }
    checkReport(hostCount.text, octets.texts, built);

    // The build refuses the typed texts for the same reasons, before any correction.
    const ReportResult raw = buildDetailReport(fields[0], fields[1], fields[2], fields[3]);
    checkReport(fields[0], {std::string(fields[1]), std::string(fields[2]), std::string(fields[3])},
                raw);
    return 0;
}
