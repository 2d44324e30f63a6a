#include "core/stat_tables.h"

#include "common/text.h"
#include "core/calendar.h"

namespace tarnik {

std::string QuotePercent(const PersonStat& person) {
  std::int64_t lines = person.lines;
  std::int64_t quoted = person.quoted;
  std::int64_t whole = 0, tenth = 0;
  if (lines > 0) {
    whole = quoted * 100 / lines;
    tenth = (quoted * 100 % lines) * 10 / lines;
  }
  return TwoDigits(whole) + "." + Decimal(tenth);
}

}  // namespace tarnik
