#include "plan.h"

#include <array>

namespace vellacor {
namespace {

struct Tier {
    double above; // the count must be greater than this
    SubnetPlan plan;
};

// Largest subnet first; the first row whose lower bound the count exceeds wins, which makes
// each row's upper bound the previous row's lower bound, inclusive.
constexpr std::array<Tier, 7> kTiers{{
    {126, {0, 254, 24, 1, "254"}},
    {62, {128, 126, 25, 2, "126"}},
    {30, {192, 62, 26, 4, "62"}},
    {14, {224, 30, 27, 8, "30"}},
    {6, {240, 14, 28, 16, "14"}},
    {2, {248, 6, 29, 32, "6"}},
    {0, {252, 2, 30, 64, "2"}},
}};

} // namespace

std::optional<SubnetPlan> choosePlan(double hostCount)
{
    for (const Tier &tier : kTiers) {
        if (hostCount > tier.above)
            return tier.plan;
    }
    return std::nullopt;
}

} // namespace vellacor
