#include "normalise.h"

#include "number.h"

namespace vellacor {

HostCountNormalised normaliseHostCount(std::string_view text)
{
    if (text.empty())
        return {"254", true};
    const auto value = readNumber(text);
    if (value && (*value > 254 || *value == 0))
        return {"254", true};
    return {std::string(text), false};
}

OctetsNormalised normaliseOctets(std::string_view octet0, std::string_view octet1,
                                 std::string_view octet2)
{
    OctetsNormalised result{{std::string(octet0), std::string(octet1), std::string(octet2)}, {}};
    auto replace = [&result](int index, const char *text) {
        result.texts[index] = text;
        result.replacements.push_back({index, text});
    };
    auto above = [&result](int index, double limit) {
        const auto value = readNumber(result.texts[index]);
        return value && *value > limit;
    };

    if (above(0, 223))
        replace(0, "223");
    for (int index : {1, 2}) {
        if (above(index, 254))
            replace(index, "255");
    }
    if (result.texts[0] == "0")
        replace(0, "192");
    if (result.texts[1] == "0")
        replace(1, "168");
    return result;
}

} // namespace vellacor
