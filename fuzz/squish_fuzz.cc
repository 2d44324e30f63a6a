// A Squish base made of the input: a 4-byte little-endian length, that many bytes of
// name.SQD (or all that is left), the rest is name.SQI. The files are held in memory.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/file_opener.h"
#include "fuzz_support.h"
#include "msgbase/message_base.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnik;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::uint32_t sqdSize = fuzz::TakeU32(input);
  std::string_view sqd = fuzz::TakeBytes(input, sqdSize);

  MemoryFileOpener files;
  files.Add("echo/base.sqd", std::string(sqd));
  files.Add("echo/base.sqi", std::string(input));

  std::unique_ptr<MessageBase> base;
  if (OpenMessageBase("Secho/base", base, nullptr, fuzz::FixedTime(), files)) fuzz::WalkBase(*base);
  return 0;
}
