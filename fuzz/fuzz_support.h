#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnik {

class Clock;
class MessageBase;

namespace fuzz {

// A directory of this process under the temp folder (TMPDIR honoured), made on first use and
// removed at exit; with a trailing "/". Every run of a target reuses it.
const std::string& WorkDir();
// WorkDir() + name after removing whatever an earlier run left there; with a trailing "/".
std::string FreshDir(std::string_view name);
// Writes bytes to a file, creating or truncating it; aborts when that fails, since a target
// that cannot lay out its input would report nothing useful.
void WriteBytes(const std::string& path, std::string_view bytes);

// A clock fixed at one moment, so a target's runs do not depend on today's date.
const Clock& FixedTime();

// Takes a little-endian number of four bytes off the front of input (0 when it is too short).
std::uint32_t TakeU32(std::string_view& input);
// Takes at most count bytes off the front of input.
std::string_view TakeBytes(std::string_view& input, std::size_t count);

// Walks an opened base the way a scan does and further: every message forward with
// OpenMessage, each header field, date, attribute and address, every line (as view and as
// copy) and the kludge lookups; then the same backwards with OpenHeader. Closes the base.
void WalkBase(MessageBase& base);

}  // namespace fuzz
}  // namespace tarnik
