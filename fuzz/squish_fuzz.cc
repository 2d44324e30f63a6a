// A Squish base made of the input: a 4-byte little-endian length, that many bytes of
// name.SQD (or all that is left), the rest is name.SQI.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "msgbase/message_base.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnik;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::uint32_t sqdSize = fuzz::TakeU32(input);
  std::string_view sqd = fuzz::TakeBytes(input, sqdSize);

  std::string dir = fuzz::FreshDir("squish");
  fuzz::WriteBytes(dir + "base.sqd", sqd);
  fuzz::WriteBytes(dir + "base.sqi", input);

  std::unique_ptr<MessageBase> base;
  if (OpenMessageBase("S" + dir + "base", base)) fuzz::WalkBase(*base);
  return 0;
}
