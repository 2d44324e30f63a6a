#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/stat_records.h"
#include "core/text_index.h"

namespace tarnik {

// The statistics of one echo group while it is scanned and reported.
struct StatTables {
  // Ordered by name (byte-wise) once the scan of the group is finished (SortPersonsByName);
  // while scanning, records are appended and found through personIndex.
  std::vector<PersonStat> persons;
  TextIndex personIndex;
  std::vector<SubjectStat> subjects;  // in order of first appearance while scanning
  // subject text -> position in subjects; valid only until subjects is re-sorted.
  TextIndex subjectIndex;
  std::vector<DayStat> days;  // ordered by date
  std::array<std::int32_t, 24> hours{};
  std::array<std::int32_t, 7> weekdays{};  // 0 = Sunday
};

// Share of quoted lines in tenths of a percent, truncated; 0 for a person without lines.
std::int64_t QuoteTenths(const PersonStat& person);
// Share of quoted lines as "PP.T": TwoDigits of the whole percent, then one truncated digit.
std::string QuotePercent(const PersonStat& person);

}  // namespace tarnik
