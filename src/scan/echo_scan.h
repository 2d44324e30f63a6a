#pragma once

#include <cstdint>
#include <vector>

#include "common/services.h"
#include "config/data_file.h"
#include "config/echo_group.h"
#include "core/stat_tables.h"

namespace tarnik {

class LanguageTable;

// What ProcessGroup keeps across the echoes of one group.
struct GroupScanState {
  bool anyOpened = false;
  std::int32_t deliverySum = 0;
  std::int32_t deliveryCount = 0;
};

// Threads of a scan: kAuto shares a long walk with a second thread when the machine has a
// second processor; kOne never does. For tests, kTwo shares every walk of two places or more,
// and kTwoInTurn as well but lets the second thread take what it can before this one starts.
// The figures are the same whichever is used.
enum class ScanThreads { kAuto, kOne, kTwo, kTwoInTurn };

// Everything the scan of one group's echoes works on besides the echo and the group: the
// tables and state it fills, the data-file entries it updates and the run's services.
struct GroupScan {
  StatTables& tables;
  GroupScanState& state;
  std::vector<DataEntry>& dataEntries;
  const LanguageTable& language;
  Services services;
  ScanThreads threads = ScanThreads::kAuto;
};

// Scans one echo of a group into the tables: opens its base, counts every message written
// in the group's period, updates the data entry for groups with usedatafile, closes the base
// and recomputes the group totals. Writes text kNoBaseText (no base specification) or
// kBaseNotOpenedText (base cannot be opened).
void ScanEcho(const EchoEntry& echo, EchoGroup& group, const GroupScan& scan);

// Recomputes dayCount, firstDay/lastDay, personCount, averageDelivery and averagePerDay.
void RecomputeGroupTotals(EchoGroup& group, const StatTables& tables, const GroupScanState& state);

}  // namespace tarnik
