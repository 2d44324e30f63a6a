#include "report/report_writer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <vector>

#include "common/cp866.h"
#include "common/text.h"
#include "config/echo_group.h"
#include "core/calendar.h"
#include "core/language_table.h"
#include "core/program_info.h"
#include "core/stat_tables.h"
#include "core/text_ids.h"
#include "report/html_report.h"
#include "report/json_report.h"
#include "report/report_format.h"
#include "report/report_template.h"

namespace tarnik {

namespace {

constexpr std::string_view kClosingTail = ". Echomail statistics for FidoNet-technology networks.";

constexpr int kChartRows = 20;
constexpr int kChartHours = 24;

bool SameDate(const DayStat& a, std::int32_t day, std::int32_t month, std::int32_t year) {
  return a.day == day && a.month == month && a.year == year;
}

bool DateBefore(const DayStat& a, std::int32_t day, std::int32_t month, std::int32_t year) {
  if (a.year != year) return a.year < year;
  if (a.month != month) return a.month < month;
  return a.day < day;
}

}  // namespace

// One of the five ranked lists: which records pass, their key, and both ways to write a line.
struct ReportWriter::RankedList {
  std::string_view kind;
  std::int32_t length;
  std::int32_t headerFirst;
  std::int32_t headerLast;
  std::size_t count;
  std::function<std::int64_t(std::size_t)> key;
  std::function<bool(std::size_t)> passes;
  std::function<void(int, std::int64_t)> setLine;
  std::function<std::string(int, std::int64_t)> builtInLine;
};

ReportWriter::ReportWriter(const std::string& templatePath, EchoGroup& group,
                           const LanguageTable& language, Services services,
                           const ReportCharset& charset, std::size_t bufferSize)
    : output_(bufferSize),
      group_(group),
      language_(language),
      charset_(charset),
      console_(services.console),
      diagnostics_(services.diagnostics),
      clock_(services.clock),
      toUtf8_(charset.name, "UTF-8") {
  if (group.outputName.empty()) {
    output_.OpenConsole(services.reportConsole);
  } else if (!output_.OpenFile(ToLocalPath(group.outputName))) {
    services.console.Write("fault: unable to create report file ~" + group.outputName + "~.\r\n");
    diagnostics_.Error(ToLocalPath(group.outputName),
                       "cannot create the report file: " + output_.OpenError() +
                           "; no report for group \"" + group.description + "\"");
    return;
  }
  if (group.format != ReportFormat::kText) output_.SetLineEnd("\n");
  // A JSON document is not laid out by templates; an HTML page only by one it names.
  if (group.format == ReportFormat::kJson) return;
  if (group.format == ReportFormat::kHtml && group.templateName.empty()) return;
  template_ = std::make_unique<ReportTemplate>(group, services.clock, charset_);
  if (group.format == ReportFormat::kHtml) template_->SetHtml(toUtf8_);
  if (template_->OpenTemplate(templatePath, group.templateName, services.console)) {
    template_->LoadTemplates();
  } else {
    diagnostics_.Error(
        template_->fileName(),
        "cannot open the template: " + template_->OpenError() + "; the built-in layout is used");
    template_.reset();
  }
}

ReportWriter::~ReportWriter() {
  Close();
  template_.reset();
}

bool ReportWriter::Close() {
  if (closed_) return whole_;
  closed_ = true;
  whole_ = output_.Close();
  if (whole_) return true;
  if (group_.outputName.empty()) {
    diagnostics_.Error("standard output", "cannot write the report of group \"" +
                                              group_.description + "\": " + output_.WriteError());
    return false;
  }
  console_.Write("fault: unable to write report file ~" + group_.outputName + "~.\r\n");
  diagnostics_.Error(ToLocalPath(group_.outputName),
                     "cannot write the report file: " + output_.WriteError() +
                         (output_.ReplacesFile() ? "; the previous report is kept" : ""));
  return false;
}

bool ReportWriter::IsOpen() const { return output_.IsOpen(); }

bool ReportWriter::Render(std::string_view name) {
  if (!template_) return false;
  return template_->RenderSection(template_->FindSection(name), output_);
}

const Section* ReportWriter::ListSection(std::string_view name) const {
  return template_ ? template_->FindSection(name) : nullptr;
}

void ReportWriter::WriteText(std::int32_t id) { output_.Write(language_.LanguageText(id)); }

void ReportWriter::WriteTextLines(std::int32_t first, std::int32_t last) {
  for (std::int32_t id = first; id <= last; ++id) output_.WriteLine(language_.LanguageText(id));
}

void ReportWriter::WriteAll(StatTables& tables) {
  if (!IsOpen()) return;
  if (group_.format == ReportFormat::kJson) {
    WriteJsonReport(output_, group_, tables, clock_.Now(), toUtf8_);
    return;
  }
  if (group_.format == ReportFormat::kHtml) {
    HtmlReport(output_, template_.get(), group_, language_, clock_.Now(), toUtf8_).WriteAll(tables);
    return;
  }
  WriteMainHeader();
  WritePersonLists(tables);
  WriteTopSubjects(tables);
  WriteByDays(tables);
  WriteByDayOfWeek(tables);
  WriteByTime(tables);
  WriteClosingLine();
}

void ReportWriter::WriteMainHeader() {
  if (!Render("mainheader")) {
    output_.WriteLine(language_.LanguageText(kReportTitleText) + " [" +
                      UpperCase(group_.tagPatterns) + "] \"" + group_.description + "\"");
    output_.WriteLine();
    WriteTextLines(kBannerTopText, kBannerBottomText);
    WriteText(kPeriodText);
    if (group_.firstDay && group_.lastDay) {
      const DayStat& first = *group_.firstDay;
      const DayStat& last = *group_.lastDay;
      output_.WriteLine(LongDateText(first.day, first.month, first.year) + "-" +
                        LongDateText(last.day, last.month, last.year));
    } else {
      output_.WriteLine(language_.LanguageText(kNoMessagesText));
    }
    const std::pair<std::int32_t, std::int32_t> figures[] = {
        {kMessagesText, group_.messageCount},
        {kPersonsText, group_.personCount},
        {kDaysText, group_.dayCount},
        {kMessagesPerDayText, group_.averagePerDay},
        {kDeliveryTimeText, group_.averageDelivery}};
    for (const auto& [id, value] : figures) {
      output_.WriteLine(language_.LanguageText(id) + Decimal(value));
    }
  }
  Render("mainfooter");
}

void ReportWriter::WriteRanked(const RankedList& list) {
  output_.WriteLine();
  if (!Render(std::string(list.kind) + "header")) {
    WriteTextLines(list.headerFirst, list.headerLast);
  }
  const Section* section = ListSection(std::string(list.kind) + "list");
  ForEachRankedRow(list.length, list.count, list.key, list.passes,
                   [&](int index, std::int64_t max) {
                     if (section != nullptr) {
                       list.setLine(index, max);
                       template_->RenderSection(section, output_);
                     } else {
                       output_.WriteLine(list.builtInLine(index, max));
                     }
                   });
  Render(std::string(list.kind) + "footer");
}

void ReportWriter::WritePersonLists(StatTables& tables) {
  std::vector<PersonStat>& persons = tables.persons;
  auto positionAndName = [this, &persons](int i) {
    return RightAligned(i + 1, 3) + " " + LeftAligned(persons[i].name, 23, true, charset_.measure) +
           " ";
  };

  if (group_.byTotal > 0) {
    ResortPersons(persons, PersonOrder::kByTotal);
    WriteRanked(
        RankedList{"bytotal", group_.byTotal, kByTotalTitleText, kByTotalRuleText, persons.size(),
                   [&](std::size_t i) { return PersonKey(persons[i], PersonOrder::kByTotal); },
                   [&](std::size_t i) { return persons[i].written > 0 || persons[i].received > 0; },
                   [&](int i, std::int64_t max) { template_->SetByTotalLine(i, max, persons[i]); },
                   [&](int i, std::int64_t) {
                     const PersonStat& p = persons[i];
                     return RightAligned(i + 1, 3) + " " +
                            LeftAligned(p.name + " (" + AddressText(p.address) + ")", 36, true,
                                        charset_.measure) +
                            " " + RightAligned(p.written, 6) + " " + RightAligned(p.received, 6) +
                            " " + RightAligned(PersonKey(p, PersonOrder::kByTotal), 7) + " " +
                            RightAligned(p.bytes, 8) + " " + QuotePercent(p) + "%";
                   }});
  }

  struct Counted {
    std::string_view kind;
    std::int32_t length;
    std::int32_t headerFirst;
    std::int32_t headerLast;
    PersonOrder order;
  };
  const Counted countedLists[] = {{"topwriters", group_.byFrom, kTopWritersTitleText,
                                   kTopWritersRuleText, PersonOrder::kByWritten},
                                  {"topreaders", group_.byTo, kTopReadersTitleText,
                                   kTopReadersRuleText, PersonOrder::kByReceived}};
  for (const Counted& counted : countedLists) {
    if (counted.length <= 0) continue;
    PersonOrder order = counted.order;
    ResortPersons(persons, order);
    WriteRanked(RankedList{
        counted.kind, counted.length, counted.headerFirst, counted.headerLast, persons.size(),
        [&](std::size_t i) { return PersonKey(persons[i], order); },
        [&](std::size_t i) { return PersonKey(persons[i], order) > 0; },
        [&](int i, std::int64_t max) { template_->SetPersonLine(i, max, persons[i]); },
        [&](int i, std::int64_t max) {
          std::int64_t value = PersonKey(persons[i], order);
          return positionAndName(i) + RightAligned(value, 6) + " " + Bar(max, 42, value, charset_);
        }});
  }

  if (group_.bySize > 0) {
    ResortPersons(persons, PersonOrder::kBySize);
    WriteRanked(
        RankedList{"topsizes", group_.bySize, kTopSizesTitleText, kTopSizesRuleText, persons.size(),
                   [&](std::size_t i) { return static_cast<std::int64_t>(persons[i].bytes); },
                   [&](std::size_t i) { return persons[i].bytes > 0; },
                   [&](int i, std::int64_t max) { template_->SetSizeLine(i, max, persons[i]); },
                   [&](int i, std::int64_t max) {
                     const PersonStat& p = persons[i];
                     return positionAndName(i) + RightAligned(p.bytes, 8) + " " + QuotePercent(p) +
                            "% " + Bar(max, 34, p.bytes, charset_);
                   }});
  }
}

void ReportWriter::WriteTopSubjects(StatTables& tables) {
  if (group_.bySubjects <= 0) return;
  std::vector<SubjectStat>& subjects = tables.subjects;
  ResortSubjects(subjects);
  // The index into subjects is by text position, which the re-sort has just invalidated.
  tables.subjectIndex.clear();
  WriteRanked(RankedList{
      "topsubjects", group_.bySubjects, kTopSubjectsTitleText, kTopSubjectsRuleText,
      subjects.size(), [&](std::size_t i) { return static_cast<std::int64_t>(subjects[i].count); },
      [](std::size_t) { return true; },
      [&](int i, std::int64_t max) { template_->SetSubjectLine(i, max, subjects[i]); },
      [&](int i, std::int64_t) {
        // Long subjects are not cut; the count then moves right.
        return RightAligned(i + 1, 3) + " " +
               LeftAligned(subjects[i].subject, 65, false, charset_.measure) + " " +
               Decimal(subjects[i].count);
      }});
}

void ReportWriter::WriteByDays(StatTables& tables) {
  if (!group_.byDays) return;
  output_.WriteLine();
  if (!Render("bydaysheader")) WriteTextLines(kByDaysTitleText, kByDaysRuleText);
  std::vector<DayStat>& days = tables.days;
  std::int64_t max = 0;
  for (const DayStat& day : days) max = std::max<std::int64_t>(max, day.count);
  if (group_.firstDay && group_.lastDay) {
    const Section* section = ListSection("bydayslist");
    std::vector<bool> written(days.size(), false);
    std::int32_t firstNumber =
        DayNumber(group_.firstDay->year, group_.firstDay->month, group_.firstDay->day);
    std::int32_t lastNumber =
        DayNumber(group_.lastDay->year, group_.lastDay->month, group_.lastDay->day);
    for (std::int32_t number = firstNumber; number <= lastNumber; ++number) {
      std::int32_t day = 0, month = 0, year = 0;
      DateOfDayNumber(number, day, month, year);
      auto found = std::lower_bound(days.begin(), days.end(), 0, [&](const DayStat& record, int) {
        return DateBefore(record, day, month, year);
      });
      if (found != days.end() && SameDate(*found, day, month, year)) {
        const DayStat& record = *found;
        if (section != nullptr) {
          template_->SetDayLine(number - firstNumber, max, record);
          template_->RenderSection(section, output_);
        } else {
          std::string line = " ";
          line += ShortDateText(record.day, record.month, record.year);
          line += RightAligned(record.count, 4);
          line += ' ';
          line += charset_.axis;
          line += Bar(max, 62, record.count, charset_);
          output_.WriteLine(line);
        }
        written[static_cast<std::size_t>(found - days.begin())] = true;
      } else {
        // A day without messages always takes the built-in form, template or not.
        std::string line = " ";
        line += ShortDateText(day, month, year);
        line += "   0 ";
        line += charset_.axis;
        output_.WriteLine(line);
      }
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < days.size(); ++i) {
      if (!written[i]) days[kept++] = days[i];
    }
    days.resize(kept);
  }
  if (!Render("bydaysfooter")) WriteTextLines(kByDaysFooterText, kByDaysFooterText);
}

void ReportWriter::WriteByDayOfWeek(const StatTables& tables) {
  if (!group_.byDayOfWeek) return;
  output_.WriteLine();
  if (!Render("bydayofweekheader")) WriteTextLines(kByDayOfWeekTitleText, kByDayOfWeekRuleText);
  std::int64_t max = 0;
  for (std::int32_t count : tables.weekdays) max = std::max<std::int64_t>(max, count);
  const Section* section = ListSection("bydayofweeklist");
  for (int d = 0; d < 7; ++d) {
    std::int64_t count = tables.weekdays[d];
    if (section != nullptr) {
      template_->SetWeekdayLine(d, max, count);
      template_->RenderSection(section, output_);
    } else {
      output_.WriteLine("  " + DayName(d) + "  " + RightAligned(count, 4) + " " + charset_.axis +
                        Bar(max, 62, count, charset_));
    }
  }
  if (!Render("bydayofweekfooter")) WriteTextLines(kByDayOfWeekFooterText, kByDayOfWeekFooterText);
}

void ReportWriter::WriteByTime(const StatTables& tables) {
  if (!group_.byTime) return;
  output_.WriteLine();
  if (!Render("bytimeheader")) WriteTextLines(kByTimeTitleText, kByTimeAxisTopText);
  std::int64_t max = 0;
  for (std::int32_t count : tables.hours) max = std::max<std::int64_t>(max, count);

  // Bar heights in rows, row 1 being the bottom row.
  std::array<int, kChartHours> heights{};
  if (max > 0) {
    for (int hour = 0; hour < kChartHours; ++hour) {
      // std::round takes halves away from zero.
      auto height =
          static_cast<int>(std::round(static_cast<double>(tables.hours[hour]) * kChartRows / max));
      heights[hour] = std::clamp(height, 0, kChartRows);
    }
  }
  const std::string empty = language_.LanguageText(kByTimeEmptyCellText);
  const std::string bar = language_.LanguageText(kByTimeBarCellText);
  const std::string grid = language_.LanguageText(kByTimeGridCellText);
  for (int row = kChartRows; row >= 1; --row) {
    std::string line;
    if (row % 5 == 0) {
      line = RightAligned(row * 100 / kChartRows, 3) + language_.LanguageText(kByTimeAxisTickText);
    } else {
      line = language_.LanguageText(kByTimeAxisText);
    }
    // An hour without a bar shows the grid line, but only in a chart that has messages.
    const std::string& gap = row % 5 == 0 && max > 0 ? grid : empty;
    for (int hour = 0; hour < kChartHours; ++hour) line += row <= heights[hour] ? bar : gap;
    output_.WriteLine(line);
  }
  if (!Render("bytimefooter")) WriteTextLines(kByTimeAxisBottomText, kByTimeHoursText);
}

void ReportWriter::WriteClosingLine() {
  output_.WriteLine();
  std::string closingLine = "// ";
  closingLine += kProgramName;
  closingLine += " ver.";
  closingLine += kProgramVersion;
  closingLine += kClosingTail;
  output_.WriteLine(closingLine);
}

}  // namespace tarnik
