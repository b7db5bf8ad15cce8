#pragma once

namespace lw {

// The application's title, shown in the window caption and by the command-line tool.
inline constexpr const char* kAppTitle = "Landwright v.2.3 by Corvell";

} // namespace lw
