#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/line_reader.h"
#include "report/macro_engine.h"
#include "report/report_format.h"

namespace tarnik {

class CharsetConverter;
class Clock;
class Console;
class EchoGroup;
class ReportOutput;
struct DayStat;
struct PersonStat;
struct SubjectStat;

// One "#define name" ... "#end" block of a template file.
struct Section {
  std::string name;                // as written; looked up case-insensitively
  std::vector<std::string> lines;  // as read, at most 255 bytes each
};

// The loaded template of one report with the report's macro engine.
class ReportTemplate {
 public:
  // Creates the engine (clock variables from clock) and defines the report variables from the
  // group's totals and dates; bars and widths follow the report's charset.
  ReportTemplate(const EchoGroup& group, const Clock& clock,
                 const ReportCharset& charset = ReportCharset{});

  // Opens path + name (no separator inserted). On failure writes the missing-template text,
  // naming the bare name, to console and returns false.
  bool OpenTemplate(std::string_view path, std::string_view name, Console& console);
  // Reads the opened file from its start into sections.
  void LoadTemplates();
  // The same loading rules over text in memory (LF or CR LF line ends, lines cut to 255).
  void LoadTemplateText(std::string_view text);

  // The first section of that name, case-insensitively; null when none.
  const Section* FindSection(std::string_view name) const;
  // Writes each line's expansion and a line end, skipping empty expansions. False (and nothing
  // written) for a null section.
  bool RenderSection(const Section* section, ReportOutput& output);
  // Renders for an HTML page from now on: each expansion goes out in UTF-8 (converted by
  // toUtf8, which must outlive this) with its literal bytes (names, subjects, the
  // description...) HTML-escaped; template text is not escaped.
  void SetHtml(const CharsetConverter& toUtf8) { toUtf8_ = &toUtf8; }
  // Expands every line for its side effects only; nothing for a null section.
  void ExecuteSection(const Section* section);

  // Set the list-line variables of one entry; index is 0-based, max the list's top key.
  void SetByTotalLine(int index, std::int64_t max, const PersonStat& person);
  void SetPersonLine(int index, std::int64_t max, const PersonStat& person);
  void SetSizeLine(int index, std::int64_t max, const PersonStat& person);
  void SetSubjectLine(int index, std::int64_t max, const SubjectStat& subject);
  void SetDayLine(int index, std::int64_t max, const DayStat& day);
  void SetWeekdayLine(int index, std::int64_t max, std::int64_t count);

  MacroEngine& engine() { return engine_; }
  const std::vector<Section>& sections() const { return sections_; }
  const std::string& fileName() const { return fileName_; }
  bool opened() const { return opened_; }
  // The system's reason when OpenTemplate failed.
  std::string OpenError() const { return reader_.ErrorText(); }

 private:
  class Loader;

  void Set(std::string_view name, std::string_view value);
  // For names, addresses and subjects: inserted as they are, never expanded.
  void SetLiteral(std::string_view name, std::string_view value);
  // Runs the list section silently and reads the bar length it assigns to "@linelength".
  std::int64_t LineLength(std::string_view sectionName, std::int64_t fallback);

  ReportCharset charset_;
  MacroEngine engine_;
  std::vector<Section> sections_;
  LineReader reader_;
  std::string fileName_;
  bool opened_ = false;
  const CharsetConverter* toUtf8_ = nullptr;  // set for an HTML page
};

}  // namespace tarnik
