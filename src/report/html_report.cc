#include "report/html_report.h"

#include <algorithm>
#include <functional>

#include "common/charset.h"
#include "common/text.h"
#include "config/echo_group.h"
#include "core/calendar.h"
#include "core/language_table.h"
#include "core/program_info.h"
#include "core/stat_tables.h"
#include "core/text_ids.h"
#include "report/report_format.h"
#include "report/report_output.h"
#include "report/report_template.h"
#include "report/web_text.h"

namespace tarnik {
namespace {

// Colours are variables so that one block turns the page dark; bars are CSS boxes whose width
// or height the page gives inline.
constexpr std::string_view kStyle =
    R"(:root{--fg:#1d232b;--bg:#f6f7f9;--card:#fff;--muted:#5d6673;--line:#dde1e6;--head:#eef1f5;--bar:#3b7dd8}
@media (prefers-color-scheme:dark){:root{--fg:#e4e8ee;--bg:#101318;--card:#171b21;--muted:#9aa4b1;--line:#2a313b;--head:#1e242c;--bar:#5b9bef}}
*{box-sizing:border-box}
body{margin:0;font:15px/1.45 system-ui,-apple-system,"Segoe UI",Roboto,sans-serif;color:var(--fg);background:var(--bg)}
header,main,footer{max-width:62rem;margin:0 auto;padding:0 1rem}
header{padding-top:1.5rem}
h1{font-size:1.6rem;line-height:1.2;margin:0 0 .25rem;overflow-wrap:anywhere}
h2{font-size:1.15rem;margin:0 0 .5rem}
.sub{color:var(--muted);margin:0 0 1rem;overflow-wrap:anywhere}
.totals{display:grid;grid-template-columns:repeat(auto-fit,minmax(9rem,1fr));gap:.5rem;margin:0}
.totals div{background:var(--card);border:1px solid var(--line);border-radius:.5rem;padding:.5rem .75rem}
.totals dt{color:var(--muted);font-size:.8rem}
.totals dd{margin:0;font-size:1.2rem;font-weight:600;font-variant-numeric:tabular-nums}
.totals .wide{grid-column:span 2}
section{margin:1.75rem 0}
.scroll{overflow-x:auto;background:var(--card);border:1px solid var(--line);border-radius:.5rem}
table{border-collapse:collapse;width:100%}
th,td{padding:.3rem .6rem;text-align:left}
thead th{background:var(--head);color:var(--muted);font-size:.8rem;font-weight:600;white-space:nowrap}
tbody tr+tr>*{border-top:1px solid var(--line)}
th.rank{width:2.5rem}
.n{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap}
.t{overflow-wrap:anywhere;min-width:8rem}
.name{white-space:nowrap}
#bydays td{padding-top:.15rem;padding-bottom:.15rem}
td.bar{width:35%;min-width:4rem}
.bar span{display:block;height:.75rem;min-width:2px;border-radius:.2rem;background:var(--bar)}
tr.none{color:var(--muted)}
.hours{table-layout:fixed;min-width:30rem}
.hours .label{width:4.5rem}
.hours th,.hours td{padding:.2rem 0;text-align:center;font-size:.7rem;border:0}
.hours th[scope=row]{padding-left:.5rem;text-align:left;color:var(--muted);font-weight:600}
.hours tr:first-child td{padding-top:.75rem}
.hours .col{height:9rem;display:flex;align-items:flex-end;justify-content:center}
.hours .col span{width:65%;border-radius:.15rem .15rem 0 0;background:var(--bar)}
footer{color:var(--muted);font-size:.85rem;padding:1rem;border-top:1px solid var(--line);margin-top:2rem}
@media (max-width:34rem){body{font-size:14px}th,td{padding:.25rem .4rem}.t{min-width:6rem}})";

std::string Cell(std::string_view html, std::string_view cellClass = {}) {
  if (cellClass.empty()) return "<td>" + std::string(html) + "</td>";
  return "<td class=\"" + std::string(cellClass) + "\">" + std::string(html) + "</td>";
}

std::string NumberCell(std::int64_t value) { return Cell(Decimal(value), "n"); }

// value as a share of max, "42.9".
std::string Share(std::int64_t max, std::int64_t value) {
  std::int64_t tenths = max > 0 && value > 0 ? value * 1000 / max : 0;
  return Decimal(tenths / 10) + "." + Decimal(tenths % 10);
}

// A share in tenths of a percent: "6.7%", "100.0%".
std::string Percent(std::int64_t tenths) {
  return Decimal(tenths / 10) + "." + Decimal(tenths % 10) + "%";
}

std::string BarCell(std::int64_t max, std::int64_t value) {
  if (max <= 0 || value <= 0) return Cell("", "bar");
  return Cell("<span style=\"width:" + Share(max, value) + "%\"></span>", "bar");
}

std::string Row(const std::vector<std::string>& cells, std::string_view rowClass = {}) {
  std::string row = rowClass.empty() ? "<tr>" : "<tr class=\"" + std::string(rowClass) + "\">";
  for (const std::string& cell : cells) row += cell;
  return row + "</tr>";
}

std::string DateCell(std::int32_t day, std::int32_t month, std::int32_t year) {
  return Cell("<time datetime=\"" + IsoDate(day, month, year) + "\">" +
              LongDateText(day, month, year) + "</time>");
}

// A language text without its padding: " Period ..... " gives "Period".
std::string Label(std::string text) {
  std::size_t end = text.find_last_not_of(" .");
  text.erase(end == std::string::npos ? 0 : end + 1);
  return std::string(Trim(text));
}

}  // namespace

// One of the five ranked lists: which records pass, their key, and both ways to write a row.
struct HtmlReport::RankedList {
  std::string_view kind;
  std::int32_t length;
  std::int32_t titleId;
  std::string_view fallbackTitle;
  std::vector<Column> columns;
  std::size_t count;
  std::function<std::int64_t(std::size_t)> key;
  std::function<bool(std::size_t)> passes;
  std::function<void(int, std::int64_t)> setLine;
  std::function<std::vector<std::string>(int, std::int64_t)> cells;
};

HtmlReport::HtmlReport(ReportOutput& output, ReportTemplate* pageTemplate, const EchoGroup& group,
                       const LanguageTable& language, const LocalTime& now,
                       const CharsetConverter& toUtf8)
    : output_(output),
      template_(pageTemplate),
      group_(group),
      language_(language),
      now_(now),
      toUtf8_(toUtf8) {}

std::string HtmlReport::Html(std::string_view reportText) const {
  return HtmlEscaped(toUtf8_.Convert(reportText));
}

bool HtmlReport::Render(std::string_view name) {
  if (template_ == nullptr) return false;
  return template_->RenderSection(template_->FindSection(name), output_);
}

const Section* HtmlReport::ListSection(std::string_view name) const {
  return template_ != nullptr ? template_->FindSection(name) : nullptr;
}

std::string HtmlReport::Title(std::int32_t id, std::string_view fallback) const {
  std::string label = Label(language_.LanguageText(id));
  return label.empty() ? std::string(fallback) : Html(label);
}

void HtmlReport::WriteAll(StatTables& tables) {
  WriteHead();
  WriteHeader(tables);
  Render("mainfooter");
  output_.WriteLine("<main>");
  WritePersonLists(tables);
  WriteTopSubjects(tables);
  WriteByDays(tables);
  WriteByDayOfWeek(tables);
  WriteByTime(tables);
  output_.WriteLine("</main>");
  WriteFooter();
}

void HtmlReport::WriteHead() {
  output_.WriteLine("<!DOCTYPE html>");
  output_.WriteLine("<html>");
  output_.WriteLine("<head>");
  output_.WriteLine("<meta charset=\"utf-8\">");
  output_.WriteLine("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
  output_.WriteLine("<meta name=\"color-scheme\" content=\"light dark\">");
  output_.WriteLine("<meta name=\"generator\" content=\"" + Html(kProgramName) + " " +
                    Html(kProgramVersion) + "\">");
  output_.WriteLine("<title>" + Html(group_.description) + " \xC2\xB7 " +
                    Title(kReportTitleText, "Echomail statistics") + "</title>");
  output_.WriteLine("<style>");
  output_.WriteLine(kStyle);
  output_.WriteLine("</style>");
  output_.WriteLine("</head>");
  output_.WriteLine("<body>");
}

void HtmlReport::WriteHeader(const StatTables& tables) {
  if (Render("mainheader")) return;
  output_.WriteLine("<header>");
  output_.WriteLine("<h1>" + Html(group_.description) + "</h1>");
  std::string echoes;
  for (const EchoEntry& echo : group_.echoes) echoes += (echoes.empty() ? "" : ", ") + echo.tag;
  output_.WriteLine("<p class=\"sub\">" + Title(kReportTitleText, "Echomail statistics") + " [" +
                    Html(group_.tagPatterns) + "]" + (echoes.empty() ? "" : ": " + Html(echoes)) +
                    "</p>");
  std::string period;
  if (group_.firstDay && group_.lastDay) {
    const DayStat& first = *group_.firstDay;
    const DayStat& last = *group_.lastDay;
    period = "<time datetime=\"" + IsoDate(first.day, first.month, first.year) + "\">" +
             LongDateText(first.day, first.month, first.year) +
             "</time>\xE2\x80\x93<time datetime=\"" + IsoDate(last.day, last.month, last.year) +
             "\">" + LongDateText(last.day, last.month, last.year) + "</time>";
  } else {
    period = Title(kNoMessagesText, "no messages");
  }
  std::int64_t lines = 0, quoted = 0;
  for (const PersonStat& person : tables.persons) {
    lines += person.lines;
    quoted += person.quoted;
  }
  // Truncated to a tenth like each person's share.
  std::int64_t tenths = lines > 0 ? quoted * 1000 / lines : 0;
  struct Total {
    std::string label;
    std::string value;
    bool wide = false;
  };
  const Total totals[] = {
      {Title(kPeriodText, "Period"), period, true},
      {Title(kMessagesText, "Messages"), Decimal(group_.messageCount)},
      {Title(kPersonsText, "Persons"), Decimal(group_.personCount)},
      {Title(kDaysText, "Days"), Decimal(group_.dayCount)},
      {Title(kMessagesPerDayText, "Messages per day"), Decimal(group_.averagePerDay)},
      {Title(kDeliveryTimeText, "Delivery time, hours"), Decimal(group_.averageDelivery)},
      {"Quoted lines", Percent(tenths)}};
  output_.WriteLine("<dl class=\"totals\">");
  for (const Total& total : totals) {
    output_.WriteLine(std::string(total.wide ? "<div class=\"wide\">" : "<div>") + "<dt>" +
                      total.label + "</dt><dd>" + total.value + "</dd></div>");
  }
  output_.WriteLine("</dl>");
  output_.WriteLine("</header>");
}

void HtmlReport::OpenList(std::string_view kind, std::int32_t titleId, std::string_view fallback,
                          const std::vector<Column>& columns) {
  if (Render(std::string(kind) + "header")) return;
  output_.WriteLine("<section id=\"" + std::string(kind) + "\">");
  output_.WriteLine("<h2>" + Title(titleId, fallback) + "</h2>");
  output_.WriteLine("<div class=\"scroll\"><table>");
  std::string head = "<thead><tr>";
  for (const Column& column : columns) {
    head += column.label == "#" ? "<th scope=\"col\" class=\"n rank\">"
            : column.numeric    ? "<th scope=\"col\" class=\"n\">"
                                : "<th scope=\"col\">";
    head += std::string(column.label) + "</th>";
  }
  output_.WriteLine(head + "</tr></thead>");
  output_.WriteLine("<tbody>");
}

void HtmlReport::CloseList(std::string_view kind) {
  if (Render(std::string(kind) + "footer")) return;
  output_.WriteLine("</tbody>");
  output_.WriteLine("</table></div>");
  output_.WriteLine("</section>");
}

void HtmlReport::WriteRanked(const RankedList& list) {
  OpenList(list.kind, list.titleId, list.fallbackTitle, list.columns);
  const Section* section = ListSection(std::string(list.kind) + "list");
  ForEachRankedRow(list.length, list.count, list.key, list.passes,
                   [&](int index, std::int64_t max) {
                     if (section != nullptr) {
                       list.setLine(index, max);
                       template_->RenderSection(section, output_);
                     } else {
                       output_.WriteLine(Row(list.cells(index, max)));
                     }
                   });
  CloseList(list.kind);
}

void HtmlReport::WritePersonLists(StatTables& tables) {
  std::vector<PersonStat>& persons = tables.persons;
  auto rankAndName = [this, &persons](int i) {
    return std::vector<std::string>{NumberCell(i + 1), Cell(Html(persons[i].name), "name")};
  };
  auto quote = [](const PersonStat& p) { return Cell(Percent(QuoteTenths(p)), "n"); };

  if (group_.byTotal > 0) {
    ResortPersons(persons, PersonOrder::kByTotal);
    WriteRanked(RankedList{
        "bytotal",
        group_.byTotal,
        kByTotalTitleText,
        "Persons by messages written and received",
        {{"#", true},
         {"Name", false},
         {"Address", false},
         {"Written", true},
         {"Received", true},
         {"Total", true},
         {"Bytes", true},
         {"Quoted", true},
         {"", false}},
        persons.size(),
        [&](std::size_t i) { return PersonKey(persons[i], PersonOrder::kByTotal); },
        [&](std::size_t i) { return persons[i].written > 0 || persons[i].received > 0; },
        [&](int i, std::int64_t max) { template_->SetByTotalLine(i, max, persons[i]); },
        [&](int i, std::int64_t max) {
          const PersonStat& p = persons[i];
          std::int64_t total = PersonKey(p, PersonOrder::kByTotal);
          std::vector<std::string> cells = rankAndName(i);
          cells.insert(cells.end(), {Cell(Html(AddressText(p.address)), "n"), NumberCell(p.written),
                                     NumberCell(p.received), NumberCell(total), NumberCell(p.bytes),
                                     quote(p), BarCell(max, total)});
          return cells;
        }});
  }

  struct Counted {
    std::string_view kind;
    std::int32_t length;
    std::int32_t titleId;
    std::string_view fallbackTitle;
    std::string_view countLabel;
    PersonOrder order;
  };
  const Counted countedLists[] = {{"topwriters", group_.byFrom, kTopWritersTitleText, "Top writers",
                                   "Written", PersonOrder::kByWritten},
                                  {"topreaders", group_.byTo, kTopReadersTitleText,
                                   "Top recipients", "Received", PersonOrder::kByReceived}};
  for (const Counted& counted : countedLists) {
    if (counted.length <= 0) continue;
    PersonOrder order = counted.order;
    ResortPersons(persons, order);
    WriteRanked(
        RankedList{counted.kind,
                   counted.length,
                   counted.titleId,
                   counted.fallbackTitle,
                   {{"#", true}, {"Name", false}, {counted.countLabel, true}, {"", false}},
                   persons.size(),
                   [&](std::size_t i) { return PersonKey(persons[i], order); },
                   [&](std::size_t i) { return PersonKey(persons[i], order) > 0; },
                   [&](int i, std::int64_t max) { template_->SetPersonLine(i, max, persons[i]); },
                   [&](int i, std::int64_t max) {
                     std::int64_t value = PersonKey(persons[i], order);
                     std::vector<std::string> cells = rankAndName(i);
                     cells.insert(cells.end(), {NumberCell(value), BarCell(max, value)});
                     return cells;
                   }});
  }

  if (group_.bySize > 0) {
    ResortPersons(persons, PersonOrder::kBySize);
    WriteRanked(RankedList{
        "topsizes",
        group_.bySize,
        kTopSizesTitleText,
        "Top writers by size",
        {{"#", true}, {"Name", false}, {"Bytes", true}, {"Quoted", true}, {"", false}},
        persons.size(),
        [&](std::size_t i) { return static_cast<std::int64_t>(persons[i].bytes); },
        [&](std::size_t i) { return persons[i].bytes > 0; },
        [&](int i, std::int64_t max) { template_->SetSizeLine(i, max, persons[i]); },
        [&](int i, std::int64_t max) {
          const PersonStat& p = persons[i];
          std::vector<std::string> cells = rankAndName(i);
          cells.insert(cells.end(), {NumberCell(p.bytes), quote(p), BarCell(max, p.bytes)});
          return cells;
        }});
  }
}

void HtmlReport::WriteTopSubjects(StatTables& tables) {
  if (group_.bySubjects <= 0) return;
  std::vector<SubjectStat>& subjects = tables.subjects;
  ResortSubjects(subjects);
  // The index into subjects is by position, which the re-sort has just invalidated.
  tables.subjectIndex.clear();
  WriteRanked(RankedList{
      "topsubjects",
      group_.bySubjects,
      kTopSubjectsTitleText,
      "Top subjects",
      {{"#", true}, {"Subject", false}, {"Messages", true}, {"", false}},
      subjects.size(),
      [&](std::size_t i) { return static_cast<std::int64_t>(subjects[i].count); },
      [](std::size_t) { return true; },
      [&](int i, std::int64_t max) { template_->SetSubjectLine(i, max, subjects[i]); },
      [&](int i, std::int64_t max) {
        return std::vector<std::string>{NumberCell(i + 1), Cell(Html(subjects[i].subject), "t"),
                                        NumberCell(subjects[i].count),
                                        BarCell(max, subjects[i].count)};
      }});
}

// Days without messages are rows like the others, through the template's list too: a page
// needs every row in the same markup.
void HtmlReport::WriteByDays(const StatTables& tables) {
  if (!group_.byDays) return;
  OpenList("bydays", kByDaysTitleText, "Messages by day",
           {{"Date", false}, {"Day", false}, {"Messages", true}, {"", false}});
  std::int64_t max = 0;
  for (const DayStat& day : tables.days) max = std::max<std::int64_t>(max, day.count);
  const Section* section = ListSection("bydayslist");
  const std::vector<DayStat> days = PeriodDays(group_.firstDay, group_.lastDay, tables.days);
  for (std::size_t i = 0; i < days.size(); ++i) {
    const DayStat& day = days[i];
    if (section != nullptr) {
      template_->SetDayLine(static_cast<int>(i), max, day);
      template_->RenderSection(section, output_);
      continue;
    }
    output_.WriteLine(Row({DateCell(day.day, day.month, day.year),
                           Cell(DayName(DayOfWeek(day.year, day.month, day.day))),
                           NumberCell(day.count), BarCell(max, day.count)},
                          day.count == 0 ? "none" : ""));
  }
  CloseList("bydays");
}

void HtmlReport::WriteByDayOfWeek(const StatTables& tables) {
  if (!group_.byDayOfWeek) return;
  OpenList("bydayofweek", kByDayOfWeekTitleText, "Messages by day of the week",
           {{"Day", false}, {"Messages", true}, {"", false}});
  std::int64_t max = 0;
  for (std::int32_t count : tables.weekdays) max = std::max<std::int64_t>(max, count);
  const Section* section = ListSection("bydayofweeklist");
  for (int d = 0; d < 7; ++d) {
    std::int64_t count = tables.weekdays[d];
    if (section != nullptr) {
      template_->SetWeekdayLine(d, max, count);
      template_->RenderSection(section, output_);
    } else {
      output_.WriteLine(Row({Cell(DayName(d)), NumberCell(count), BarCell(max, count)},
                            count == 0 ? "none" : ""));
    }
  }
  CloseList("bydayofweek");
}

// Columns as high as the hour's share of the busiest hour, with the counts below.
void HtmlReport::WriteByTime(const StatTables& tables) {
  if (!group_.byTime) return;
  if (!Render("bytimeheader")) {
    output_.WriteLine("<section id=\"bytime\">");
    output_.WriteLine("<h2>" + Title(kByTimeTitleText, "Messages by hour of writing") + "</h2>");
    output_.WriteLine("<div class=\"scroll\">");
  }
  std::int64_t max = 0;
  for (std::int32_t count : tables.hours) max = std::max<std::int64_t>(max, count);
  std::string bars = "<tr><td></td>";
  std::string hours = "<tr><th scope=\"row\">Hour</th>";
  std::string counts = "<tr><th scope=\"row\">Messages</th>";
  for (std::size_t hour = 0; hour < tables.hours.size(); ++hour) {
    std::int64_t count = tables.hours[hour];
    std::string column = "<div class=\"col\">";
    if (max > 0 && count > 0) {
      column += "<span style=\"height:" + Share(max, count) + "%\" title=\"" +
                Decimal(static_cast<std::int64_t>(hour)) + ": " + Decimal(count) + "\"></span>";
    }
    bars += Cell(column + "</div>");
    hours += "<th scope=\"col\">" + Decimal(static_cast<std::int64_t>(hour)) + "</th>";
    counts += NumberCell(count);
  }
  output_.WriteLine("<table class=\"hours\">");
  // A fixed table takes its column widths from here, not from the row labels further down.
  output_.WriteLine("<colgroup><col class=\"label\"><col span=\"24\"></colgroup>");
  output_.WriteLine("<tbody>");
  output_.WriteLine(bars + "</tr>");
  output_.WriteLine(hours + "</tr>");
  output_.WriteLine(counts + "</tr>");
  output_.WriteLine("</tbody>");
  output_.WriteLine("</table>");
  if (!Render("bytimefooter")) {
    output_.WriteLine("</div>");
    output_.WriteLine("</section>");
  }
}

void HtmlReport::WriteFooter() {
  output_.WriteLine("<footer>");
  output_.WriteLine(
      "<p>" + Html(kProgramName) + " " + Html(kProgramVersion) +
      ", echomail statistics for FidoNet-technology networks. Made <time datetime=\"" +
      IsoDate(now_.day, now_.month, now_.year) + "T" + TwoDigits(now_.hour) + ":" +
      TwoDigits(now_.minute) + "\">" + LongDateText(now_.day, now_.month, now_.year) + " " +
      TwoDigits(now_.hour) + ":" + TwoDigits(now_.minute) + "</time>.</p>");
  output_.WriteLine("</footer>");
  output_.WriteLine("</body>");
  output_.WriteLine("</html>");
}

}  // namespace tarnik
