#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/charset.h"
#include "common/services.h"
#include "report/report_format.h"
#include "report/report_output.h"

namespace tarnik {

class EchoGroup;
class LanguageTable;
class ReportTemplate;
struct Section;
struct StatTables;

// Writes one echo group's report. As text: every section from the group's template where it
// defines one, otherwise in the built-in layout of numbered language texts. As HTML: a page
// whose sections the template may replace. As JSON: one document, no template.
class ReportWriter {
 public:
  // Opens the group's output (group.outputName, or standard output through
  // services.reportConsole when empty) and loads the group's template from templatePath +
  // group.templateName, writing the missing-template console text and a diagnostic when it
  // cannot be opened; JSON groups and HTML groups without a template name load none. When the
  // output file cannot be created, writes a console line and a diagnostic naming it and loads
  // no template. The report is written in charset: the language texts must be in it already;
  // HTML and JSON convert them into UTF-8.
  ReportWriter(const std::string& templatePath, EchoGroup& group, const LanguageTable& language,
               Services services, const ReportCharset& charset = ReportCharset{},
               std::size_t bufferSize = kReportBufferSize);
  // Closes the output as Close does, then destroys the template.
  ~ReportWriter();
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  // False when the output file could not be created (the console line was written already).
  bool IsOpen() const;
  // Keeps a copy of the report text in copy, which must outlive the writer.
  void CaptureText(std::string& copy) { output_.CaptureTo(copy); }
  // Writes the whole report. Re-sorts persons and subjects in place (for the sections that are
  // switched on) and removes the day records it wrote.
  void WriteAll(StatTables& tables);
  // Closes the output now: a report file replaces the old one only when written whole. True
  // when the whole report reached its place; otherwise a console line and a diagnostic say
  // so, and an old report file is kept.
  bool Close();

 private:
  // Renders the section; false when there is no template or no such section.
  bool Render(std::string_view name);
  const Section* ListSection(std::string_view name) const;
  void WriteText(std::int32_t id);
  void WriteTextLines(std::int32_t first, std::int32_t last);

  struct RankedList;
  void WriteMainHeader();
  void WriteRanked(const RankedList& list);
  void WritePersonLists(StatTables& tables);
  void WriteTopSubjects(StatTables& tables);
  void WriteByDays(StatTables& tables);
  void WriteByDayOfWeek(const StatTables& tables);
  void WriteByTime(const StatTables& tables);
  void WriteClosingLine();

  ReportOutput output_;
  std::unique_ptr<ReportTemplate> template_;
  EchoGroup& group_;
  const LanguageTable& language_;
  ReportCharset charset_;
  Console& console_;
  Diagnostics& diagnostics_;
  const Clock& clock_;
  CharsetConverter toUtf8_;
  bool closed_ = false;
  bool whole_ = false;
};

}  // namespace tarnik
