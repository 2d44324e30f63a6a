#include "scan/echo_scan.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/bytes.h"
#include "common/charset.h"
#include "common/clock.h"
#include "common/console.h"
#include "common/diagnostics.h"
#include "common/environment.h"
#include "core/language_table.h"
#include "msgbase/jam_format.h"
#include "msgbase/msg_format.h"
#include "msgbase/squish_format.h"
#include "scan/message_analysis.h"
#include "scan/message_charsets.h"
#include "scan/spinner.h"
#include "support/base_builder.h"
#include "support/purging_disk.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::At;
using testing::TestMessage;

const std::string kMsgid = "\x01MSGID: ";

struct Scanner {
  LanguageTable language;
  StringConsole console;
  StringConsole errors;
  Diagnostics diagnostics{errors};
  FixedClock clock{LocalTime{2024, 3, 10, 15, 0, 0, 0}};
  MapEnvironment environment;
  StatTables tables;
  GroupScanState state;
  std::vector<DataEntry> dataEntries;
  std::unique_ptr<MessageCharsets> charsets;
  GroupScan scan{tables, state, dataEntries, language,
                 Services{console, clock, environment, diagnostics}};

  Scanner() { language.Load(EncodeLanguageFile({{30048, "cannot open"}, {30049, "no base"}})); }
  Scanner(const Scanner&) = delete;
  Scanner& operator=(const Scanner&) = delete;
  // Converts names and subjects into output, reading messages without a kludge as fallback.
  void UseCharsets(std::string_view output, std::string_view fallback) {
    charsets = std::make_unique<MessageCharsets>(output, fallback, diagnostics);
    scan.charsets = charsets.get();
  }
  void Scan(const EchoEntry& echo, EchoGroup& group, ScanThreads threads = ScanThreads::kAuto) {
    scan.threads = threads;
    ScanEcho(echo, group, scan);
  }
};

std::string Persons(StatTables& tables) {
  SortPersonsByName(tables);
  std::string out;
  for (const PersonStat& p : tables.persons) {
    out += "[" + p.name + "] w" + std::to_string(p.written) + " r" + std::to_string(p.received) +
           " b" + std::to_string(p.bytes) + " l" + std::to_string(p.lines) + " q" +
           std::to_string(p.quoted) + " " + FormatAddress(p.address) + "\n";
  }
  return out;
}

TEST(ScanEcho, CountsWritersRecipientsSubjectsAndLines) {
  testing::TempDir dir;
  TestMessage a;
  a.from = "John Doe";
  a.to = "All";
  a.subject = "Re: Routing";
  a.written = At(2024, 3, 1, 13);
  a.arrived = At(2024, 3, 1, 16);
  a.lines = {kMsgid + "2:5020/9999.12 1234abcd",
             "Hello",
             "JD> quoted",
             "          >x",
             "@not counted",
             "-- ",
             "--- Tosser 1.0",
             " * Origin: Home (2:5020/9999.12)",
             "* Origin no space"};
  TestMessage b;
  b.from = "JOHN DOE";
  b.to = "";
  b.subject = "RE: Routing";
  b.written = At(2024, 3, 3, 9);
  b.arrived = At(2024, 3, 3, 9);
  b.lines = {"Just one line"};
  TestMessage c;
  c.from = "";
  c.to = "John Doe";
  c.subject = "";
  c.written = At(2024, 3, 3, 23);
  c.arrived = At(2024, 3, 5, 1);
  c.lines = {kMsgid + "1:261/38 0badf00d", "x"};
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("echo"), {a, b, c}));

  Scanner scanner;
  EchoGroup group("X");
  group.byTo = 5;
  group.bySubjects = 5;
  group.byTime = true;
  group.periodKind = '*';
  scanner.Scan(EchoEntry{"ECHO", "S" + dir.File("echo")}, group);

  EXPECT_EQ(scanner.console.text(), "");
  EXPECT_TRUE(scanner.state.anyOpened);
  EXPECT_EQ(group.messageCount, 3);
  EXPECT_EQ(group.personCount, 4);
  StatTables& tables = scanner.tables;
  // The empty names share the record " ". Lines of John Doe: MSGID, Hello, two quotes, "-- "
  // and "* Origin no space"; sizes are the stored texts, kludge lines included.
  EXPECT_EQ(Persons(tables),
            "[ ] w1 r1 b28 l2 q0 1:261/38\n"
            "[All] w0 r1 b0 l0 q0 0:0/0\n"
            "[JOHN DOE] w1 r0 b14 l1 q0 0:0/0\n"
            "[John Doe] w1 r1 b145 l6 q2 2:5020/9999.12\n");

  ASSERT_EQ(tables.subjects.size(), 2u);
  EXPECT_EQ(tables.subjects[0].subject, "Routing");
  EXPECT_EQ(tables.subjects[0].count, 2);
  EXPECT_EQ(tables.subjects[1].subject, " ");

  EXPECT_EQ(tables.hours[13], 1);
  EXPECT_EQ(tables.hours[9], 1);
  EXPECT_EQ(tables.hours[23], 1);
  EXPECT_EQ(tables.weekdays[5], 1);  // 2024-03-01 is a Friday
  EXPECT_EQ(tables.weekdays[0], 2);  // 2024-03-03 is a Sunday
  ASSERT_EQ(tables.days.size(), 2u);
  EXPECT_EQ(tables.days[1].count, 2u);

  EXPECT_EQ(group.dayCount, 3);
  EXPECT_EQ(group.averagePerDay, 1);
  // Delivery: 3 hours, 0 (not counted), 23:00 to 01:00 two days later = 26 -> (3 + 26) / 2.
  EXPECT_EQ(group.averageDelivery, 14);
  ASSERT_TRUE(group.firstDay && group.lastDay);
  EXPECT_EQ(group.firstDay->day, 1);
  EXPECT_EQ(group.lastDay->day, 3);
}

