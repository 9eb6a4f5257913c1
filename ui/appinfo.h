#pragma once

namespace vellacor {

// Qt appends an application display name to every window title on Linux, so only the name
// and version are set; message boxes without a title of their own show the name.
inline constexpr char kAppName[] = "Vellacor";
inline constexpr char kAppVersion[] = "1.01";
inline constexpr char kMainCaption[] = "Vellacor 1.1";

} // namespace vellacor
