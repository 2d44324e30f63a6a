#include "report/report_template.h"

#include "common/charset.h"
#include "common/console.h"
#include "common/cp866.h"
#include "common/text.h"
#include "config/echo_group.h"
#include "core/calendar.h"
#include "core/program_info.h"
#include "core/stat_tables.h"
#include "report/report_format.h"
#include "report/report_output.h"
#include "report/web_text.h"

namespace tarnik {

// Classifies template lines one by one. A section being defined for the first time joins the
// list only at its "#end"; a reopened one gets its lines directly, so they survive a break.
class ReportTemplate::Loader {
 public:
  explicit Loader(std::vector<Section>& sections) : sections_(sections) {}

  void Feed(const std::string& line) {
    if (line.empty() || line[0] == ';') return;
    if (LowerCase(WordOf(line, 1, kBlanks)) == "#define") {
      Open(WordOf(line, 2, kBlanks));
      return;
    }
    if (!open_) return;
    if (LowerCase(line) == "#end") {
      if (!reopened_) sections_.push_back(std::move(pending_));
      open_ = false;
      return;
    }
    if (reopened_) {
      sections_[reopenedIndex_].lines.push_back(line);
    } else {
      pending_.lines.push_back(line);
    }
  }

 private:
  void Open(std::string_view name) {
    open_ = true;
    reopened_ = false;
    pending_ = Section{std::string(name), {}};
    for (std::size_t i = 0; i < sections_.size(); ++i) {
      if (EqualFolded(sections_[i].name, name)) {
        reopened_ = true;
        reopenedIndex_ = i;
        return;
      }
    }
  }

  std::vector<Section>& sections_;
  Section pending_;
  bool open_ = false;
  bool reopened_ = false;
  std::size_t reopenedIndex_ = 0;
};

namespace {

// A line of an HTML page: UTF-8, and what came from data escaped.
std::string HtmlLine(const MacroText& line, const CharsetConverter& toUtf8) {
  std::string html;
  std::size_t start = 0;
  while (start < line.text.size()) {
    bool literal = line.literal[start];
    std::size_t end = start + 1;
    while (end < line.text.size() && line.literal[end] == literal) ++end;
    std::string run = toUtf8.Convert(std::string_view(line.text).substr(start, end - start));
    html += literal ? HtmlEscaped(run) : run;
    start = end;
  }
  return html;
}

std::string DatePart(const std::optional<DayStat>& day, std::int32_t DayStat::*field,
                     bool twoDigits, std::string_view missing) {
  if (!day) return std::string(missing);
  std::int32_t value = (*day).*field;
  return twoDigits ? TwoDigits(value) : Decimal(value);
}

}  // namespace

ReportTemplate::ReportTemplate(const EchoGroup& group, const Clock& clock,
                               const ReportCharset& charset)
    : charset_(charset), engine_(clock, charset.measure) {
  engine_.SetVariable("@version", kProgramVersion);
  engine_.SetVariable("@program", kProgramName);
  engine_.SetLiteralVariable("@echo", group.FirstEchoTag());
  engine_.SetLiteralVariable("@description", group.description);
  engine_.SetVariable("@statfromday", DatePart(group.firstDay, &DayStat::day, true, "??"));
  engine_.SetVariable("@statfrommonth", DatePart(group.firstDay, &DayStat::month, true, "??"));
  engine_.SetVariable("@statfromyear", DatePart(group.firstDay, &DayStat::year, false, "????"));
  engine_.SetVariable("@stattoday", DatePart(group.lastDay, &DayStat::day, true, "??"));
  engine_.SetVariable("@stattomonth", DatePart(group.lastDay, &DayStat::month, true, "??"));
  engine_.SetVariable("@stattoyear", DatePart(group.lastDay, &DayStat::year, false, "????"));
  engine_.SetVariable("@messages", Decimal(group.messageCount));
  engine_.SetVariable("@totalusers", Decimal(group.personCount));
  engine_.SetVariable("@days", Decimal(group.dayCount));
  engine_.SetVariable("@averagemessages", Decimal(group.averagePerDay));
  engine_.SetVariable("@averagedeliveringtime", Decimal(group.averageDelivery));
  static constexpr std::string_view kListVariables[] = {
      "@num",          "@username",    "@usersize",         "@userquote",      "@subjectline",
      "@subjecttotal", "@statdateday", "@statdatemonth",    "@statdateyear",   "@datemessages",
      "@dayofweek",    "@dowmsgs",     "@usermessagesfrom", "@usermessagesto", "@usertotalmessages",
      "@useraddress",  "@linedow",     "@linefrom",         "@lineto",         "@linesize",
      "@lineday",      "@linebytotal"};
  for (std::string_view name : kListVariables) engine_.SetVariable(name, "");
}

bool ReportTemplate::OpenTemplate(std::string_view path, std::string_view name, Console& console) {
  fileName_ = ToLocalPath(std::string(path) + std::string(name));
  if (!reader_.Open(fileName_)) {
    console.Write("done.\r\nUnable to open template file ~");
    console.Write(name);
    console.Write("~. Using default templates... ");
    opened_ = false;
    return false;
  }
  opened_ = true;
  return true;
}

void ReportTemplate::LoadTemplates() {
  if (!opened_) return;
  reader_.Rewind();
  Loader loader(sections_);
  std::string line;
  while (reader_.Next(line)) {
    if (line.size() == kShortStringMax) line.resize(WithoutCutCharacter(line, charset_.measure));
    loader.Feed(line);
  }
}

void ReportTemplate::LoadTemplateText(std::string_view text) {
  Loader loader(sections_);
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r' && end != std::string_view::npos) {
      line.remove_suffix(1);
    }
    loader.Feed(CutShort(line, charset_.measure));
  }
}