TEST(ScanEcho, SwitchesDecideWhatIsCollected) {
  testing::TempDir dir;
  TestMessage m;
  m.from = "Writer";
  m.to = "Reader";
  m.written = At(2024, 3, 1, 10);
  m.lines = {"text"};
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("echo"), {m}));
  Scanner scanner;
  EchoGroup group("X");  // no statperiod: every message
  scanner.Scan(EchoEntry{"ECHO", "S" + dir.File("echo")}, group);
  EXPECT_EQ(group.messageCount, 1);
  EXPECT_EQ(group.personCount, 1);  // recipients only with byto or bytotal
  EXPECT_TRUE(scanner.tables.subjects.empty());
  EXPECT_EQ(scanner.tables.hours[10], 0);
  EXPECT_EQ(scanner.tables.weekdays[5], 1);  // always counted

  Scanner withTotal;
  EchoGroup totals("X");
  totals.byTotal = 1;
  withTotal.Scan(EchoEntry{"ECHO", "S" + dir.File("echo")}, totals);
  EXPECT_EQ(totals.personCount, 2);

  // A JSON document carries every table, whatever the section switches say.
  Scanner forJson;
  EchoGroup json("X");
  json.format = ReportFormat::kJson;
  forJson.Scan(EchoEntry{"ECHO", "S" + dir.File("echo")}, json);
  EXPECT_EQ(json.personCount, 2);
  EXPECT_EQ(forJson.tables.subjects.size(), 1u);
  EXPECT_EQ(forJson.tables.hours[10], 1);
}

TEST(ScanEcho, ArrivalFieldWithoutADateGivesNoDeliveryTime) {
  testing::TempDir dir;
  TestMessage m;
  m.written = At(2024, 3, 1, 10);
  m.arrived = At(2024, 3, 1, 15);
  ASSERT_TRUE(testing::WriteTestBase("F" + dir.File("echo"), {m, m}));
  // As crashmail stores echomail: the date-arrived field of 2.MSG left 0, and as it stores
  // netmail: that of 1.MSG holding destination and origin point words (12 and 3).
  std::string first = dir.Read("echo/1.MSG");
  std::string second = dir.Read("echo/2.MSG");
  ASSERT_GT(second.size(), 184u);
  first.replace(180, 4, std::string("\x0C\x00\x03\x00", 4));
  second.replace(180, 4, std::string(4, '\0'));
  dir.Write("echo/1.MSG", first);
  dir.Write("echo/2.MSG", second);

  Scanner scanner;
  EchoGroup group("X");
  group.periodKind = '*';
  scanner.Scan(EchoEntry{"ECHO", "F" + dir.File("echo")}, group);
  EXPECT_EQ(group.messageCount, 2);
  EXPECT_EQ(scanner.state.deliveryCount, 0);
  EXPECT_EQ(group.averageDelivery, 0);
}

// A slot a packer emptied (crashmaint leaves a JAM header with DateWritten 0) or a header no
// writer dated is no message: counting it would put a day of 1970 or 1980 into the report.
TEST(ScanEcho, MessagesWithoutADateWrittenAreNotCounted) {
  for (const char* kind : {"S", "J", "F"}) {
    SCOPED_TRACE(kind);
    testing::TempDir dir;
    TestMessage dated;
    dated.written = At(2024, 3, 1);
    TestMessage empty;
    empty.from = "Nobody";
    empty.written = MsgDateTime{};
    ASSERT_TRUE(testing::WriteTestBase(kind + dir.File("echo"), {dated, empty, dated}));
    Scanner scanner;
    EchoGroup group("X");
    group.periodKind = '*';
    scanner.Scan(EchoEntry{"ECHO", kind + dir.File("echo")}, group);
    EXPECT_EQ(group.messageCount, 2);
    EXPECT_EQ(group.dayCount, 1);
    EXPECT_EQ(Persons(scanner.tables).find("Nobody"), std::string::npos);
    EXPECT_EQ(scanner.console.text(), "");
    EXPECT_EQ(scanner.errors.text(), "");
  }
  // A *.MSG header whose date text is empty, as a zeroed file leaves it.
  testing::TempDir dir;
  TestMessage m;
  ASSERT_TRUE(testing::WriteTestBase("F" + dir.File("echo"), {m, m}));
  std::string second = dir.Read("echo/2.MSG");
  second.replace(msg::kDateTime, msg::kDateTimeSize, std::string(msg::kDateTimeSize, '\0'));
  dir.Write("echo/2.MSG", second);
  Scanner scanner;
  EchoGroup group("X");
  group.periodKind = '*';
  scanner.Scan(EchoEntry{"ECHO", "F" + dir.File("echo")}, group);
  EXPECT_EQ(group.messageCount, 1);
}

