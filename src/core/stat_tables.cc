#include "core/stat_tables.h"

#include "common/text.h"
#include "core/calendar.h"

namespace tarnik {

std::int64_t QuoteTenths(const PersonStat& person) {
  if (person.lines <= 0) return 0;
  return static_cast<std::int64_t>(person.quoted) * 1000 / person.lines;
}

std::string QuotePercent(const PersonStat& person) {
  std::int64_t tenths = QuoteTenths(person);
  return TwoDigits(tenths / 10) + "." + Decimal(tenths % 10);
}

}  // namespace tarnik
