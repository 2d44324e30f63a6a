#include "post/post_serial.h"

#include "core/calendar.h"

namespace tarnik {
namespace {

constexpr std::int64_t kUnixEpochDay = 2440588;
constexpr std::int64_t kStepsPerSecond = 32;

}  // namespace

std::uint32_t PostSerial::ValueAt(const LocalTime& time) {
  const std::int64_t days = DayNumber(time.year, time.month, time.day) - kUnixEpochDay;
  const std::int64_t seconds = days * 86400 + time.hour * 3600 + time.minute * 60 + time.second -
                               std::int64_t{time.utcOffsetMinutes} * 60;
  const std::int64_t steps = seconds * kStepsPerSecond + time.hundredths * kStepsPerSecond / 100;
  return static_cast<std::uint32_t>(steps);
}

std::uint32_t PostSerial::Next() {
  std::uint32_t value = ValueAt(clock_.Now());
  // Compared as the difference, so the rule still holds where the 32 bits wrap round.
  if (given_ && static_cast<std::int32_t>(value - last_) <= 0) value = last_ + 1;
  last_ = value;
  given_ = true;
  return value;
}

}  // namespace tarnik