TEST(ScanEcho, PeriodUsesTheClockAndSkipsFutureMessages) {
  testing::TempDir dir;
  std::vector<TestMessage> messages;
  for (auto date :
       {At(2024, 3, 9), At(2024, 3, 10), At(2024, 3, 11), At(2023, 12, 31), At(2024, 2, 29)}) {
    TestMessage m;
    m.written = date;
    messages.push_back(m);
  }
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("echo"), messages));
  struct Case {
    char kind;
    std::int32_t count;
    bool skipFuture;
    std::int32_t expected;
  } cases[] = {{'d', 1, false, 1}, {'s', 1, false, 3}, {'s', 1, true, 2}, {'m', 3, false, 1},
               {'m', 1, false, 1}, {'y', 0, false, 4}, {'*', 0, true, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(1, c.kind) + std::to_string(c.count));
    Scanner scanner;  // today is 2024-03-10
    EchoGroup group("X");
    group.periodKind = c.kind;
    group.periodCount = c.count;
    group.skipFutureMessages = c.skipFuture;
    scanner.Scan(EchoEntry{"ECHO", "S" + dir.File("echo")}, group);
    EXPECT_EQ(group.messageCount, c.expected);
  }
}

TEST(ScanEcho, FailuresWriteTheirTextsAndLeaveNoDataEntry) {
  testing::TempDir dir;
  Scanner scanner;
  EchoGroup group("X");
  group.useDataFile = true;
  scanner.Scan(EchoEntry{"NOBASE", ""}, group);
  scanner.Scan(EchoEntry{"MISSING", "S" + dir.File("missing")}, group);
  scanner.Scan(EchoEntry{"ODD", "Q" + dir.File("x")}, group);
  EXPECT_EQ(scanner.console.text(), "no base\r\ncannot open\r\ncannot open\r\n");
  // Each failure also gets one diagnostic naming the echo, the file and why.
  EXPECT_EQ(scanner.errors.text(),
            "tarnik: NOBASE: the tosser configuration names no message base\n"
            "tarnik: MISSING: cannot open the message base: Squish base " +
                dir.File("missing") + ": " + dir.File("missing.SQD") +
                ": not found (in any letter case)\n"
                "tarnik: ODD: cannot open the message base: unknown base kind \"Q\" in \"Q" +
                dir.File("x") + "\" (S Squish, J JAM, F or M *.MSG)\n");
  EXPECT_EQ(scanner.diagnostics.errorCount(), 3);
  EXPECT_FALSE(scanner.state.anyOpened);
  EXPECT_TRUE(scanner.dataEntries.empty());
  EXPECT_EQ(group.dayCount, 0);
}

TEST(ScanEcho, DataEntryResumesFromTheStoredNumber) {
  testing::TempDir dir;
  std::vector<TestMessage> messages(5);
  for (int i = 0; i < 5; ++i) messages[i].written = At(2024, 3, 1 + i);
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("echo"), messages));

  struct Case {
    std::uint32_t stored;
    std::int32_t expected;
  } cases[] = {
      {0, 5},  // new entry
      {3, 3},  // resumes at 3: message 3 is visited again
      {5, 1},
      {6, 5},  // above the highest number: the base was purged, scan it all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    Scanner scanner;
    if (c.stored != 0) scanner.dataEntries.push_back(DataEntry{"MY.ECHO", c.stored});
    EchoGroup group("X");
    group.useDataFile = true;
    scanner.Scan(EchoEntry{"my.echo", "S" + dir.File("echo")}, group);
    EXPECT_EQ(group.messageCount, c.expected);
    ASSERT_EQ(scanner.dataEntries.size(), 1u);
    EXPECT_EQ(scanner.dataEntries[0].name, "MY.ECHO");
    EXPECT_EQ(scanner.dataEntries[0].lastHigh, 5u);
  }
  // Without usedatafile the entries are neither read nor changed.
  Scanner scanner;
  scanner.dataEntries.push_back(DataEntry{"MY.ECHO", 4});
  EchoGroup group("X");
  scanner.Scan(EchoEntry{"my.echo", "S" + dir.File("echo")}, group);
  EXPECT_EQ(group.messageCount, 5);
  EXPECT_EQ(scanner.dataEntries[0].lastHigh, 4u);
}

