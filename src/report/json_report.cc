#include "report/json_report.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "common/charset.h"
#include "common/text.h"
#include "config/echo_group.h"
#include "core/program_info.h"
#include "core/stat_tables.h"
#include "report/report_format.h"
#include "report/report_output.h"
#include "report/web_text.h"

namespace tarnik {
namespace {

using Members = std::initializer_list<std::pair<std::string_view, std::string>>;

std::string Date(std::int32_t day, std::int32_t month, std::int32_t year) {
  return JsonString(IsoDate(day, month, year));
}

std::string Date(const std::optional<DayStat>& day) {
  return day ? Date(day->day, day->month, day->year) : "null";
}

// An object on one line: {"a": 1, "b": 2}.
std::string Object(Members members) {
  std::string text = "{";
  for (const auto& [name, value] : members) {
    if (text.size() > 1) text += ", ";
    text += JsonString(name) + ": " + value;
  }
  return text + "}";
}

// A tenth-of-a-percent share as a JSON number: 6.7, 100.0.
std::string Percent(std::int64_t tenths) {
  return Decimal(tenths / 10) + "." + Decimal(tenths % 10);
}

std::string TimeStamp(const LocalTime& now) {
  return IsoDate(now.day, now.month, now.year) + "T" + TwoDigits(now.hour) + ":" +
         TwoDigits(now.minute) + ":" + TwoDigits(now.second);
}

// The document's members, one a line; every member but the last is followed by a comma.
class DocumentWriter {
 public:
  explicit DocumentWriter(ReportOutput& output) : output_(output) { output_.Write("{"); }
  void Finish() { output_.WriteLine("\n}"); }

  void Member(std::string_view name, std::string_view value) {
    Start(name);
    output_.Write(value);
  }

  // An array of one element a line.
  template <typename Items, typename Element>
  void Array(std::string_view name, const Items& items, Element element) {
    Start(name);
    output_.Write("[");
    bool first = true;
    for (const auto& item : items) {
      output_.Write(first ? "\n    " : ",\n    ");
      output_.Write(element(item));
      first = false;
    }
    output_.Write(first ? "]" : "\n  ]");
  }

 private:
  void Start(std::string_view name) {
    output_.Write(started_ ? ",\n  " : "\n  ");
    output_.Write(JsonString(name) + ": ");
    started_ = true;
  }

  ReportOutput& output_;
  bool started_ = false;
};

}  // namespace

void WriteJsonReport(ReportOutput& output, const EchoGroup& group, StatTables& tables,
                     const LocalTime& now, const CharsetConverter& toUtf8) {
  auto Text = [&toUtf8](std::string_view reportText) {
    return JsonString(toUtf8.Convert(reportText));
  };
  ResortSubjects(tables.subjects);
  // The index into subjects is by position, which the re-sort has just invalidated.
  tables.subjectIndex.clear();
  const std::vector<DayStat> days = PeriodDays(group.firstDay, group.lastDay, tables.days);

  DocumentWriter document(output);
  document.Member("version", Decimal(kJsonReportVersion));
  document.Member("program", JsonString(kProgramName));
  document.Member("programVersion", JsonString(kProgramVersion));
  document.Member("generated", JsonString(TimeStamp(now)));
  document.Member("group", Text(group.tagPatterns));
  document.Member("description", Text(group.description));
  document.Array("echoes", group.echoes, [&Text](const EchoEntry& echo) { return Text(echo.tag); });
  document.Member("period", Object({{"from", Date(group.firstDay)}, {"to", Date(group.lastDay)}}));
  document.Member("totals", Object({{"messages", Decimal(group.messageCount)},
                                    {"persons", Decimal(group.personCount)},
                                    {"days", Decimal(group.dayCount)},
                                    {"messagesPerDay", Decimal(group.averagePerDay)},
                                    {"deliveryHours", Decimal(group.averageDelivery)}}));
  document.Array("persons", tables.persons, [&Text](const PersonStat& person) {
    std::string address = AddressText(person.address);
    return Object({{"name", Text(person.name)},
                   {"address", address.empty() ? "null" : JsonString(address)},
                   {"written", Decimal(person.written)},
                   {"received", Decimal(person.received)},
                   {"bytes", Decimal(person.bytes)},
                   {"lines", Decimal(person.lines)},
                   {"quoted", Decimal(person.quoted)},
                   {"quotePercent", Percent(QuoteTenths(person))}});
  });
  document.Array("subjects", tables.subjects, [&Text](const SubjectStat& subject) {
    return Object({{"subject", Text(subject.subject)}, {"messages", Decimal(subject.count)}});
  });
  document.Array("days", days, [](const DayStat& day) {
    return Object({{"date", Date(day.day, day.month, day.year)}, {"messages", Decimal(day.count)}});
  });
  int weekday = 0;
  document.Array("weekdays", tables.weekdays, [&weekday](std::int32_t count) {
    return Object({{"day", JsonString(DayName(weekday++))}, {"messages", Decimal(count)}});
  });
  std::string hours;
  for (std::int32_t count : tables.hours) hours += (hours.empty() ? "" : ", ") + Decimal(count);
  document.Member("hours", "[" + hours + "]");
  document.Finish();
}

}  // namespace tarnik
