// A JAM base made of the input: two 4-byte little-endian lengths, then name.JHR and name.JDX
// of those lengths (or what is left), the rest is name.JDT. No name.JLR. The files are held
// in memory.

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
  std::uint32_t jhrSize = fuzz::TakeU32(input);
  std::uint32_t jdxSize = fuzz::TakeU32(input);
  std::string_view jhr = fuzz::TakeBytes(input, jhrSize);
  std::string_view jdx = fuzz::TakeBytes(input, jdxSize);

  MemoryFileOpener files;
  files.Add("echo/base.jhr", std::string(jhr));
  files.Add("echo/base.jdx", std::string(jdx));
  files.Add("echo/base.jdt", std::string(input));

  std::unique_ptr<MessageBase> base;
  if (OpenMessageBase("Jecho/base", base, nullptr, fuzz::FixedTime(), files)) fuzz::WalkBase(*base);
  return 0;
}
