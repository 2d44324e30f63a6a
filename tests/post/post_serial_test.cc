#include "post/post_serial.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

LocalTime At(int year, int month, int day, int hour, int minute, int second, int hundredths,
             int offset) {
  LocalTime time;
  time.year = year;
  time.month = month;
  time.day = day;
  time.hour = hour;
  time.minute = minute;
  time.second = second;
  time.hundredths = hundredths;
  time.utcOffsetMinutes = offset;
  return time;
}

TEST(PostSerial, ValueIsUtcTimeInThirtySecondsOfASecond) {
  struct Case {
    LocalTime time;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {At(1970, 1, 1, 0, 0, 0, 0, 0), 0},
      {At(1970, 1, 1, 3, 0, 0, 0, 180), 0},  // the same moment three hours east
      {At(1969, 12, 31, 19, 0, 1, 0, -300), 32},
      {At(1970, 1, 1, 0, 0, 0, 50, 0), 16},
      {At(1970, 1, 1, 0, 0, 0, 99, 0), 31},
      // 2024-03-05 11:07:09.50 UTC is 1709636829.5 seconds: 54708378544 thirty-seconds,
      // 0xBCDF9BB0 once cut to 32 bits.
      {At(2024, 3, 5, 14, 7, 9, 50, 180), 0xBCDF9BB0u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(PostSerial::ValueAt(c.time), c.expected);
  }
}

TEST(PostSerial, NeverTheSameValueTwice) {
  FixedClock clock(At(2024, 3, 5, 14, 7, 9, 50, 180));
  PostSerial serial(clock);
  EXPECT_EQ(serial.Next(), 0xBCDF9BB0u);
  EXPECT_EQ(serial.Next(), 0xBCDF9BB1u);  // the clock stands still
  clock.Set(At(2024, 3, 5, 13, 0, 0, 0, 180));
  EXPECT_EQ(serial.Next(), 0xBCDF9BB2u);  // set back an hour
  clock.Set(At(2024, 3, 5, 14, 7, 10, 0, 180));
  EXPECT_EQ(serial.Next(), 0xBCDF9BC0u);  // moved on past the values given
}

TEST(PostSerial, OrderHoldsWhereTheValueWrapsRound) {
  // 1974-04-03 10:42:07 UTC, 134217727 seconds after 1970, is the last second before 32 bits
  // of thirty-seconds wrap round.
  FixedClock clock(At(1974, 4, 3, 10, 42, 7, 97, 0));
  PostSerial serial(clock);
  EXPECT_EQ(serial.Next(), 0xFFFFFFFFu);
  clock.Set(At(1974, 4, 3, 10, 42, 8, 0, 0));
  EXPECT_EQ(serial.Next(), 0u);
  clock.Set(At(1974, 4, 3, 10, 42, 8, 10, 0));
  EXPECT_EQ(serial.Next(), 3u);
}

}  // namespace
}  // namespace tarnik
