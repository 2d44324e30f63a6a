#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnik {

// Why the base of an area specification could not be opened, for a diagnostic: the kind and
// path of the base, the file concerned and the reason ("JAM base /fido/ru: /fido/ru.JHR:
// Permission denied"). status is the last error OpenMessageBase gave; the file system is
// looked at again for the system's reason.
std::string OpenFailureText(std::string_view spec, std::int32_t status);

}  // namespace tarnik
