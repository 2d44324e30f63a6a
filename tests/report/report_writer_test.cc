#include "report/report_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/charset.h"
#include "common/clock.h"
#include "common/console.h"
#include "common/diagnostics.h"
#include "common/environment.h"
#include "config/echo_group.h"
#include "core/language_table.h"
#include "core/stat_tables.h"
#include "report/report_format.h"
#include "support/stat_builders.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

const LocalTime kNow{2001, 3, 7, 9, 5, 3, 0};

std::string B(int n) { return std::string(n, '\xDC'); }
const std::string kZeroBar = "\xDA";

// Every report text as its number in brackets; the chart cells as single characters, so a
// chart row is one character per hour.
LanguageTable TestLanguage() {
  std::vector<std::pair<std::int32_t, std::string>> entries;
  for (std::int32_t id = 30000; id <= 30062; ++id) {
    entries.emplace_back(id, "[" + std::to_string(id) + "]");
  }
  for (auto& [id, text] : entries) {
    if (id == 30032) text = "|";
    if (id == 30033) text = "+";
    if (id == 30034) text = ".";
    if (id == 30035) text = "#";
    if (id == 30036) text = "-";
  }
  LanguageTable table;
  EXPECT_TRUE(table.Load(EncodeLanguageFile(entries)));
  return table;
}

// Each line followed by CR LF.
std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

using testing::Person;

// A small group: persons in name order with ties in every ranking, subjects in order of
// appearance, a day without messages between two with, two busy hours.
StatTables SampleTables() {
  StatTables tables;
  tables.persons = {Person("Alice", 3, 1, 3000, 10, 2, {2, 5020, 1, 0}),
                    Person("Bob", 1, 3, 500, 4, 0, {2, 5020, 2, 5}),
                    Person("Carol", 0, 2, 0, 0, 0, {}),
                    Person("Dave", 1, 0, 1500, 5, 1, {2, 5020, 3, 0})};
  tables.subjects = {{"Hello", 2}, {"Misc", 1}, {"Zebra", 2}, {std::string(70, 'L'), 1}};
  tables.days = {{1, 3, 2001, 2}, {3, 3, 2001, 3}};
  tables.hours[9] = 2;
  tables.hours[13] = 3;
  tables.weekdays[4] = 2;
  tables.weekdays[6] = 3;
  return tables;
}

void SampleGroup(EchoGroup& group, const StatTables& tables) {
  group.echoes.push_back({"TEST.ECHO", "S/base/test"});
  group.description = "Test echo";
  group.templateName = "Test.Tpl";
  group.firstDay = tables.days.front();
  group.lastDay = tables.days.back();
  group.messageCount = 5;
  group.personCount = 4;
  group.dayCount = 3;
  group.averagePerDay = 1;
  group.averageDelivery = 7;
  group.byTotal = 10;
  group.byFrom = 10;
  group.byTo = 2;
  group.bySize = 10;
  group.bySubjects = 10;
  group.byDays = true;
  group.byDayOfWeek = true;
  group.byTime = true;
}

const std::vector<std::string> kSampleChart = {
    "100+-------------#----------", "|.............#..........",    "|.............#..........",
    "|.............#..........",    "|.............#..........",    " 75+-------------#----------",
    "|.............#..........",    "|.........#...#..........",    "|.........#...#..........",
    "|.........#...#..........",    " 50+---------#---#----------", "|.........#...#..........",
    "|.........#...#..........",    "|.........#...#..........",    "|.........#...#..........",
    " 25+---------#---#----------", "|.........#...#..........",    "|.........#...#..........",
    "|.........#...#..........",    "|.........#...#.........."};

const std::string kClosing =
    "\r\n// Tarnik/W32 ver.0.3.4a. Echomail statistics for FidoNet-technology networks.\r\n";

