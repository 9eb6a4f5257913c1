// Fuzzes reportFileText() with values taken from the input.
//
// Input: NUL-separated fields: subnet mask, subnet count, max clients, prefix, generated
// date, then the range lines (up to 70). The first four fields are cut to 64 bytes, as the
// detail window's values are short.
//
// Invariants:
// - Always: the text begins with "Vellacor\r\n", ends with "Copyright \xC2\xA9 Tamsel\r\n", and
//   is exactly as long as its fixed lines plus the values plus one CR LF per range line.
// - When no value holds '\r' or '\n': the text is 23 + n lines, each ending in CR LF; lines
//   10 to 13 carry the four values verbatim after their titles, lines 19 to 18 + n the range
//   lines in order, line 21 + n the generated date after its title, and the fixed lines
//   around them are unchanged.

#include "fuzz_check.h"
#include "reportfile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace vellacor;

namespace {

const std::string kEquals(47, '=');
const std::string kHyphens(47, '-');
constexpr std::string_view kFirst = "Vellacor\r\n";
constexpr std::string_view kLast = "Copyright \xC2\xA9 Tamsel\r\n";

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t eol = text.find("\r\n");
        FUZZ_CHECK(eol != std::string_view::npos); // the last line ends in CR LF too
        lines.push_back(text.substr(0, eol));
        text.remove_prefix(eol + 2);
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);
    auto next = [&input]() {
        const std::size_t nul = input.find('\0');
        const std::string_view field = input.substr(0, nul);
        input.remove_prefix(nul == std::string_view::npos ? input.size() : nul + 1);
        return field;
    };
    ReportFileValues values;
    values.netMask = next().substr(0, 64);
    values.nSubnet = next().substr(0, 64);
    values.max_client = next().substr(0, 64);
    values.prefix = next().substr(0, 64);
    values.generated = next();
    while (!input.empty() && values.lines.size() < 70)
        values.lines.emplace_back(next());

    const std::string text = reportFileText(values);
    const std::size_t n = values.lines.size();

    // The fixed lines, in order; the ones that carry a value have it appended.
    const std::array<std::string_view, 9> head{
        "Vellacor",
        "Version : 1.1",
        "Author  : Tamsel",
        "E-Mail  : tamsel@example.com",
        "URL     : https://vellacor.example.org",
        "",
        kEquals,
        "Sub Network Information",
        kEquals,
    };
    const std::array<std::string, 4> valueLines{
        "Subnet Mask              : " + values.netMask,
        "Total Subnet Per NetMask : " + values.nSubnet,
        "Max Client Per Subnet    : " + values.max_client,
        "Prefix Length            : " + values.prefix,
    };
    const std::array<std::string_view, 5> rangeTitle{kHyphens, "", kEquals,
                                                     "Valid Range IP Address", kEquals};
    const std::array<std::string, 5> tail{kHyphens, "", "Generated         : " + values.generated,
                                          "", "Copyright \xC2\xA9 Tamsel"};

    std::size_t expectedSize = 0;
    for (std::string_view line : head)
        expectedSize += line.size() + 2;
    for (const std::string &line : valueLines)
        expectedSize += line.size() + 2;
    for (std::string_view line : rangeTitle)
        expectedSize += line.size() + 2;
    for (const std::string &line : values.lines)
        expectedSize += line.size() + 2;
    for (const std::string &line : tail)
        expectedSize += line.size() + 2;

    FUZZ_CHECK(text.size() == expectedSize);
    FUZZ_CHECK(text.substr(0, kFirst.size()) == kFirst);
    FUZZ_CHECK(text.size() >= kLast.size() && text.substr(text.size() - kLast.size()) == kLast);

    bool breaks = hasLineBreak(values.netMask) || hasLineBreak(values.nSubnet) ||
                  hasLineBreak(values.max_client) || hasLineBreak(values.prefix) ||
                  hasLineBreak(values.generated);
    for (const std::string &line : values.lines)
        breaks = breaks || hasLineBreak(line);
    if (breaks)
        return 0;

    const std::vector<std::string_view> lines = splitLines(text);
    FUZZ_CHECK(lines.size() == 23 + n);
    for (std::string_view line : lines)
        FUZZ_CHECK(!hasLineBreak(line));
    // Line k of the file is lines[k - 1].
    for (std::size_t i = 0; i < head.size(); ++i)
        FUZZ_CHECK(lines[i] == head[i]);
    for (std::size_t i = 0; i < valueLines.size(); ++i)
        FUZZ_CHECK(lines[9 + i] == valueLines[i]);
    for (std::size_t i = 0; i < rangeTitle.size(); ++i)
        FUZZ_CHECK(lines[13 + i] == rangeTitle[i]);
    for (std::size_t i = 0; i < n; ++i)
        FUZZ_CHECK(lines[18 + i] == values.lines[i]);
    for (std::size_t i = 0; i < tail.size(); ++i)
        FUZZ_CHECK(lines[18 + n + i] == tail[i]);
    return 0;
}