// Everything a scan leaves in the group and its tables, as text.
std::string Everything(Scanner& scanner, const EchoGroup& group) {
  StatTables& tables = scanner.tables;
  std::string out = "messages " + std::to_string(group.messageCount) + " delivery " +
                    std::to_string(scanner.state.deliverySum) + "/" +
                    std::to_string(scanner.state.deliveryCount) + "\n";
  for (const SubjectStat& s : tables.subjects) {
    out += "subject [" + s.subject + "] " + std::to_string(s.count) + "\n";
  }
  for (const DayStat& d : tables.days) {
    out += "day " + std::to_string(d.year) + "-" + std::to_string(d.month) + "-" +
           std::to_string(d.day) + " " + std::to_string(d.count) + "\n";
  }
  for (std::int32_t h : tables.hours) out += std::to_string(h) + " ";
  for (std::int32_t w : tables.weekdays) out += std::to_string(w) + " ";
  return out + "\n" + Persons(tables);
}

// Messages that exercise every counter: repeated writers and recipients, subjects with and
// without "Re:", addresses that appear only in some messages, quotes, dates over weeks.
std::vector<TestMessage> VariedMessages(int count) {
  const char* names[] = {"Ann Lee", "Bob",           "bob", "Carl Jung",
                         "",        "Dmitry Ivanov", "Eve", "Frank the Sysop of a Very Long Node"};
  const char* subjects[] = {
      "Routing", "Re: Routing", "RE: nodelist", "nodelist", "", "Hi", "Question about something"};
  std::vector<TestMessage> messages;
  std::uint32_t state = 2024;
  auto next = [&](std::uint32_t range) {
    state = state * 1103515245u + 12345u;
    return (state >> 16) % range;
  };
  for (int i = 0; i < count; ++i) {
    TestMessage m;
    m.from = names[next(8)];
    m.to = next(3) == 0 ? "All" : names[next(8)];
    m.subject = subjects[next(7)];
    m.written = At(2024, 1 + static_cast<int>(next(3)), 1 + static_cast<int>(next(28)),
                   static_cast<int>(next(24)));
    m.arrived = m.written;
    m.arrived.Hour = static_cast<std::uint16_t>((m.written.Hour + next(5)) % 24);
    // Some writers show an address only after their first messages, some without a zone
    // (kept only until one with a zone comes).
    if (next(3) != 0) {
      m.lines.push_back(kMsgid + (next(2) == 0 ? "2:" : "") + "50" + std::to_string(next(4)) + "/" +
                        std::to_string(1 + next(3)) + " 0000abcd");
    }
    if (next(4) == 0) m.lines.push_back("\x01INTL 1:2/" + std::to_string(next(9)) + " 2:3/4");
    // A writer whose addresses never have a zone keeps the last one seen.
    if (i % 7 == 3) {
      m.from = "Zoneless Zed";
      m.lines = {kMsgid + "50/" + std::to_string(i) + " 0000abcd"};
    }
    for (std::uint32_t line = next(6); line > 0; --line) {
      m.lines.push_back(next(3) == 0 ? "XY> quoted" : "some text");
    }
    messages.push_back(m);
  }
  return messages;
}

TEST(ScanEcho, SplitWalkCountsWhatOneWalkCounts) {
  testing::TempDir dir;
  const std::vector<TestMessage> messages = VariedMessages(300);
  for (const char* kind : {"S", "J", "F"}) {
    const std::string spec = kind + dir.File(std::string("echo") + kind);
    ASSERT_TRUE(testing::WriteTestBase(spec, messages));
    struct Case {
      char period;
      std::int32_t count;
      std::uint32_t resumeAt;  // data file number, 0 = none
    } cases[] = {{'*', 0, 0}, {'d', 20, 0}, {'*', 0, 37}, {'*', 0, 299}};
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(kind) + " " + c.period + " resume " + std::to_string(c.resumeAt));
      std::string results[4];
      const ScanThreads modes[] = {ScanThreads::kOne, ScanThreads::kTwo, ScanThreads::kTwoInTurn,
                                   ScanThreads::kAuto};
      for (int mode = 0; mode < 4; ++mode) {
        Scanner scanner;
        if (c.resumeAt != 0) scanner.dataEntries.push_back(DataEntry{"E", c.resumeAt});
        EchoGroup group("X");
        group.byTo = 5;
        group.bySubjects = 5;
        group.byTime = true;
        group.periodKind = c.period;
        group.periodCount = c.count;
        group.useDataFile = c.resumeAt != 0;
        // A group sums its echoes: the split walk adds to what an earlier echo counted.
        scanner.Scan(EchoEntry{"E", spec}, group, ScanThreads::kOne);
        if (c.resumeAt != 0) scanner.dataEntries[0].lastHigh = c.resumeAt;
        scanner.Scan(EchoEntry{"E", spec}, group, modes[mode]);
        results[mode] = Everything(scanner, group);
      }
      EXPECT_EQ(results[1], results[0]);
      EXPECT_EQ(results[2], results[0]);
      EXPECT_EQ(results[3], results[0]);
    }
  }
}