std::string BuiltInSampleReport() {
  std::vector<std::string> lines = {
      "[30050] [TEST.*] \"Test echo\"",
      "",
      "[30000]",
      "[30001]",
      "[30002]",
      "[30051]01.03.2001-03.03.2001",
      "[30053]5",
      "[30054]4",
      "[30055]3",
      "[30056]1",
      "[30057]7",
      "",
      "[30003]",
      "[30004]",
      "[30005]",
      "[30006]",
      // Alice and Bob tie on the total: they come out reversed.
      "  1 Bob (2:5020/2.5)                          1      3       4      500 00.0%",
      "  2 Alice (2:5020/1)                          3      1       4     3000 20.0%",
      "  3 Carol ()                                  0      2       2        0 00.0%",
      "  4 Dave (2:5020/3)                           1      0       1     1500 20.0%",
      "",
      "[30007]",
      "[30008]",
      "[30009]",
      "[30010]",
      // Bob came before Dave in the by-total order, so the tie on written reverses them.
      "  1 Alice                        3 " + B(42),
      "  2 Dave                         1 " + B(14),
      "  3 Bob                          1 " + B(14),
      "",
      "[30011]",
      "[30012]",
      "[30013]",
      "[30014]",
      "  1 Bob                          3 " + B(42),
      "  2 Carol                        2 " + B(28),
      "",
      "[30015]",
      "[30016]",
      "[30017]",
      "[30018]",
      "  1 Alice                       3000 20.0% " + B(34),
      "  2 Dave                        1500 20.0% " + B(17),
      "  3 Bob                          500 00.0% " + B(5),
      "",
      "[30019]",
      "[30020]",
      "[30021]",
      "[30022]",
      "  1 Zebra                                                             2",
      "  2 Hello                                                             2",
      "  3 Misc                                                              1",
      "  4 " + std::string(70, 'L') + " 1",
      "",
      "[30023]",
      "[30024]",
      "[30025]",
      "[30026]",
      " 01.03.01   2 \xB3" + B(41),
      " 02.03.01   0 \xB3",
      " 03.03.01   3 \xB3" + B(62),
      "[30027]",
      "",
      "[30039]",
      "[30040]",
      "[30041]",
      "[30042]",
      "  Sun     0 \xB3" + kZeroBar,
      "  Mon     0 \xB3" + kZeroBar,
      "  Tue     0 \xB3" + kZeroBar,
      "  Wed     0 \xB3" + kZeroBar,
      "  Thu     2 \xB3" + B(41),
      "  Fri     0 \xB3" + kZeroBar,
      "  Sat     3 \xB3" + B(62),
      "[30043]",
      "",
      "[30028]",
      "[30029]",
      "[30030]",
      "[30031]",
  };
  lines.insert(lines.end(), kSampleChart.begin(), kSampleChart.end());
  lines.push_back("[30037]");
  lines.push_back("[30038]");
  return Lines(lines) + kClosing;
}

// What a report writer is given, each console kept for the test to read.
struct Rig {
  LanguageTable language = TestLanguage();
  StringConsole console;
  StringConsole errors;
  Diagnostics diagnostics{errors};
  FixedClock clock{kNow};
  MapEnvironment environment;

  // Reports without a file go with the console texts.
  Services services() { return Services{console, clock, environment, diagnostics}; }
  // A quiet run's: reports without a file go to reportConsole.
  Services services(Console& reportConsole) {
    return Services{console, clock, environment, diagnostics, reportConsole};
  }
};

// Writes the report of group to the console and gives console text and report together.
std::string WriteToConsole(EchoGroup& group, StatTables& tables, const std::string& templatePath,
                           std::size_t bufferSize = kReportBufferSize,
                           const ReportCharset& charset = ReportCharset{}) {
  Rig rig;
  {
    ReportWriter writer(templatePath, group, rig.language, rig.services(), charset, bufferSize);
    EXPECT_TRUE(writer.IsOpen());
    writer.WriteAll(tables);
  }
  return rig.console.text();
}

const std::string kMissingTemplate =
    "done.\r\nUnable to open template file ~Test.Tpl~. Using default templates... ";

