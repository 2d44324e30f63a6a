#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/charset.h"
#include "core/ftn_address.h"
#include "core/stat_tables.h"

namespace tarnik {

// Code page 866 bytes of the report: the bar block, the zero-length bar and the chart axis.
inline constexpr char kBarChar = '\xDC';
inline constexpr char kEmptyBarChar = '\xDA';
inline constexpr char kAxisChar = '\xB3';
inline constexpr std::size_t kBarTextLength = 108;

// What a report needs of the charset it is written in: how it measures text, and its bar
// block, zero-length bar and chart axis (the bytes above in code page 866).
struct ReportCharset {
  std::string name{kDesignCharset};
  TextMeasure measure = TextMeasure::kBytes;
  std::string bar{kBarChar};
  std::string emptyBar{kEmptyBarChar};
  std::string axis{kAxisChar};
};
// The report charset of an output charset (IsOutputCharset); code page 866 by default.
ReportCharset ReportCharsetOf(std::string_view charset);

// value * length / max bars, truncated and at most 108; a single 0xDA for a zero-length bar;
// empty when max <= 0 or the length comes out negative.
std::string Bar(std::int64_t max, std::int64_t length, std::int64_t value);
// The same drawn with the charset's bar characters.
std::string Bar(std::int64_t max, std::int64_t length, std::int64_t value,
                const ReportCharset& charset);

// "07.03.2001" and "07.03.01": the short form keeps the third and fourth digit of the year.
std::string LongDateText(std::int32_t day, std::int32_t month, std::int32_t year);
std::string ShortDateText(std::int32_t day, std::int32_t month, std::int32_t year);
std::string ShortYear(std::int32_t year);
// "Sun" .. "Sat" for 0 .. 6; empty outside.
std::string DayName(int weekday);
// zone:net/node plus ".point" when the point is not 0; empty when the zone is 0.
std::string AddressText(const FtnAddress& address);

// Decimal text right-aligned in width characters (longer numbers in full).
std::string RightAligned(std::int64_t value, std::size_t width);
// Text filled right with spaces to width; cut to width when cut is true.
std::string LeftAligned(std::string_view text, std::size_t width, bool cut);
// The same with width in the columns of measure; a cut never splits a character.
std::string LeftAligned(std::string_view text, std::size_t width, bool cut, TextMeasure measure);

enum class PersonOrder { kByTotal, kByWritten, kByReceived, kBySize };

// Key value of a person under an order (written + received for kByTotal).
std::int64_t PersonKey(const PersonStat& person, PersonOrder order);

// Every day from the group's first to its last day, in order, with its count from days (which
// is ordered by date); 0 for a day without messages. Empty when the group has no days.
std::vector<DayStat> PeriodDays(const std::optional<DayStat>& firstDay,
                                const std::optional<DayStat>& lastDay,
                                const std::vector<DayStat>& days);

// The walk of every ranked list in every format: row(index, max) for each of the first length
// of count records that passes, max being the first record's key. Records that fail still use
// up their position number.
template <class Key, class Passes, class Row>
void ForEachRankedRow(std::int32_t length, std::size_t count, const Key& key, const Passes& passes,
                      const Row& row) {
  const std::size_t n = std::min(static_cast<std::size_t>(length), count);
  const std::int64_t max = n > 0 ? key(0) : 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (passes(i)) row(static_cast<int>(i), max);
  }
}

// Re-sort by the key, descending. Records with equal keys come out in the reverse of their
// order before the call, so the tie order of one list depends on the re-sorts before it.
void ResortPersons(std::vector<PersonStat>& persons, PersonOrder order);
// count descending, then subject descending (byte-wise); ties reversed as above.
void ResortSubjects(std::vector<SubjectStat>& subjects);

}  // namespace tarnik