// Scans a base alone with one thread, then with two (both orders), and expects the same
// figures; returns the number of messages counted.
std::int32_t ExpectSameOnEveryThreadCount(const std::string& spec) {
  std::string results[3];
  std::int32_t counted = 0;
  const ScanThreads modes[] = {ScanThreads::kOne, ScanThreads::kTwo, ScanThreads::kTwoInTurn};
  for (int mode = 0; mode < 3; ++mode) {
    Scanner scanner;
    EchoGroup group("X");
    group.byTo = 5;
    group.bySubjects = 5;
    scanner.Scan(EchoEntry{"E", spec}, group, modes[mode]);
    results[mode] = Everything(scanner, group);
    if (mode == 0) counted = group.messageCount;
  }
  EXPECT_EQ(results[1], results[0]);
  EXPECT_EQ(results[2], results[0]);
  return counted;
}

TEST(ScanEcho, SplitSquishWalkEndsWhereOneWalkEnds) {
  // A Squish walk ends at an index record without a number, so the stretches after one may
  // hold messages that one walk never reaches.
  testing::TempDir dir;
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("echo"), VariedMessages(200)));
  const std::string index = dir.Read("echo.SQI");
  ASSERT_EQ(index.size(), 200 * squish::kIndexRecordSize);
  for (std::size_t record : {0, 1, 24, 25, 26, 110, 199}) {
    SCOPED_TRACE(record);
    std::string damaged = index;
    damaged.replace(record * squish::kIndexRecordSize + squish::kIndexUmsgid, 4,
                    std::string(4, '\0'));
    dir.Write("echo.SQI", damaged);
    EXPECT_EQ(ExpectSameOnEveryThreadCount("S" + dir.File("echo")),
              static_cast<std::int32_t>(record));
  }
}

TEST(ScanEcho, SplitJamWalkWhereverBaseMsgNumPutsIt) {
  // Numbers start at the header's BaseMsgNum: far up, the walk's places run to the largest
  // 32-bit number and past it, where one walk stops.
  testing::TempDir dir;
  ASSERT_TRUE(testing::WriteTestBase("J" + dir.File("echo"), VariedMessages(120)));
  const std::string header = dir.Read("echo.JHR");
  ASSERT_GT(header.size(), jam::kBaseBaseMsgNum + 4);
  struct Case {
    std::uint32_t first;
    std::int32_t counted;
  } cases[] = {{1u, 120}, {2147483000u, 120}, {2147483600u, 48}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    std::string patched = header;
    for (int i = 0; i < 4; ++i) {
      patched[jam::kBaseBaseMsgNum + i] = static_cast<char>((c.first >> (8 * i)) & 0xFF);
    }
    dir.Write("echo.JHR", patched);
    EXPECT_EQ(ExpectSameOnEveryThreadCount("J" + dir.File("echo")), c.counted);
  }
}

// One writer's name, and subjects, in the charsets the tests use.
const std::string kIvanUtf8 =
    "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD \xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2";
const std::string kIvanCp866 = "\x88\xA2\xA0\xAD \x8F\xA5\xE2\xE0\xAE\xA2";
const std::string kIvanKoi8 = "\xE9\xD7\xC1\xCE \xF0\xC5\xD4\xD2\xCF\xD7";
const std::string kJoseUtf8 =
    "Jos\xC3\xA9 N\xC3\xBA\xC3\xB1"
    "ez";
const std::string kJoseLatin1 =
    "Jos\xE9 N\xFA\xF1"
    "ez";
const std::string kJoseCp437 =
    "Jos\x82 N\xA3\xA4"
    "ez";
// «Привет это тест»: its UTF-8 holds the bytes D1 8D (э), where code page 866 has its
// look-alike of H.
const std::string kHelloUtf8 =
    "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xD1\x8D\xD1\x82\xD0\xBE "
    "\xD1\x82\xD0\xB5\xD1\x81\xD1\x82";
// «Re: Нет ответа»
const std::string kNoAnswerKoi8 = "Re: \xEE\xC5\xD4 \xCF\xD4\xD7\xC5\xD4\xC1";
const std::string kNoAnswerCp866 = "Re: \x8D\xA5\xE2 \xAE\xE2\xA2\xA5\xE2\xA0";