TEST(ReportWriter, BuiltInLayoutWithoutTemplate) {
  testing::TempDir dir;
  StatTables tables = SampleTables();
  EchoGroup group("test.*");
  SampleGroup(group, tables);
  EXPECT_EQ(WriteToConsole(group, tables, dir.path()), kMissingTemplate + BuiltInSampleReport());
  // The written day records are gone; persons are left in the last list's order.
  EXPECT_TRUE(tables.days.empty());
  EXPECT_EQ(tables.persons.front().name, "Alice");
}

TEST(ReportWriter, OutputDoesNotDependOnTheBufferSize) {
  testing::TempDir dir;
  StatTables tables = SampleTables();
  EchoGroup group("test.*");
  SampleGroup(group, tables);
  EXPECT_EQ(WriteToConsole(group, tables, dir.path(), 3), kMissingTemplate + BuiltInSampleReport());
}

TEST(ReportWriter, ReportFileIsCreatedOrTruncated) {
  testing::TempDir dir;
  dir.Write("report.txt", std::string(100000, 'x'));
  StatTables tables = SampleTables();
  EchoGroup group("test.*");
  SampleGroup(group, tables);
  group.outputName = "report.txt";
  EXPECT_EQ(WriteToConsole(group, tables, dir.path()), kMissingTemplate);
  EXPECT_EQ(dir.Read("report.txt"), BuiltInSampleReport());
}

TEST(ReportWriter, UncreatableOutputSkipsTheGroup) {
  testing::TempDir dir;
  StatTables tables = SampleTables();
  EchoGroup group("test.*");
  SampleGroup(group, tables);
  group.outputName = "no/such/dir/report.txt";
  Rig rig;
  {
    ReportWriter writer(dir.path(), group, rig.language, rig.services());
    EXPECT_FALSE(writer.IsOpen());
    writer.WriteAll(tables);
  }
  EXPECT_EQ(rig.console.text(),
            "fault: unable to create report file ~no/such/dir/report.txt~.\r\n");
  EXPECT_EQ(rig.errors.text(),
            "tarnik: no/such/dir/report.txt: cannot create the report file: No such file or "
            "directory; no report for group \"" +
                group.description + "\"\n");
  EXPECT_EQ(tables.days.size(), 2u);
}

// Splits report text into its lines (CR LF removed).
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

