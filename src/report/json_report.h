#pragma once

#include "common/clock.h"

namespace tarnik {

class CharsetConverter;
class EchoGroup;
class ReportOutput;
struct StatTables;

// The version field of the JSON document; raised only when a field changes meaning or goes.
inline constexpr int kJsonReportVersion = 1;

// Writes the group's statistics as one JSON document in UTF-8 (texts converted by toUtf8 from
// the report charset): the totals, every person in name order, every subject in report order,
// every day of the period, the weekdays and the hours. Re-sorts subjects into report order.
void WriteJsonReport(ReportOutput& output, const EchoGroup& group, StatTables& tables,
                     const LocalTime& now, const CharsetConverter& toUtf8);

}  // namespace tarnik
