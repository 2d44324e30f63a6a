#include "core/stat_tables.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(QuotePercent, TruncatesToATenth) {
  struct Case {
    std::int32_t lines;
    std::int32_t quoted;
    std::int64_t tenths;
    const char* text;
  } cases[] = {
      {0, 0, 0, "00.0"},     {3, 1, 333, "33.3"},  {3, 2, 666, "66.6"},
      {3, 3, 1000, "100.0"}, {1000, 1, 1, "00.1"}, {1001, 1, 0, "00.0"},
      {10, 2, 200, "20.0"},  {7, 5, 714, "71.4"},  {2000000000, 1999999999, 999, "99.9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    PersonStat person;
    person.lines = c.lines;
    person.quoted = c.quoted;
    EXPECT_EQ(QuoteTenths(person), c.tenths);
    EXPECT_EQ(QuotePercent(person), c.text);
  }
}

}  // namespace
}  // namespace tarnik