TEST(ReportWriter, Utf8ColumnsLineUpForCyrillicAndCjkNames) {
  testing::TempDir dir;
  const std::string ivan =
      "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD \xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2";
  // Twelve wide characters: 24 columns, one more than the name column holds.
  std::string cjk;
  for (int i = 0; i < 12; ++i) cjk += "\xE6\x97\xA5";
  StatTables tables;
  tables.persons = {Person("Alice", 4, 0, 400, 4, 0, {2, 5020, 1, 0}),
                    Person(ivan.c_str(), 3, 0, 300, 3, 0, {2, 5020, 2, 0}),
                    Person(cjk.c_str(), 2, 0, 200, 2, 0, {2, 5020, 3, 0}),
                    Person("e\xCC\x81tienne", 1, 0, 100, 1, 0, {2, 5020, 4, 0})};
  tables.subjects = {{ivan, 2}, {cjk, 1}, {"plain", 1}};
  EchoGroup group("test.*");
  group.echoes.push_back({"TEST.ECHO", "S/base/test"});
  group.templateName = "Test.Tpl";
  group.byTotal = 10;
  group.byFrom = 10;
  group.bySize = 10;
  group.bySubjects = 10;
  const std::string report =
      WriteToConsole(group, tables, dir.path(), kReportBufferSize, ReportCharsetOf("UTF-8"))
          .substr(kMissingTemplate.size());
  EXPECT_TRUE(IsValidUtf8(report));
  // Each list line: the column where the figures after the name start, per list, and the
  // figures found there.
  struct List {
    std::string firstHeader;
    std::size_t figuresColumn;
    std::vector<std::string> figures;
  } lists[] = {
      {"[30003]", 3 + 1 + 36 + 1, {"     4", "     3", "     2", "     1"}},
      {"[30007]", 3 + 1 + 23 + 1, {"     4 ", "     3 ", "     2 ", "     1 "}},
      {"[30015]", 3 + 1 + 23 + 1, {"     400 ", "     300 ", "     200 ", "     100 "}},
  };
  const std::vector<std::string> lines = SplitLines(report);
  for (const List& list : lists) {
    SCOPED_TRACE(list.firstHeader);
    auto header = std::find(lines.begin(), lines.end(), list.firstHeader);
    ASSERT_NE(header, lines.end());
    for (std::size_t i = 0; i < list.figures.size(); ++i) {
      const std::string& line = *(header + 4 + static_cast<std::ptrdiff_t>(i));
      SCOPED_TRACE(line);
      const std::size_t at = PrefixBytes(line, list.figuresColumn, TextMeasure::kUtf8);
      EXPECT_EQ(TextWidth(line.substr(0, at), TextMeasure::kUtf8), list.figuresColumn);
      EXPECT_EQ(line.substr(at, list.figures[i].size()), list.figures[i]);
      EXPECT_EQ(line.substr(0, 4), "  " + std::to_string(i + 1) + " ");
    }
  }
  // Subjects are filled to 65 columns and not cut.
  auto subjects = std::find(lines.begin(), lines.end(), "[30019]");
  ASSERT_NE(subjects, lines.end());
  EXPECT_EQ(*(subjects + 4), "  1 " + ivan + std::string(65 - 11, ' ') + " 2");
  EXPECT_EQ(*(subjects + 5), "  2 " + cjk + std::string(65 - 24, ' ') + " 1");
  // The wide name is cut to 22 columns and a blank, never through a character.
  auto writers = std::find(lines.begin(), lines.end(), "[30007]");
  EXPECT_EQ((writers + 6)->substr(0, 4 + 33 + 1), "  3 " + cjk.substr(0, 33) + " ");
  // Bars are the block character, a full one for the first writer.
  EXPECT_NE((writers + 4)->find("\xE2\x96\x84\xE2\x96\x84"), std::string::npos);
}

// A full disk loses the report: the writer says so instead of leaving a cut file unnoticed.
TEST(ReportWriter, AWriteThatFailsIsTold) {
  testing::TempDir dir;
  dir.Write("t.tpl", "");
  StatTables tables = SampleTables();
  EchoGroup group("test.*");
  SampleGroup(group, tables);
  group.templateName = "t.tpl";
  group.outputName = "/dev/full";
  Rig rig;
  {
    ReportWriter writer(dir.path(), group, rig.language, rig.services());
    ASSERT_TRUE(writer.IsOpen());
    writer.WriteAll(tables);
  }
  // The console does not say "done." for it: a fault line, as when the file cannot be made.
  EXPECT_EQ(rig.console.text(), "fault: unable to write report file ~/dev/full~.\r\n");
  EXPECT_EQ(rig.errors.text(),
            "tarnik: /dev/full: cannot write the report file: No space left on device\n");
}

// Without an output file the report goes to the report console, which a quiet run keeps
// apart from the console texts; a missing template is told with its full path.
TEST(ReportWriter, ReportWithoutAFileGoesToTheReportConsole) {
  testing::TempDir dir;
  StatTables tables = SampleTables();
  EchoGroup group("test.*");
  SampleGroup(group, tables);
  group.templateName = "none.tpl";
  Rig rig;
  StringConsole reports;
  {
    ReportWriter writer(dir.path(), group, rig.language, rig.services(reports));
    writer.WriteAll(tables);
  }
  EXPECT_EQ(rig.console.text(),
            "done.\r\nUnable to open template file ~none.tpl~. Using default templates... ");
  EXPECT_EQ(reports.text(), BuiltInSampleReport());
  EXPECT_EQ(rig.errors.text(), "tarnik: " + dir.File("none.tpl") +
                                   ": cannot open the template: No such file or directory; the "
                                   "built-in layout is used\n");
}