std::string Writers(const StatTables& tables) {
  std::string out;
  for (const PersonStat& p : tables.persons) {
    if (p.written > 0) out += "[" + p.name + "] " + std::to_string(p.written) + "\n";
  }
  return out;
}

std::string Subjects(const StatTables& tables) {
  std::string out;
  for (const SubjectStat& s : tables.subjects) {
    out += "[" + s.subject + "] " + std::to_string(s.count) + "\n";
  }
  return out;
}

TEST(ScanEcho, CharsetKludgesMakeOnePersonOfOneWriter) {
  struct Form {
    std::string kludge;
    std::string name;
    std::string subject;
  };
  const Form forms[] = {
      {"", kIvanCp866, kNoAnswerCp866},  // no kludge: the default charset
      {"\x01"
       "CHRS: CP866 2",
       kIvanCp866, "x"},
      {"\x01"
       "CHRS: UTF-8 4",
       kIvanUtf8, kHelloUtf8},
      {"\x01"
       "CHRS: UTF-8 2",
       kIvanUtf8, "x"},
      {"\x01"
       "CHRS: KOI8-R 2",
       kIvanKoi8, kNoAnswerKoi8},
      {"\x01"
       "chrs:koi8-r",
       kIvanKoi8, "x"},
      {"\x01"
       "  Chrs :   Koi8-R   2",
       kIvanKoi8, "x"},
      {"\x01"
       "CHARSET: KOI8-R",
       kIvanKoi8, "x"},
      {"\x01"
       "CODEPAGE: 866",
       kIvanCp866, "x"},
      {"\x01"
       "CHRS: X-MARTIAN 2",
       kIvanCp866, "x"},  // unknown: the default charset
      {"\x01"
       "CHRS: LATIN-1 2",
       kJoseLatin1, "x"},
      {"\x01"
       "CHRS: IBMPC 2",
       kJoseCp437, "x"},
      {"\x01"
       "CHRS: UTF-8 4",
       kJoseUtf8, "x"},
  };
  std::vector<TestMessage> messages;
  for (const Form& form : forms) {
    TestMessage m;
    m.from = form.name;
    m.subject = form.subject;
    if (!form.kludge.empty()) m.lines.push_back(form.kludge);
    m.lines.push_back(kMsgid + "2:5020/1 00000001");
    m.lines.push_back("Text");
    messages.push_back(m);
  }
  struct Output {
    std::string charset;
    std::string writers;
    std::string subjects;
  } outputs[] = {
      {"UTF-8",
       "[Jos\xC3\xA9 N\xC3\xBA\xC3\xB1"
       "ez] 3\n[" +
           kIvanUtf8 + "] 10\n",
       // р became Latin p, Н Latin H, and the reply prefix went.
       "[H\xD0\xB5\xD1\x82 \xD0\xBE\xD1\x82\xD0\xB2\xD0\xB5\xD1\x82\xD0\xB0] 2\n[x] 10\n"
       "[\xD0\x9Fp\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xD1\x8D\xD1\x82\xD0\xBE "
       "\xD1\x82\xD0\xB5\xD1\x81\xD1\x82] 1\n"},
      {"CP866", "[Jos? N??ez] 3\n[" + kIvanCp866 + "] 10\n",
       "[H\xA5\xE2 \xAE\xE2\xA2\xA5\xE2\xA0] 2\n[x] 10\n"
       "[\x8Fp\xA8\xA2\xA5\xE2 \xED\xE2\xAE \xE2\xA5\xE1\xE2] 1\n"},
  };
  testing::TempDir dir;
  for (const char* kind : {"S", "F"}) {
    const std::string spec = kind + dir.File(std::string("echo") + kind);
    ASSERT_TRUE(testing::WriteTestBase(spec, messages));
    for (const Output& output : outputs) {
      for (ScanThreads threads : {ScanThreads::kOne, ScanThreads::kTwo}) {
        SCOPED_TRACE(std::string(kind) + " " + output.charset);
        Scanner scanner;
        scanner.UseCharsets(output.charset, "CP866");
        EchoGroup group("X");
        group.bySubjects = 5;
        group.periodKind = '*';
        scanner.Scan(EchoEntry{"RU.TEST", spec}, group, threads);
        SortPersonsByName(scanner.tables);
        EXPECT_EQ(Writers(scanner.tables), output.writers);
        EXPECT_EQ(Subjects(scanner.tables), output.subjects);
        EXPECT_EQ(scanner.errors.text(),
                  "tarnik: RU.TEST: warning: unknown charset \"X-MARTIAN\", read as CP866\n");
      }
    }
  }
}

