#pragma once

#include <cstdint>

#include "common/clock.h"

namespace tarnik {

// Values for MSGID serials and packet names: the clock's moment in 1/32 seconds since 1970
// UTC, cut to 32 bits, so a value comes round again only after about four years, and runs of
// the program at different moments give different values. One object never gives the same
// value twice, even when the clock stands still or is set back.
class PostSerial {
 public:
  explicit PostSerial(const Clock& clock) : clock_(clock) {}
  std::uint32_t Next();
  // The value for a local moment, before the never-twice rule.
  static std::uint32_t ValueAt(const LocalTime& time);

 private:
  const Clock& clock_;
  std::uint32_t last_ = 0;
  bool given_ = false;
};

}  // namespace tarnik