TEST(ReportWriter, CapturedTextIsTheReportAndCloseTellsWhetherItWasWritten) {
  struct Case {
    std::string outputName;  // empty: standard output
    bool written;
  };
  const Case cases[] = {{"", true}, {"report.txt", true}, {"/dev/full", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.outputName);
    testing::TempDir dir;
    StatTables tables = SampleTables();
    EchoGroup group("test.*");
    SampleGroup(group, tables);
    group.outputName = c.outputName;
    Rig rig;
    std::string copy;
    // A small buffer, so the copy is made of several pieces.
    ReportWriter writer(dir.path(), group, rig.language, rig.services(), ReportCharset{}, 100);
    if (!writer.IsOpen()) GTEST_SKIP() << "cannot open " << c.outputName;
    writer.CaptureText(copy);
    writer.WriteAll(tables);
    EXPECT_EQ(writer.Close(), c.written);
    EXPECT_EQ(copy, BuiltInSampleReport());
    if (c.outputName == "report.txt") {
      EXPECT_EQ(dir.Read("report.txt"), copy);
    }
  }
}

constexpr std::string_view kFullTemplate =
    "; every list section of the report\r\n"
    "#define mainheader\r\n"
    "@assign @statdate\r\n"
    "@assign @ticks\r\n"
    "== @program @version: @description (@echo) "
    "@statfromday.@statfrommonth.@statfromyear-@stattoday.@stattomonth.@stattoyear\r\n"
    "msgs=@messages users=@totalusers days=@days avg=@averagemessages "
    "deliv=@averagedeliveringtime at @curday.@curmonth.@curyear @curhour:@curmin\r\n"
    "#end\r\n"
    "#define mainfooter\r\n--\r\n#end\r\n"
    "#define bytotallist\r\n"
    "@assign @linelength 10\r\n"
    "@num @username <@useraddress> @usermessagesfrom/@usermessagesto/@usertotalmessages "
    "@usersize @userquote @linebytotal\r\n"
    "#end\r\n"
    "#define bytotalfooter\r\nend of bytotal\r\n#end\r\n"
    "#define topwritersheader\r\nWriters:\r\n#end\r\n"
    "#define topwriterslist\r\n"
    "@assign @linelength 6\r\n"
    "@num @username @usermessagesfrom [@linefrom] [@lineto]\r\n"
    "#end\r\n"
    "#define topreaderslist\r\n"
    "@addf @ticks r\r\n"
    "@num @username @usermessagesto [@linefrom] [@lineto]\r\n"
    "#end\r\n"
    "#define topsizeslist\r\n"
    "@rightpad @username 8\r\n"
    "@num @username| @usersize @userquote @linesize\r\n"
    "#end\r\n"
    "#define topsubjectsheader\r\nticks=@ticks\r\n#end\r\n"
    "#define topsubjectslist\r\n@num @subjectline=@subjecttotal\r\n#end\r\n"
    "#define bydayslist\r\n"
    "@assign @linelength 4\r\n"
    "@num @statdate @statdateday/@statdatemonth/@statdateyear @datemessages @lineday\r\n"
    "#end\r\n"
    "#define bydayofweeklist\r\n@num @dayofweek @dowmsgs @linedow\r\n#end\r\n"
    "#define bytimeheader\r\nHours:\r\n#end\r\n"
    "#define bytimefooter\r\n@nothing\r\n#end\r\n";

