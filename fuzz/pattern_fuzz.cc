// The pattern matcher over the input: the first byte gives the pattern's length, the pattern
// follows, the rest is the subject; both are cut to 255 bytes as tags and patterns are.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "config/pattern_matcher.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnik;
  if (size == 0) return 0;
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string_view pattern = fuzz::TakeBytes(input, data[0]);
  std::string_view subject = input.substr(0, 255);

  PatternMatcher matcher;
  matcher.Match(pattern, subject, MatchMode::kCaseInsensitive);
  matcher.Match(pattern, subject, MatchMode::kExact);
  return 0;
}
