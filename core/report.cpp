#include "report.h"

#include "normalise.h"
#include "number.h"
#include "plan.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

namespace vellacor {
namespace {

Checked checkHostCount(std::string_view hostCount)
{
    const auto value = readNumber(hostCount);
    if (!value)
        return {InputError::HostCountNotNumber};
    if (!choosePlan(*value))
        return {InputError::HostCountNotPositive};
    return {};
}

Checked checkOctets(const std::array<std::string_view, 3> &octets)
{
    for (int index = 0; index < 3; ++index) {
        if (!isOctetText(octets[index]))
            return {InputError::OctetNotWhole, index + 1};
    }
    return {};
}

} // namespace

Checked checkInputs(std::string_view hostCount, std::string_view octet0, std::string_view octet1,
                    std::string_view octet2)
{
    if (hostCount.empty())
        return {InputError::HostCountEmpty};
    if (Checked checked = checkHostCount(normaliseHostCount(hostCount).text); !checked)
        return checked;
    const OctetsNormalised octets = normaliseOctets(octet0, octet1, octet2);
    return checkOctets({octets.texts[0], octets.texts[1], octets.texts[2]});
}

ReportResult buildDetailReport(std::string_view hostCount, std::string_view octet0,
                               std::string_view octet1, std::string_view octet2)
{
    ReportResult result;
    if (hostCount.empty()) {
        result.check = {InputError::HostCountEmpty};
        return result;
    }
    if (result.check = checkHostCount(hostCount); !result.check)
        return result;
    if (result.check = checkOctets({octet0, octet1, octet2}); !result.check)
        return result;

    const SubnetPlan plan = *choosePlan(*readNumber(hostCount));
    std::string network;
    network.reserve(octet0.size() + octet1.size() + octet2.size() + 3);
    network.append(octet0).append(".").append(octet1).append(".").append(octet2).append(".");

    DetailReport &report = result.report;
    report.netID = network + "0";
    report.netMask = "255.255.255." + std::to_string(plan.maskOctet);
    report.BCAddress = network + std::to_string(plan.hostsPerSubnet + 1);
    report.RangeIP.reserve(2 * network.size() + 7);
    report.RangeIP += network;
    report.RangeIP += "1 - ";
    report.RangeIP += network;
    report.RangeIP += plan.hostsText;
    report.max_client = std::to_string(plan.hostsPerSubnet);
    report.prefix = std::to_string(plan.prefixLength);
    report.prefix.insert(0, 1, '/');
    report.nSubnet = std::to_string(plan.subnetCount);

    // Each line is assembled in a buffer and copied once: the octet texts are at most three
    // digits each, so a line never exceeds 1 + 12 + 3 + 3 + 12 + 3 + 1 characters.
    char line[40];
    const std::size_t networkSize = network.size();
    line[0] = '[';
    network.copy(line + 1, networkSize);
    report.Val_IP_Add.reserve(plan.subnetCount, plan.subnetCount * (2 * networkSize + 13));
    int firstHost = 1;
    for (int loopIndex = 1; loopIndex <= plan.subnetCount; ++loopIndex) {
        const int lastHost = firstHost + plan.hostsPerSubnet - 1;
        // Hosts run from 1 to 254: three digits at most.
        char *end = line + 1 + networkSize;
        end = std::to_chars(end, end + 3, firstHost).ptr;
        end = std::copy_n(" - ", 3, end);
        end = std::copy_n(network.data(), networkSize, end);
        end = std::to_chars(end, end + 3, lastHost).ptr;
        *end++ = ']';
        report.Val_IP_Add.push_back(std::string_view(line, static_cast<std::size_t>(end - line)));
        firstHost += plan.hostsPerSubnet + 2;
    }
    return result;
}

} // namespace vellacor
