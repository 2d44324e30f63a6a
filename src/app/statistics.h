#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/ftn_address.h"
#include "app/text_index.h"

namespace tarnik {

// One distinct person name, shared by writers and recipients.
struct PersonStat {
  std::int32_t written = 0;
  std::int32_t received = 0;
  std::int32_t bytes = 0;
  std::int32_t lines = 0;
  std::int32_t quoted = 0;
  FtnAddress address;  // first address seen; zone 0 = not yet known
  std::string name;    // exactly as in the header; an empty name is stored as " "
};

struct SubjectStat {
  std::string subject;  // normalised; an empty one is stored as " "
  std::int32_t count = 0;
};

struct DayStat {
  std::int32_t day = 0;
  std::int32_t month = 0;
  std::int32_t year = 0;
  std::uint32_t count = 0;
};

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

// Share of quoted lines as "PP.T": TwoDigits of the whole percent, then one truncated digit.
std::string QuotePercent(const PersonStat& person);

}  // namespace tarnik
