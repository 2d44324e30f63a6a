// A *.MSG directory made of the input: up to 8 files, each a byte giving its number (0 to 255,
// so "0.MSG" and gaps occur), a 2-byte little-endian length and that many bytes (or what is
// left). A later file of the same number replaces the earlier one. The directory is held in
// memory.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/bytes.h"
#include "common/clock.h"
#include "common/file_opener.h"
#include "fuzz_support.h"
#include "msgbase/message_base.h"

namespace {
constexpr int kMaxFiles = 8;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnik;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  MemoryFileOpener files;
  files.AddDirectory("msg");
  for (int i = 0; i < kMaxFiles && input.size() >= 3; ++i) {
    int number = static_cast<unsigned char>(input[0]);
    std::uint16_t length = LoadU16(input.data() + 1);
    input.remove_prefix(3);
    // Upper and lower case names both occur in real directories.
    std::string name = std::to_string(number) + (number % 2 == 0 ? ".MSG" : ".msg");
    files.Add("msg/" + name, std::string(fuzz::TakeBytes(input, length)));
  }

  std::unique_ptr<MessageBase> base;
  if (OpenMessageBase("Fmsg", base, nullptr, fuzz::FixedTime(), files)) fuzz::WalkBase(*base);
  return 0;
}
