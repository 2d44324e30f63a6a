#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"

namespace tarnik {

class CharsetConverter;
class EchoGroup;
class LanguageTable;
class ReportOutput;
class ReportTemplate;
struct Section;
struct StatTables;

// One echo group's report as a self-contained HTML5 page in UTF-8: styles inline, no script,
// nothing fetched from elsewhere, light and dark colours, readable on a phone. Every text from
// a message or the configuration is escaped.
class HtmlReport {
 public:
  // pageTemplate may be null; when it is not, its sections replace the page's parts of the same
  // names and it must render for HTML (ReportTemplate::SetHtml). toUtf8 converts report text
  // into UTF-8. Everything must outlive this.
  HtmlReport(ReportOutput& output, ReportTemplate* pageTemplate, const EchoGroup& group,
             const LanguageTable& language, const LocalTime& now, const CharsetConverter& toUtf8);

  // Writes the page with the group's switched-on sections. Persons and subjects are re-sorted
  // in place as for the text report, so ranks and the order of ties are the same.
  void WriteAll(StatTables& tables);

 private:
  struct Column {
    std::string_view label;
    bool numeric;
  };
  struct RankedList;

  // Report text as HTML content: UTF-8, escaped.
  std::string Html(std::string_view reportText) const;
  bool Render(std::string_view name);
  const Section* ListSection(std::string_view name) const;
  std::string Title(std::int32_t id, std::string_view fallback) const;
  void OpenList(std::string_view kind, std::int32_t titleId, std::string_view fallback,
                const std::vector<Column>& columns);
  void CloseList(std::string_view kind);

  void WriteHead();
  void WriteHeader(const StatTables& tables);
  void WriteRanked(const RankedList& list);
  void WritePersonLists(StatTables& tables);
  void WriteTopSubjects(StatTables& tables);
  void WriteByDays(const StatTables& tables);
  void WriteByDayOfWeek(const StatTables& tables);
  void WriteByTime(const StatTables& tables);
  void WriteFooter();

  ReportOutput& output_;
  ReportTemplate* template_;
  const EchoGroup& group_;
  const LanguageTable& language_;
  LocalTime now_;
  const CharsetConverter& toUtf8_;
};

}  // namespace tarnik