TEST(ScanEcho, MessagesWithoutAKludgeAreInTheDefaultCharset) {
  TestMessage koi;
  koi.from = kIvanKoi8;
  TestMessage utf;
  utf.from = kIvanUtf8;
  utf.lines = {
      "\x01"
      "CHRS: UTF-8 4"};
  testing::TempDir dir;
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("echo"), {koi, utf}));
  Scanner scanner;
  scanner.UseCharsets("UTF-8", "KOI8-R");
  EchoGroup group("X");
  group.periodKind = '*';
  scanner.Scan(EchoEntry{"E", "S" + dir.File("echo")}, group);
  EXPECT_EQ(Writers(scanner.tables), "[" + kIvanUtf8 + "] 2\n");
  EXPECT_EQ(scanner.errors.text(), "");
}

TEST(ScanEcho, WithoutCharsetsNamesStayAsStored) {
  TestMessage utf;
  utf.from = kIvanUtf8;
  utf.lines = {
      "\x01"
      "CHRS: UTF-8 4"};
  TestMessage cp;
  cp.from = kIvanCp866;
  testing::TempDir dir;
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("echo"), {utf, cp}));
  Scanner scanner;
  EchoGroup group("X");
  group.periodKind = '*';
  scanner.Scan(EchoEntry{"E", "S" + dir.File("echo")}, group);
  SortPersonsByName(scanner.tables);
  EXPECT_EQ(Writers(scanner.tables), "[" + kIvanCp866 + "] 1\n[" + kIvanUtf8 + "] 1\n");
}

TEST(ScanEcho, ConvertedNamesAreCutAtACharacterBoundary) {
  // A JAM subject may be long; in UTF-8 every Cyrillic letter takes two bytes.
  TestMessage m;
  m.subject = std::string(1, 'a') + std::string(200, '\xA0');
  testing::TempDir dir;
  ASSERT_TRUE(testing::WriteTestBase("J" + dir.File("echo"), {m}));
  Scanner scanner;
  scanner.UseCharsets("UTF-8", "CP866");
  EchoGroup group("X");
  group.bySubjects = 5;
  group.periodKind = '*';
  scanner.Scan(EchoEntry{"E", "J" + dir.File("echo")}, group);
  ASSERT_EQ(scanner.tables.subjects.size(), 1u);
  const std::string& subject = scanner.tables.subjects[0].subject;
  EXPECT_EQ(subject.size(), 255u);
  EXPECT_TRUE(IsValidUtf8(subject));
}

std::uint32_t U32At(const std::string& bytes, std::size_t offset) {
  return LoadU32(bytes.data() + offset);
}

void PutU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Damage done to a base of four messages written by its writing side.
using Damage = std::function<void(const testing::TempDir& dir)>;

void PatchFile(const testing::TempDir& dir, const std::string& name,
               const std::function<void(std::string&)>& patch) {
  std::string bytes = dir.Read(name);
  patch(bytes);
  dir.Write(name, bytes);
}

// The first count Squish frames get msg_length 0, less than their own header.
Damage SquishLengthZero(int count) {
  return [count](const testing::TempDir& dir) {
    const std::string index = dir.Read("echo.SQI");
    PatchFile(dir, "echo.SQD", [&](std::string& sqd) {
      for (int i = 0; i < count; ++i) {
        const std::uint32_t frame = U32At(index, i * squish::kIndexRecordSize);
        PutU32(sqd, frame + squish::kFrameMsgLength, 0);
      }
    });
  };
}

// The first count JAM headers point their text past the end of name.JDT.
Damage JamTextPastTheFile(int count) {
  return [count](const testing::TempDir& dir) {
    const std::string index = dir.Read("echo.JDX");
    PatchFile(dir, "echo.JHR", [&](std::string& jhr) {
      for (int i = 0; i < count; ++i) {
        const std::uint32_t header = U32At(index, i * jam::kIndexRecordSize + jam::kIdxHdrOffset);
        PutU32(jhr, header + jam::kHdrTxtOffset, 1u << 30);
      }
    });
  };
}

Damage JamBaseMsgNum(std::uint32_t value) {
  return [value](const testing::TempDir& dir) {
    PatchFile(dir, "echo.JHR", [&](std::string& jhr) { PutU32(jhr, jam::kBaseBaseMsgNum, value); });
  };
}

