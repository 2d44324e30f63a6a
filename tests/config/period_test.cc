#include "config/period.h"

#include <gtest/gtest.h>

#include "config/echo_group.h"
#include "core/calendar.h"

namespace tarnik {
namespace {

struct Case {
  const char* name;
  char kind;
  std::int32_t count;
  PeriodDate from;
  PeriodDate to;
  bool skipFuture;
  PeriodDate today;
  PeriodDate message;
  bool expected;
};

TEST(InPeriod, SelectsByKind) {
  const Case cases[] = {
      {"all", '*', 0, {}, {}, false, {2024, 5, 10}, {1990, 1, 1}, true},
      {"no statperiod selects all", 0, 0, {}, {}, false, {2024, 5, 10}, {2030, 1, 1}, true},
      {"future skipped first", '*', 0, {}, {}, true, {2024, 5, 10}, {2024, 5, 11}, false},
      {"today not future", '*', 0, {}, {}, true, {2024, 5, 10}, {2024, 5, 10}, true},
      {"day 1 is yesterday", 'd', 1, {}, {}, false, {2024, 3, 1}, {2024, 2, 29}, true},
      {"day 1 not today", 'd', 1, {}, {}, false, {2024, 3, 1}, {2024, 3, 1}, false},
      {"day 0 is today", 'd', 0, {}, {}, false, {2024, 3, 1}, {2024, 3, 1}, true},
      {"days 1 yesterday", 's', 1, {}, {}, false, {2024, 3, 1}, {2024, 2, 29}, true},
      {"days 1 not before", 's', 1, {}, {}, false, {2024, 3, 1}, {2024, 2, 28}, false},
      {"days future counted", 's', 1, {}, {}, false, {2024, 3, 1}, {2025, 1, 1}, true},
      {"days future skipped", 's', 1, {}, {}, true, {2024, 3, 1}, {2024, 3, 2}, false},
      {"days 7 is eight days", 's', 7, {}, {}, false, {2024, 3, 10}, {2024, 3, 3}, true},
      {"year 0 current", 'y', 0, {}, {}, false, {2024, 3, 1}, {2024, 12, 31}, true},
      {"year 1 previous", 'y', 1, {}, {}, false, {2024, 3, 1}, {2023, 1, 1}, true},
      {"year 1 not current", 'y', 1, {}, {}, false, {2024, 3, 1}, {2024, 1, 1}, false},
      {"month 0 current", 'm', 0, {}, {}, false, {2024, 3, 15}, {2024, 3, 1}, true},
      {"month 1 in January", 'm', 1, {}, {}, false, {2024, 1, 15}, {2023, 12, 31}, true},
      {"month 1 not last Jan", 'm', 1, {}, {}, false, {2024, 1, 15}, {2023, 1, 15}, false},
      {"month 2 in February", 'm', 2, {}, {}, false, {2024, 2, 1}, {2023, 12, 5}, true},
      {"month 14 in March", 'm', 14, {}, {}, false, {2024, 3, 1}, {2023, 1, 20}, true},
      {"explicit inside",
       'p',
       0,
       {2001, 3, 1},
       {2001, 3, 31},
       false,
       {2024, 1, 1},
       {2001, 3, 15},
       true},
      {"explicit wrong year",
       'p',
       0,
       {2001, 3, 1},
       {2001, 3, 31},
       false,
       {2024, 1, 1},
       {2002, 3, 15},
       false},
      {"fields compared alone",
       'p',
       0,
       {2001, 1, 15},
       {2001, 2, 14},
       false,
       {2024, 1, 1},
       {2001, 1, 20},
       false},
      {"without years every year",
       'p',
       0,
       {0, 12, 1},
       {0, 12, 31},
       false,
       {2024, 1, 1},
       {1999, 12, 24},
       true},
      {"empty explicit none", 'p', 0, {}, {}, false, {2024, 1, 1}, {2024, 1, 1}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EchoGroup group("X");
    group.periodKind = c.kind;
    group.periodCount = c.count;
    group.periodFrom = c.from;
    group.periodTo = c.to;
    group.skipFutureMessages = c.skipFuture;
    std::int32_t today = DayNumber(c.today.year, c.today.month, c.today.day);
    std::int32_t day = DayNumber(c.message.year, c.message.month, c.message.day);
    EXPECT_EQ(InPeriod(day, group, today), c.expected);
  }
}

}  // namespace
}  // namespace tarnik
