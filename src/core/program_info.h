#pragma once

#include <string_view>

namespace tarnik {

// The program's name and version as the console banner, the report footer and the @program and
// @version template variables show them.
inline constexpr std::string_view kProgramName = "Tarnik/W32";
inline constexpr std::string_view kProgramVersion = "0.3.4a";

}  // namespace tarnik