TEST(ReportWriter, TemplateWithEveryListSection) {
  testing::TempDir dir;
  dir.Write("tpl/Test.Tpl", kFullTemplate);
  StatTables tables = SampleTables();
  EchoGroup group("test.*");
  SampleGroup(group, tables);
  std::vector<std::string> lines = {
      "== Tarnik/W32 0.3.4a: Test echo (TEST.ECHO) 01.03.2001-03.03.2001",
      "msgs=5 users=4 days=3 avg=1 deliv=7 at 07.03.2001 09:05",
      "--",
      "",
      "[30003]",
      "[30004]",
      "[30005]",
      "[30006]",
      "1 Bob <2:5020/2.5> 1/3/4 500 00.0% " + B(10),
      "2 Alice <2:5020/1> 3/1/4 3000 20.0% " + B(10),
      "3 Carol <> 0/2/2 0 00.0% " + B(5),
      "4 Dave <2:5020/3> 1/0/1 1500 20.0% " + B(2),
      "end of bytotal",
      "",
      "Writers:",
      // @linefrom has the length the writers section assigns, @lineto the default 42; both
      // are drawn against the top written count.
      "1 Alice 3 [" + B(6) + "] [" + B(14) + "]",
      "2 Dave 1 [" + B(2) + "] [" + kZeroBar + "]",
      "3 Bob 1 [" + B(2) + "] [" + B(42) + "]",
      "",
      "[30011]",
      "[30012]",
      "[30013]",
      "[30014]",
      "1 Bob 3 [" + B(2) + "] [" + B(42) + "]",
      "2 Carol 2 [" + kZeroBar + "] [" + B(28) + "]",
      "",
      "[30015]",
      "[30016]",
      "[30017]",
      "[30018]",
      "1 Alice   | 3000 20.0% " + B(34),
      "2 Dave    | 1500 20.0% " + B(17),
      "3 Bob     | 500 00.0% " + B(5),
      "",
      // The readers section ran once per writer and twice per reader.
      "ticks=rrrrrrr",
      "1 Zebra=2",
      "2 Hello=2",
      "3 Misc=1",
      "4 " + std::string(70, 'L') + "=1",
      "",
      "[30023]",
      "[30024]",
      "[30025]",
      "[30026]",
      "1 01.03.01 01/03/01 2 " + B(2),
      " 02.03.01   0 \xB3",
      "3 03.03.01 03/03/01 3 " + B(4),
      "[30027]",
      "",
      "[30039]",
      "[30040]",
      "[30041]",
      "[30042]",
      "1 Sun 0 " + kZeroBar,
      "2 Mon 0 " + kZeroBar,
      "3 Tue 0 " + kZeroBar,
      "4 Wed 0 " + kZeroBar,
      "5 Thu 2 " + B(42),
      "6 Fri 0 " + kZeroBar,
      "7 Sat 3 " + B(64),
      "[30043]",
      "",
      "Hours:",
  };
  lines.insert(lines.end(), kSampleChart.begin(), kSampleChart.end());
  EXPECT_EQ(WriteToConsole(group, tables, dir.path() + "tpl/"), Lines(lines) + kClosing);
}

TEST(ReportWriter, TemplateWithOnlyAMainHeader) {
  testing::TempDir dir;
  dir.Write("Test.Tpl", "#define MAINHEADER\nTitle @description\n#end\n");
  StatTables tables = SampleTables();
  EchoGroup group("test.*");
  SampleGroup(group, tables);
  group.byFrom = 10;
  group.byTotal = group.byTo = group.bySize = group.bySubjects = 0;
  group.byDays = group.byDayOfWeek = group.byTime = false;
  std::vector<std::string> lines = {"Title Test echo",
                                    "",
                                    "[30007]",
                                    "[30008]",
                                    "[30009]",
                                    "[30010]",
                                    "  1 Alice                        3 " + B(42),
                                    "  2 Dave                         1 " + B(14),
                                    "  3 Bob                          1 " + B(14)};
  EXPECT_EQ(WriteToConsole(group, tables, dir.path()), Lines(lines) + kClosing);
}

TEST(ReportWriter, GroupWithoutDays) {
  testing::TempDir dir;
  StatTables tables;
  EchoGroup group("*");
  group.templateName = "Test.Tpl";
  group.description = "Empty";
  group.byDays = true;
  group.byFrom = 5;
  std::vector<std::string> lines = {"[30050] [*] \"Empty\"",
                                    "",
                                    "[30000]",
                                    "[30001]",
                                    "[30002]",
                                    "[30051][30052]",
                                    "[30053]0",
                                    "[30054]0",
                                    "[30055]0",
                                    "[30056]0",
                                    "[30057]0",
                                    "",
                                    "[30007]",
                                    "[30008]",
                                    "[30009]",
                                    "[30010]",
                                    "",
                                    "[30023]",
                                    "[30024]",
                                    "[30025]",
                                    "[30026]",
                                    "[30027]"};
  EXPECT_EQ(WriteToConsole(group, tables, dir.path()), kMissingTemplate + Lines(lines) + kClosing);
}

