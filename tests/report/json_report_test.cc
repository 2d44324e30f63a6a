#include "report/json_report.h"

#include <gtest/gtest.h>

#include <string>

#include "common/charset.h"
#include "common/console.h"
#include "config/echo_group.h"
#include "core/stat_tables.h"
#include "report/report_output.h"

namespace tarnik {
namespace {

const LocalTime kNow{2001, 3, 7, 9, 5, 3, 0};

PersonStat Person(std::string name, int written, int received, int lines, int quoted,
                  FtnAddress address) {
  PersonStat person;
  person.name = std::move(name);
  person.written = written;
  person.received = received;
  person.bytes = written * 100;
  person.lines = lines;
  person.quoted = quoted;
  person.address = address;
  return person;
}

std::string Document(EchoGroup& group, StatTables& tables) {
  StringConsole console;
  ReportOutput output;
  output.OpenConsole(console);
  output.SetLineEnd("\n");
  CharsetConverter toUtf8("CP866", "UTF-8");
  WriteJsonReport(output, group, tables, kNow, toUtf8);
  output.Close();
  return console.text();
}

TEST(WriteJsonReport, WholeDocument) {
  StatTables tables;
  // Names and subjects are code page 866 bytes; whatever they hold is data.
  tables.persons = {Person("\"><img src=x>", 1, 0, 3, 1, {2, 5020, 1, 0}),
                    Person("@curyear \\ \x01", 0, 2, 0, 0, {}),
                    Person("\x88\xA2\xA0\xAD", 2, 1, 10, 10, {2, 5020, 2, 7})};
  tables.subjects = {{"Misc", 1}, {"<script>alert(1)</script>", 2}};
  tables.days = {{1, 3, 2001, 2}, {3, 3, 2001, 1}};
  tables.hours[0] = 1;
  tables.hours[23] = 2;
  tables.weekdays[4] = 2;
  tables.weekdays[6] = 1;
  EchoGroup group("TEST.*");
  group.echoes.push_back({"TEST.ONE", "S/one"});
  group.echoes.push_back({"TEST.\x92\x82\x8E", "S/two"});
  group.description = "Tests & \"quotes\"";
  group.firstDay = tables.days.front();
  group.lastDay = tables.days.back();
  group.messageCount = 3;
  group.personCount = 3;
  group.dayCount = 3;
  group.averagePerDay = 1;
  group.averageDelivery = 12;
  const std::string expected = R"({
  "version": 1,
  "program": "Tarnik/W32",
  "programVersion": "0.3.4a",
  "generated": "2001-03-07T09:05:03",
  "group": "TEST.*",
  "description": "Tests & \"quotes\"",
  "echoes": [
    "TEST.ONE",
    "TEST.ТВО"
  ],
  "period": {"from": "2001-03-01", "to": "2001-03-03"},
  "totals": {"messages": 3, "persons": 3, "days": 3, "messagesPerDay": 1, "deliveryHours": 12},
  "persons": [
    {"name": "\"><img src=x>", "address": "2:5020/1", "written": 1, "received": 0, "bytes": 100, "lines": 3, "quoted": 1, "quotePercent": 33.3},
    {"name": "@curyear \\ \u0001", "address": null, "written": 0, "received": 2, "bytes": 0, "lines": 0, "quoted": 0, "quotePercent": 0.0},
    {"name": "Иван", "address": "2:5020/2.7", "written": 2, "received": 1, "bytes": 200, "lines": 10, "quoted": 10, "quotePercent": 100.0}
  ],
  "subjects": [
    {"subject": "<script>alert(1)</script>", "messages": 2},
    {"subject": "Misc", "messages": 1}
  ],
  "days": [
    {"date": "2001-03-01", "messages": 2},
    {"date": "2001-03-02", "messages": 0},
    {"date": "2001-03-03", "messages": 1}
  ],
  "weekdays": [
    {"day": "Sun", "messages": 0},
    {"day": "Mon", "messages": 0},
    {"day": "Tue", "messages": 0},
    {"day": "Wed", "messages": 0},
    {"day": "Thu", "messages": 2},
    {"day": "Fri", "messages": 0},
    {"day": "Sat", "messages": 1}
  ],
  "hours": [1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2]
}
)";
  EXPECT_EQ(Document(group, tables), expected);
}

TEST(WriteJsonReport, GroupWithoutMessages) {
  StatTables tables;
  EchoGroup group("EMPTY");
  group.description = "Nothing";
  std::string document = Document(group, tables);
  for (const char* part : {"\"echoes\": [],\n", "\"period\": {\"from\": null, \"to\": null},\n",
                           "\"persons\": [],\n", "\"subjects\": [],\n", "\"days\": [],\n",
                           "\"hours\": [0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "
                           "0, 0, 0, 0, 0]\n}\n"}) {
    EXPECT_NE(document.find(part), std::string::npos) << part << "\n" << document;
  }
}

}  // namespace
}  // namespace tarnik
