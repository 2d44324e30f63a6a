#include "core/calendar.h"

#include <gtest/gtest.h>

#include "common/clock.h"

namespace tarnik {
namespace {

TEST(DayNumber, KnownDatesAndRoundTrip) {
  EXPECT_EQ(DayNumber(1970, 1, 1), 2440588);
  EXPECT_EQ(DayNumber(2000, 2, 29) + 1, DayNumber(2000, 3, 1));
  EXPECT_EQ(DayNumber(1900, 2, 28) + 1, DayNumber(1900, 3, 1));
  EXPECT_EQ(DayNumber(2023, 12, 31) + 1, DayNumber(2024, 1, 1));
  for (std::int32_t n = DayNumber(1899, 1, 1); n < DayNumber(2101, 1, 1); n += 17) {
    std::int32_t d, m, y;
    DateOfDayNumber(n, d, m, y);
    ASSERT_EQ(DayNumber(y, m, d), n);
  }
  std::int32_t d, m, y;
  DateOfDayNumber(2440588, d, m, y);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(m, 1);
  EXPECT_EQ(y, 1970);
  FixedClock clock({2024, 2, 29, 23, 59, 59, 99});
  EXPECT_EQ(TodayDayNumber(clock), DayNumber(2024, 2, 29));
}

}  // namespace
}  // namespace tarnik