// A base whose header or index cannot be right, or whose damaged messages outnumber the
// readable ones, used to count as (partly) empty without a word: now one warning names the
// echo and what is wrong, and the base is read as far as it can be.
TEST(ScanEcho, DamagedBasesGetOneWarningAndAreReadAsFarAsTheyCanBe) {
  struct Case {
    const char* name;
    char kind;
    Damage damage;
    std::int32_t counted;
    std::string warning;  // after "message base <path>: "
  };
  const Case cases[] = {
      {"sound Squish", 'S', [](const testing::TempDir&) {}, 4, ""},
      {"sound JAM", 'J', [](const testing::TempDir&) {}, 4, ""},
      {"JAM BaseMsgNum 0", 'J', JamBaseMsgNum(0), 4,
       "BaseMsgNum is 0; the messages are numbered from 1"},
      {"JAM BaseMsgNum 0xFFFFFFFF", 'J', JamBaseMsgNum(0xFFFFFFFFu), 4,
       "BaseMsgNum is 4294967295, past the largest message number; the messages are numbered "
       "from 1"},
      {"JAM BaseMsgNum near the top", 'J', JamBaseMsgNum(2147483646u), 2,
       "BaseMsgNum is 2147483646: the last 2 of 4 index records would be numbered past "
       "2147483647 and are not read"},
      {"Squish index of zeros", 'S',
       [](const testing::TempDir& dir) {
         dir.Write("echo.SQI", std::string(4 * squish::kIndexRecordSize, '\0'));
       },
       0,
       "4 of 4 index records hold message number 0; the walk ends at record 1, so the last 4 "
       "are not read"},
      {"Squish msg_length 0 in three frames", 'S', SquishLengthZero(3), 1,
       "3 of 4 messages are damaged and not counted"},
      {"Squish msg_length 0 in two frames", 'S', SquishLengthZero(2), 2, ""},
      {"JAM texts past the file", 'J', JamTextPastTheFile(3), 1,
       "3 of 4 messages are damaged and not counted"},
      {"JAM BaseMsgNum 0 and texts past the file", 'J',
       [](const testing::TempDir& dir) {
         JamBaseMsgNum(0)(dir);
         JamTextPastTheFile(4)(dir);
       },
       0,
       "BaseMsgNum is 0; the messages are numbered from 1; 4 of 4 messages are damaged and not "
       "counted"},
      {"*.MSG files cut short", 'F',
       [](const testing::TempDir& dir) {
         for (const char* name : {"echo/1.MSG", "echo/2.MSG", "echo/4.MSG"}) {
           dir.Write(name, "short");
         }
       },
       1, "3 of 4 messages are damaged and not counted"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    const std::string spec = std::string(1, c.kind) + dir.File("echo");
    std::vector<TestMessage> messages(4);
    ASSERT_TRUE(testing::WriteTestBase(spec, messages));
    c.damage(dir);
    const std::string expected = c.warning.empty() ? std::string()
                                                   : "tarnik: FIDO.TEST: warning: message base " +
                                                         dir.File("echo") + ": " + c.warning + "\n";
    for (ScanThreads threads : {ScanThreads::kOne, ScanThreads::kTwo}) {
      Scanner scanner;
      EchoGroup group("X");
      group.periodKind = '*';
      scanner.Scan(EchoEntry{"FIDO.TEST", spec}, group, threads);
      EXPECT_EQ(group.messageCount, c.counted);
      EXPECT_EQ(scanner.errors.text(), expected);
      EXPECT_EQ(scanner.console.text(), "");
    }
  }
}

// A tosser's purge deleting half of a *.MSG folder between the listing and the reading: the
// deleted messages are simply gone, with no warning, no console line and no second listing.
TEST(ScanEcho, MsgFilesDeletedDuringTheScanAreGone) {
  testing::TempDir dir;
  std::vector<TestMessage> messages(40);
  for (std::size_t i = 0; i < messages.size(); ++i) messages[i].from = "W" + std::to_string(i + 1);
  ASSERT_TRUE(testing::WriteTestBase("F" + dir.File("echo"), messages));
  testing::PurgingDisk disk;
  Scanner scanner;
  const GroupScan scan{scanner.tables,
                       scanner.state,
                       scanner.dataEntries,
                       scanner.language,
                       scanner.scan.services,
                       ScanThreads::kOne,
                       nullptr,
                       disk};
  EchoGroup group("X");
  group.periodKind = '*';
  group.useDataFile = true;
  ScanEcho(EchoEntry{"PURGED", "F" + dir.File("echo")}, group, scan);
  EXPECT_EQ(group.messageCount, 20);
  EXPECT_EQ(Persons(scanner.tables).find("[W2]"), std::string::npos);
  EXPECT_NE(Persons(scanner.tables).find("[W39]"), std::string::npos);
  EXPECT_EQ(scanner.console.text(), "");
  EXPECT_EQ(scanner.errors.text(), "");
  EXPECT_EQ(disk.listings(), 1);
  EXPECT_EQ(disk.searchingOpens(), 0);
  ASSERT_EQ(scanner.dataEntries.size(), 1u);
  EXPECT_EQ(scanner.dataEntries[0].lastHigh, 40u);
}

TEST(Spinner, DrawsOnlyOnATerminal) {
  StringConsole pipe(false);
  {
    Spinner spinner(pipe);
    spinner.Step();
  }
  EXPECT_EQ(pipe.text(), "");
  StringConsole terminal(true);
  {
    Spinner spinner(terminal);
    for (std::uint32_t i = 0; i < 5 * Spinner::kStepsPerTurn + 3; ++i) spinner.Step();
  }
  EXPECT_EQ(terminal.text(), "\\\b\\\b|\b/\b-\b\\\b");
}

}  // namespace
}  // namespace tarnik
