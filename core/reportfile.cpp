#include "reportfile.h"

namespace vellacor {
namespace {

constexpr std::string_view kEol = "\r\n";
constexpr std::string_view kEquals = "===============================================";
constexpr std::string_view kHyphens = "-----------------------------------------------";

// Calls emit(run) for each literal or pattern run of a Qt date/time format: a quoted section
// (quotes kept), a run of one repeated letter, or a single other character.
template <typename Emit> void forEachRun(std::string_view format, Emit emit)
{
    std::size_t pos = 0;
    while (pos < format.size()) {
        std::size_t end = pos + 1;
        const char c = format[pos];
        if (c == '\'') {
            while (end < format.size()) {
                if (format[end++] != '\'')
                    continue;
                if (end < format.size() && format[end] == '\'')
                    ++end; // '' is a quote inside the quoted text
                else
                    break;
            }
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            while (end < format.size() && format[end] == c)
                ++end;
        }
        emit(format.substr(pos, end - pos));
        pos = end;
    }
}

} // namespace

std::string reportFileText(const ReportFileValues &values)
{
    std::string text;
    std::size_t size = 600 + values.generated.size();
    for (const std::string &line : values.lines)
        size += line.size() + kEol.size();
    text.reserve(size);

    auto line = [&text](std::string_view a, std::string_view b = {}) {
        text.append(a).append(b).append(kEol);
    };
    line("Vellacor");
    line("Version : 1.1");
    line("Author  : Tamsel");
    line("E-Mail  : ", kAuthorEmail);
    line("URL     : ", kAuthorUrl);
    line("");
    line(kEquals);
    line("Sub Network Information");
    line(kEquals);
    line("Subnet Mask              : ", values.netMask);
    line("Total Subnet Per NetMask : ", values.nSubnet);
    line("Max Client Per Subnet    : ", values.max_client);
    line("Prefix Length            : ", values.prefix);
    line(kHyphens);
    line("");
    line(kEquals);
    line("Valid Range IP Address");
    line(kEquals);
    for (std::size_t loopIndex = 0; loopIndex < values.lines.size(); ++loopIndex)
        line(values.lines[loopIndex]);
    line(kHyphens);
    line("");
    line("Generated         : ", values.generated);
    line("");
    line("Copyright \u00a9 Tamsel");
    return text;
}

std::string withFullYear(std::string_view dateFormat)
{
    std::string result;
    forEachRun(dateFormat, [&result](std::string_view run) {
        result.append(run.front() == 'y' ? "yyyy" : run);
    });
    return result;
}

std::string withoutTimeZone(std::string_view timeFormat)
{
    std::string result;
    forEachRun(timeFormat, [&result](std::string_view run) {
        if (run.front() != 't') {
            result.append(run);
            return;
        }
        while (!result.empty() && result.back() == ' ')
            result.pop_back();
    });
    // A zone at the start leaves the blank that followed it.
    const std::size_t start = result.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : result.substr(start);
}

} // namespace vellacor
