#include "report/report_format.h"

#include <algorithm>
#include <tuple>

#include "common/text.h"
#include "core/calendar.h"

namespace tarnik {

ReportCharset ReportCharsetOf(std::string_view charset) {
  ReportCharset result;
  result.name = charset;
  result.measure = MeasureOf(charset);
  const CharsetConverter converter(kDesignCharset, charset);
  if (converter.ok() && !converter.IsIdentity()) {
    result.bar = converter.Convert(result.bar);
    result.emptyBar = converter.Convert(result.emptyBar);
    result.axis = converter.Convert(result.axis);
  }
  return result;
}

std::string Bar(std::int64_t max, std::int64_t length, std::int64_t value) {
  return Bar(max, length, value, ReportCharset{});
}

std::string Bar(std::int64_t max, std::int64_t length, std::int64_t value,
                const ReportCharset& charset) {
  if (max <= 0) return {};
  // A 64-bit product: byte totals times the bar length easily pass 2^31.
  double scaled = static_cast<double>(value * length) / static_cast<double>(max);
  auto n = static_cast<std::int64_t>(scaled);
  if (n == 0) return charset.emptyBar;
  if (n < 0) return {};
  n = std::min<std::int64_t>(n, kBarTextLength);
  if (charset.bar.size() == 1) return std::string(static_cast<std::size_t>(n), charset.bar[0]);
  std::string bar;
  bar.reserve(static_cast<std::size_t>(n) * charset.bar.size());
  for (std::int64_t i = 0; i < n; ++i) bar += charset.bar;
  return bar;
}

std::string ShortYear(std::int32_t year) {
  std::string text = Decimal(year);
  return text.size() > 2 ? text.substr(2, 2) : std::string();
}

std::string LongDateText(std::int32_t day, std::int32_t month, std::int32_t year) {
  return TwoDigits(day) + "." + TwoDigits(month) + "." + Decimal(year);
}

std::string ShortDateText(std::int32_t day, std::int32_t month, std::int32_t year) {
  return TwoDigits(day) + "." + TwoDigits(month) + "." + ShortYear(year);
}

std::string DayName(int weekday) {
  static constexpr const char* kNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  if (weekday < 0 || weekday > 6) return {};
  return kNames[weekday];
}

std::string AddressText(const FtnAddress& address) {
  return address.zone == 0 ? std::string() : FormatAddress(address);
}

std::string RightAligned(std::int64_t value, std::size_t width) {
  std::string text = Decimal(value);
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string LeftAligned(std::string_view text, std::size_t width, bool cut) {
  return LeftAligned(text, width, cut, TextMeasure::kBytes);
}

std::string LeftAligned(std::string_view text, std::size_t width, bool cut, TextMeasure measure) {
  std::string result(cut ? text.substr(0, PrefixBytes(text, width, measure)) : text);
  const std::size_t columns = TextWidth(result, measure);
  if (columns < width) result.append(width - columns, ' ');
  return result;
}

std::vector<DayStat> PeriodDays(const std::optional<DayStat>& firstDay,
                                const std::optional<DayStat>& lastDay,
                                const std::vector<DayStat>& days) {
  std::vector<DayStat> period;
  if (!firstDay || !lastDay) return period;
  std::int32_t first = DayNumber(firstDay->year, firstDay->month, firstDay->day);
  std::int32_t last = DayNumber(lastDay->year, lastDay->month, lastDay->day);
  auto record = days.begin();
  for (std::int32_t number = first; number <= last; ++number) {
    DayStat day;
    DateOfDayNumber(number, day.day, day.month, day.year);
    while (record != days.end() && std::tie(record->year, record->month, record->day) <
                                       std::tie(day.year, day.month, day.day)) {
      ++record;
    }
    if (record != days.end() && record->year == day.year && record->month == day.month &&
        record->day == day.day) {
      day.count = record->count;
    }
    period.push_back(day);
  }
  return period;
}

std::int64_t PersonKey(const PersonStat& person, PersonOrder order) {
  switch (order) {
    case PersonOrder::kByTotal:
      return static_cast<std::int64_t>(person.written) + person.received;
    case PersonOrder::kByWritten:
      return person.written;
    case PersonOrder::kByReceived:
      return person.received;
    case PersonOrder::kBySize:
      return person.bytes;
  }
  return 0;
}

// Inserting each record before all records with an equal key is the same as a stable sort of
// the reversed list.
void ResortPersons(std::vector<PersonStat>& persons, PersonOrder order) {
  std::reverse(persons.begin(), persons.end());
  std::stable_sort(persons.begin(), persons.end(),
                   [order](const PersonStat& a, const PersonStat& b) {
                     return PersonKey(a, order) > PersonKey(b, order);
                   });
}

void ResortSubjects(std::vector<SubjectStat>& subjects) {
  std::reverse(subjects.begin(), subjects.end());
  std::stable_sort(subjects.begin(), subjects.end(),
                   [](const SubjectStat& a, const SubjectStat& b) {
                     if (a.count != b.count) return a.count > b.count;
                     // std::string compares bytes as unsigned, like the scan's name order.
                     return a.subject > b.subject;
                   });
}

}  // namespace tarnik