const Section* ReportTemplate::FindSection(std::string_view name) const {
  for (const Section& section : sections_) {
    if (EqualFolded(section.name, name)) return &section;
  }
  return nullptr;
}

bool ReportTemplate::RenderSection(const Section* section, ReportOutput& output) {
  if (section == nullptr) return false;
  for (const std::string& line : section->lines) {
    if (toUtf8_ != nullptr) {
      MacroText text =
          engine_.ProcessMarked(MacroText{line, std::vector<bool>(line.size(), false)});
      if (!text.text.empty()) output.WriteLine(HtmlLine(text, *toUtf8_));
      continue;
    }
    std::string text = engine_.ProcessLine(line);
    if (!text.empty()) output.WriteLine(text);
  }
  return true;
}

void ReportTemplate::ExecuteSection(const Section* section) {
  if (section == nullptr) return;
  for (const std::string& line : section->lines) engine_.ProcessLine(line);
}

void ReportTemplate::Set(std::string_view name, std::string_view value) {
  engine_.SetValue(engine_.Find(name), value);
}

void ReportTemplate::SetLiteral(std::string_view name, std::string_view value) {
  engine_.SetLiteralValue(engine_.Find(name), value);
}

std::int64_t ReportTemplate::LineLength(std::string_view sectionName, std::int64_t fallback) {
  engine_.Remove("@linelength");
  ExecuteSection(FindSection(sectionName));
  // The stored value is read as it is, not expanded.
  const MacroItem* length = engine_.Find("@linelength");
  if (length != nullptr && !length->value.empty()) return IntValue(length->value);
  return fallback;
}

void ReportTemplate::SetByTotalLine(int index, std::int64_t max, const PersonStat& person) {
  std::int64_t total = static_cast<std::int64_t>(person.written) + person.received;
  Set("@num", Decimal(index + 1));
  SetLiteral("@username", person.name);
  Set("@usermessagesfrom", Decimal(person.written));
  Set("@usermessagesto", Decimal(person.received));
  Set("@usertotalmessages", Decimal(total));
  Set("@usersize", Decimal(person.bytes));
  Set("@userquote", QuotePercent(person) + "%");
  SetLiteral("@useraddress", AddressText(person.address));
  std::int64_t length = LineLength("bytotallist", 42);
  Set("@linebytotal", Bar(max, length, total, charset_));
}

// Both bars are drawn against the max of the list being written, and both list sections run
// for every entry, whichever list is being written.
void ReportTemplate::SetPersonLine(int index, std::int64_t max, const PersonStat& person) {
  Set("@num", Decimal(index + 1));
  SetLiteral("@username", person.name);
  Set("@usermessagesfrom", Decimal(person.written));
  Set("@usermessagesto", Decimal(person.received));
  std::int64_t length = LineLength("topwriterslist", 42);
  Set("@linefrom", Bar(max, length, person.written, charset_));
  length = LineLength("topreaderslist", 42);
  engine_.Remove("@linelength");
  Set("@lineto", Bar(max, length, person.received, charset_));
}

void ReportTemplate::SetSizeLine(int index, std::int64_t max, const PersonStat& person) {
  Set("@num", Decimal(index + 1));
  SetLiteral("@username", person.name);
  Set("@usersize", Decimal(person.bytes));
  Set("@userquote", QuotePercent(person) + "%");
  std::int64_t length = LineLength("topsizeslist", 34);
  Set("@linesize", Bar(max, length, person.bytes, charset_));
}

void ReportTemplate::SetSubjectLine(int index, std::int64_t /*max*/, const SubjectStat& subject) {
  Set("@num", Decimal(index + 1));
  SetLiteral("@subjectline", subject.subject);
  Set("@subjecttotal", Decimal(subject.count));
}

void ReportTemplate::SetDayLine(int index, std::int64_t max, const DayStat& day) {
  Set("@num", Decimal(index + 1));
  Set("@statdate", ShortDateText(day.day, day.month, day.year));
  Set("@statdateday", TwoDigits(day.day));
  Set("@statdatemonth", TwoDigits(day.month));
  Set("@statdateyear", ShortYear(day.year));
  Set("@datemessages", Decimal(day.count));
  std::int64_t length = LineLength("bydayslist", 62);
  Set("@lineday", Bar(max, length, day.count, charset_));
}

void ReportTemplate::SetWeekdayLine(int index, std::int64_t max, std::int64_t count) {
  Set("@num", Decimal(index + 1));
  std::int64_t length = LineLength("bydayofweeklist", 64);
  Set("@linedow", Bar(max, length, count, charset_));
  Set("@dayofweek", DayName(index));
  Set("@dowmsgs", Decimal(count));
}

}  // namespace tarnik