// Only the hour chart: the group's other sections are off.
std::string HourChart(const std::array<std::int32_t, 24>& hours) {
  testing::TempDir dir;
  dir.Write("Test.Tpl", "#define mainheader\n@nothing\n#end\n");
  StatTables tables;
  tables.hours = hours;
  EchoGroup group("*");
  group.templateName = "Test.Tpl";
  group.byTime = true;
  std::string report = WriteToConsole(group, tables, dir.path());
  // Drop the empty line and header before the chart and the footer and closing after it.
  std::string header = Lines({"", "[30028]", "[30029]", "[30030]", "[30031]"});
  std::string footer = Lines({"[30037]", "[30038]"}) + kClosing;
  EXPECT_EQ(report.substr(0, header.size()), header);
  EXPECT_GE(report.size(), header.size() + footer.size());
  EXPECT_EQ(report.substr(report.size() - footer.size()), footer);
  return report.substr(header.size(), report.size() - header.size() - footer.size());
}

TEST(ReportWriter, HourChart) {
  std::array<std::int32_t, 24> zero{};
  std::vector<std::string> empty;
  for (int row = 20; row >= 1; --row) {
    std::string label = row == 20 ? "100+" : row == 15 ? " 75+" : row == 10 ? " 50+" : " 25+";
    empty.push_back((row % 5 == 0 ? label : "|") + std::string(24, '.'));
  }
  EXPECT_EQ(HourChart(zero), Lines(empty));

  std::array<std::int32_t, 24> single{};
  single[13] = 1;
  std::vector<std::string> one;
  for (int row = 20; row >= 1; --row) {
    std::string label = row == 20 ? "100+" : row == 15 ? " 75+" : row == 10 ? " 50+" : " 25+";
    std::string cells = row % 5 == 0 ? std::string(24, '-') : std::string(24, '.');
    cells[13] = '#';
    one.push_back((row % 5 == 0 ? label : "|") + cells);
  }
  EXPECT_EQ(HourChart(single), Lines(one));

  // Halves round up: 1 of 8 is 2.5 rows, 3 of 8 is 7.5.
  std::array<std::int32_t, 24> halves{};
  halves[0] = 8;
  halves[1] = 1;
  halves[2] = 3;
  std::string chart = HourChart(halves);
  std::vector<std::string> rows;
  for (std::size_t start = 0; start < chart.size(); start = chart.find("\r\n", start) + 2) {
    rows.push_back(chart.substr(start, chart.find("\r\n", start) - start));
  }
  ASSERT_EQ(rows.size(), 20u);
  EXPECT_EQ(rows[17].substr(1, 3), "###");  // row 3: 2.5 rounds to 3
  EXPECT_EQ(rows[16].substr(1, 3), "#.#");  // row 4
  EXPECT_EQ(rows[12].substr(1, 3), "#.#");  // row 8
  EXPECT_EQ(rows[11].substr(1, 3), "#..");  // row 9
}

TEST(ReportWriter, SwitchedOffSectionsWriteNothing) {
  testing::TempDir dir;
  StatTables tables = SampleTables();
  EchoGroup group("test.*");
  SampleGroup(group, tables);
  group.byTotal = 0;
  group.byFrom = -1;
  group.byTo = group.bySize = group.bySubjects = 0;
  group.byDays = group.byDayOfWeek = group.byTime = false;
  std::string report = WriteToConsole(group, tables, dir.path());
  EXPECT_EQ(report, kMissingTemplate +
                        Lines({"[30050] [TEST.*] \"Test echo\"", "", "[30000]", "[30001]",
                               "[30002]", "[30051]01.03.2001-03.03.2001", "[30053]5", "[30054]4",
                               "[30055]3", "[30056]1", "[30057]7"}) +
                        kClosing);
  // Nothing was re-sorted.
  EXPECT_EQ(tables.persons.front().name, "Alice");
  EXPECT_EQ(tables.subjects.front().subject, "Hello");
}

