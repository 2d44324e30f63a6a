#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/stat_records.h"

namespace tarnik {

// One echo selected for a group: its tag and area specification (base-kind letter + path).
struct EchoEntry {
  std::string tag;
  std::string areaSpec;
};

// A date of an explicit statistics period, as written (years are not widened).
struct PeriodDate {
  std::int32_t year = 0;
  std::int32_t month = 0;
  std::int32_t day = 0;
};

// What a group's report is: the text of the templates and language texts, a self-contained
// HTML page, or a JSON document.
enum class ReportFormat { kText, kHtml, kJson };

// One report definition: settings from the configuration and the run-time totals of its scan.
class EchoGroup {
 public:
  explicit EchoGroup(std::string tagPatterns) : tagPatterns(std::move(tagPatterns)) {}

  // True when echoes holds at most one entry.
  bool IsSingleEcho() const { return echoes.size() <= 1; }
  // The tag of the only echo; empty for a group with none or with several.
  std::string FirstEchoTag() const {
    return echoes.size() == 1 ? echoes.front().tag : std::string();
  }
  // What the scan counts beyond writers and days: recipients for the lists that show them,
  // subjects and hours for their sections. A JSON document carries every table.
  bool CountsRecipients() const { return byTo > 0 || byTotal > 0 || format == ReportFormat::kJson; }
  bool CountsSubjects() const { return bySubjects > 0 || format == ReportFormat::kJson; }
  bool CountsHours() const { return byTime || format == ReportFormat::kJson; }
  // Appends an EchoEntry when a word of tagPatterns selects the echo: "~X" by group letter,
  // any other word as a case-insensitive regular expression. The first selecting word wins.
  void AddEchoIfMatches(std::string_view tag, std::string_view areaSpec, char groupLetter);

  std::vector<EchoEntry> echoes;
  std::vector<std::string> aliases;
  std::string tagPatterns;  // upper-cased
  std::string description;
  std::string templateName;
  std::string outputName;         // empty: standard output
  std::string postArea;           // echo tag the report is posted to; empty: not posted
  std::string postFrom;           // empty: "Tarnik"
  std::string postTo;             // empty: "All"
  std::string postSubject;        // may use report variables; empty: the description
  std::int32_t postMaxSize = 0;   // bytes of report text per message; 0: the default
  std::int32_t postAreaLine = 0;  // configuration line of postArea, for errors found later
  ReportFormat format = ReportFormat::kText;
  std::optional<DayStat> firstDay;
  std::optional<DayStat> lastDay;
  bool useDataFile = false;
  bool byDays = false;
  bool byTime = false;
  bool byDayOfWeek = false;
  bool skipFutureMessages = false;
  std::int32_t byFrom = 0;
  std::int32_t byTo = 0;
  std::int32_t bySubjects = 0;
  std::int32_t bySize = 0;
  std::int32_t averagePerDay = 0;
  std::int32_t messageCount = 0;
  std::int32_t averageDelivery = 0;
  std::int32_t dayCount = 0;
  std::int32_t byTotal = 0;
  std::int32_t personCount = 0;
  char periodKind = 0;  // 'y', 'm', 'd', 's', '*', 'p', or 0 without statperiod
  std::int32_t periodCount = 0;
  PeriodDate periodFrom;
  PeriodDate periodTo;
  int defineLine = 0;  // the configuration line of its define, for diagnostics
};

}  // namespace tarnik
