#pragma once

#include <cstdint>
#include <string>

#include "core/ftn_address.h"

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

}  // namespace tarnik
