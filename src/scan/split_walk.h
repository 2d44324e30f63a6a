#pragma once

#include <cstdint>
#include <functional>

#include "core/stat_tables.h"
#include "scan/echo_scan.h"

namespace tarnik {

class MessageBase;
class Spinner;

// What one part of a scan counts: the group's figures and tables, or a stretch's own until
// they are added to the group's.
struct ScanCounts {
  std::int32_t& messages;
  StatTables& tables;
  GroupScanState& state;
};

// Counts the messages of the walk from where base stands up to (not including) the place
// stop, stepping spinner when there is one. True when the walk reached stop, false when it
// ended before. Called from both threads of a split walk at once, each with its own base.
using WalkCounter =
    std::function<bool(MessageBase& base, std::int64_t stop, ScanCounts counts, Spinner* spinner)>;

// Counts the walk from where base stands (place first, at least two places before end) with a
// second thread that reads stretches of it through backBase, a second opening of the same
// base. What is added to counts is what a single walk with base up to end would give. With
// inTurn the second thread takes what it can before this one starts (tests use it to force
// the uneven share).
void CountSplitWalk(MessageBase& base, std::int64_t first, std::int64_t end, MessageBase& backBase,
                    const WalkCounter& countWalk, ScanCounts counts, Spinner& spinner, bool inTurn);

}  // namespace tarnik