// Whoever posts in an echo chooses names and subjects: a variable name in them is printed as
// it is, while what the template assigns from them still expands.
TEST(ReportWriter, MessageDataIsNotTemplateCode) {
  testing::TempDir dir;
  dir.Write("Test.Tpl",
            "#define mainheader\n[@description] [@echo] @messages\n#end\n"
            "#define topwriterslist\n"
            "@assign @t_who @username\n"
            "@rightpad @t_who 18\n"
            "@num @username|[@t_who] @curyear\n"
            "#end\n"
            "#define topsubjectslist\n@num @subjectline (@subjecttotal)\n#end\n");
  StatTables tables;
  tables.persons = {Person("@curyear", 2, 0, 10, 1, 0, {2, 5020, 1, 0}),
                    Person("Loop @username!", 1, 0, 10, 1, 0, {2, 5020, 2, 0})};
  tables.subjects = {{"@totalusers persons here", 3}};
  EchoGroup group("*");
  group.echoes.push_back({"@TOTALUSERS", "S/base/test"});
  group.description = "@messages of @program";
  group.templateName = "Test.Tpl";
  group.messageCount = 3;
  group.personCount = 2;
  group.byFrom = 10;
  group.bySubjects = 10;
  EXPECT_EQ(WriteToConsole(group, tables, dir.path()),
            Lines({"[@messages of @program] [@TOTALUSERS] 3", "", "[30007]", "[30008]", "[30009]",
                   "[30010]", "1 @curyear|[@curyear          ] 2001",
                   "2 Loop @username!|[Loop @username!   ] 2001", "", "[30019]", "[30020]",
                   "[30021]", "[30022]", "1 @totalusers persons here (3)"}) +
                kClosing);
}

TEST(ReportWriter, JsonGroupTakesNoTemplate) {
  testing::TempDir dir;
  dir.Write("Test.Tpl", "#define mainheader\nfrom the template\n#end\n");
  StatTables tables = SampleTables();
  EchoGroup group("test.*");
  SampleGroup(group, tables);
  group.format = ReportFormat::kJson;
  group.outputName = "stats.json";
  EXPECT_EQ(WriteToConsole(group, tables, dir.path()), "");
  std::string document = dir.Read("stats.json");
  EXPECT_EQ(document.substr(0, 18), "{\n  \"version\": 1,\n");
  EXPECT_EQ(document.find("template"), std::string::npos);
  EXPECT_EQ(document.find('\r'), std::string::npos);
  EXPECT_NE(document.find("\"totals\": {\"messages\": 5, \"persons\": 4, \"days\": 3, "
                          "\"messagesPerDay\": 1, \"deliveryHours\": 7},\n"),
            std::string::npos)
      << document;
  EXPECT_EQ(document.substr(document.size() - 2), "}\n");
}

// The template we ship: every section it defines is used, and no line is left with a
// variable name in it (a name of its own that contains another would show up here).
TEST(ReportWriter, ShippedDefaultTemplate) {
  testing::TempDir dir;
  StatTables tables = SampleTables();
  EchoGroup group("test.*");
  SampleGroup(group, tables);
  group.templateName = "Default.Tpl";
  std::string report =
      WriteToConsole(group, tables, std::string(TARNIK_SOURCE_DIR) + "/data/templates/");
  EXPECT_EQ(report.find('@'), std::string::npos) << report;
  EXPECT_EQ(report.find("[300"), report.find("[30037]")) << "only the chart axis is built in";
  std::size_t start = 0;
  while (start < report.size()) {
    std::size_t end = report.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_LE(end - start, 79u) << report.substr(start, end - start);
    start = end + 2;
  }
  EXPECT_NE(report.find("   1 " + std::string("Alice") + std::string(23, ' ') + "      3  60% " +
                        B(33) + "\r\n"),
            std::string::npos)
      << report;
}

}  // namespace
}  // namespace tarnik
