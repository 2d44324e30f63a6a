#pragma once

#include <string>

#include "core/ftn_address.h"
#include "core/stat_records.h"

namespace tarnik::testing {

// A person record of the statistics tables as a report receives it.
PersonStat Person(std::string name, int written, int received, int bytes, int lines, int quoted,
                  FtnAddress address);

}  // namespace tarnik::testing
