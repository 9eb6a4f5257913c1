#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellacor {

inline constexpr std::string_view kAuthorEmail = "tamsel@example.com";
inline constexpr std::string_view kAuthorUrl = "https://vellacor.example.org";

// What the saved report holds, taken from the detail window as it shows it.
struct ReportFileValues {
    std::string netMask;
    std::string nSubnet;
    std::string max_client;
    std::string prefix;
    std::vector<std::string> lines;
    std::string generated; // local date and time of writing
};

// The report file's text in UTF-8: 23 lines plus one per range line, each ending in CR LF.
// Values are written exactly as given: nothing is padded or trimmed.
std::string reportFileText(const ReportFileValues &values);

// Date and time formats (Qt's pattern letters) for the report's "Generated" line. The short
// date form gets a four-digit year and the long time form loses its time zone; quoted
// literal text is left as it is.
std::string withFullYear(std::string_view dateFormat);
std::string withoutTimeZone(std::string_view timeFormat);

} // namespace vellacor
