#include "rangeline.h"

#include <charconv>

namespace vellacor {
namespace {

struct Address {
    std::string_view network; // everything up to and including the last "."
    int host = 0;
};

std::optional<Address> splitAddress(std::string_view address)
{
    const std::size_t dot = address.rfind('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    const std::string_view host = address.substr(dot + 1);
    if (host.empty() || host.size() > 3)
        return std::nullopt;
    Address result{address.substr(0, dot + 1), 0};
    for (char c : host) {
        if (c < '0' || c > '9')
            return std::nullopt;
        result.host = result.host * 10 + (c - '0');
    }
    return result;
}

std::string withHost(std::string_view network, int host)
{
    char digits[4];
    const auto end = std::to_chars(digits, digits + sizeof digits, host).ptr;
    std::string text;
    text.reserve(network.size() + 4);
    text.append(network).append(digits, end);
    return text;
}

} // namespace

std::optional<SubnetSelection> selectRangeLine(std::string_view line)
{
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return std::nullopt;
    const std::string_view range = line.substr(1, line.size() - 2);

    // The first "-" must be the one of the separator " - "; any other "-" makes the
    // addresses ambiguous.
    const std::size_t dash = range.find('-');
    if (dash == std::string_view::npos || dash < 1 || dash + 1 >= range.size() ||
        range[dash - 1] != ' ' || range[dash + 1] != ' ')
        return std::nullopt;
    const std::string_view second = range.substr(dash + 2);
    if (second.find('-') != std::string_view::npos)
        return std::nullopt;

    const auto first = splitAddress(range.substr(0, dash - 1));
    const auto last = splitAddress(second);
    // Hosts of a /24 run from 1 to 254; beyond them there is no network or broadcast address.
    if (!first || !last || first->host < 1 || first->host > 254 || last->host < 1 ||
        last->host > 254)
        return std::nullopt;

    return SubnetSelection{std::string(range), withHost(first->network, first->host - 1),
                           withHost(last->network, last->host + 1)};
}

} // namespace vellacor
