#include "config/period.h"

#include "config/echo_group.h"
#include "core/calendar.h"

namespace tarnik {

bool InPeriod(std::int32_t messageDay, const EchoGroup& group, std::int32_t today) {
  if (group.skipFutureMessages && messageDay > today) return false;
  // Only the calendar kinds need the dates; this runs for every message of a scan.
  std::int32_t day = 0, month = 0, year = 0;
  std::int32_t todayDay = 0, todayMonth = 0, todayYear = 0;
  if (group.periodKind == 'p' || group.periodKind == 'y' || group.periodKind == 'm') {
    DateOfDayNumber(messageDay, day, month, year);
    DateOfDayNumber(today, todayDay, todayMonth, todayYear);
  }
  switch (group.periodKind) {
    case '*':
      return true;
    case 'p': {
      const PeriodDate& from = group.periodFrom;
      const PeriodDate& to = group.periodTo;
      // Each field is compared on its own; without years the range repeats every year.
      bool inDays = from.day <= day && day <= to.day && from.month <= month && month <= to.month;
      if (from.year < 1 || to.year < 1) return inDays;
      return inDays && from.year <= year && year <= to.year;
    }
    case 'd':
      return static_cast<std::int64_t>(messageDay) ==
             static_cast<std::int64_t>(today) - group.periodCount;
    case 'y':
      return static_cast<std::int64_t>(year) ==
             static_cast<std::int64_t>(todayYear) - group.periodCount;
    case 'm': {
      std::int64_t target =
          static_cast<std::int64_t>(todayYear) * 12 + (todayMonth - 1) - group.periodCount;
      std::int64_t targetYear = target >= 0 ? target / 12 : -((-target + 11) / 12);
      std::int64_t targetMonth = target - targetYear * 12 + 1;
      return year == targetYear && month == targetMonth;
    }
    case 's':
      return static_cast<std::int64_t>(messageDay) >=
             static_cast<std::int64_t>(today) - group.periodCount;
    default:
      // No statperiod line: every message (the sysop asked for no restriction).
      return true;
  }
}

}  // namespace tarnik
