#include "core/calendar.h"

#include "common/clock.h"

namespace tarnik {

std::int32_t DayNumber(std::int32_t year, std::int32_t month, std::int32_t day) {
  std::int64_t y = year, m = month;
  if (m < 3) {
    y -= 1;
    m += 12;
  }
  std::int64_t result =
      ((m - 3) * 153 + 2) / 5 + day + 1721119 + ((y % 100) * 1461) / 4 + ((y / 100) * 146097) / 4;
  return static_cast<std::int32_t>(result);
}

void DateOfDayNumber(std::int32_t n, std::int32_t& day, std::int32_t& month, std::int32_t& year) {
  std::int64_t t = (static_cast<std::int64_t>(n) - 1721119) * 4 - 1;
  std::int64_t r = (t % 146097) | 3;
  std::int64_t y = r / 1461;
  std::int64_t u = ((r % 1461) + 4) / 4 * 5 - 3;
  std::int64_t m = u / 153;
  if (m > 9) {
    y += 1;
    m -= 12;
  }
  year = static_cast<std::int32_t>(y + (t / 146097) * 100);
  month = static_cast<std::int32_t>(m + 3);
  day = static_cast<std::int32_t>(((u % 153) + 5) / 5);
}

std::int32_t TodayDayNumber(const Clock& clock) {
  LocalTime now = clock.Now();
  return DayNumber(now.year, now.month, now.day);
}

int DayOfWeek(std::int32_t year, std::int32_t month, std::int32_t day) {
  std::int64_t y = year;
  std::int64_t m = month;
  if (m <= 2) y -= 1;
  std::int64_t marchMonth = m <= 2 ? m + 10 : m - 2;  // March = 1 .. February = 12
  std::int64_t w =
      (13 * marchMonth - 1) / 5 + day + 77 + (5 * (y % 100)) / 4 + y / 400 - 2 * (y / 100);
  std::int64_t result = w % 7;
  if (result < 0) result += 7;
  return static_cast<int>(result);
}

}  // namespace tarnik
