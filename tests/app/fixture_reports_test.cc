// The real program run over bases written by crashmail and the Husky message API, with the
// areas taken from the tossers' own area lists: every report gives the figures that the
// bases' manifests imply, and the bases stay exactly as they were.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/file_system.h"
#include "support/manifest_json.h"
#include "support/run_binary.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::JsonValue;

const std::string kFixtures = TARNIK_FIXTURES_DIR;

// Which area lists name an area: the tosser's areas.bbs, its fidoconfig, or only a list of
// our own.
enum Source : unsigned { kAreasBbs = 1, kFidoconfig = 2, kOwnList = 4 };

struct Area {
  const char* tag;
  const char* manifest;  // relative to the fixture folder
  const char* tosser;    // the folder holding the tosser's area lists
  unsigned sources;
};

const Area kAreas[] = {
    {"CM.JAM.TALK", "crashmail/jam/cmjamtalk.json", "crashmail", kAreasBbs | kFidoconfig},
    {"CM.JAM.SMALL", "crashmail/jam/CM_JAM_SMALL.json", "crashmail", kAreasBbs | kFidoconfig},
    {"CM.JAM.LINKED", "crashmail/jam/linked.json", "crashmail", kAreasBbs | kFidoconfig},
    {"CM.JAM.MAINT", "crashmail/jam/maint.json", "crashmail", kAreasBbs | kFidoconfig},
    {"CM.JAM.PACKED", "crashmail/jam/packed.json", "crashmail", kAreasBbs | kFidoconfig},
    {"CM.MSG.TALK", "crashmail/msg/talk.json", "crashmail", kAreasBbs | kFidoconfig},
    {"CM.MSG.PLAIN", "crashmail/msg/plain.json", "crashmail", kAreasBbs | kFidoconfig},
    {"CM.MSG.MAINT", "crashmail/msg/maint.json", "crashmail", kAreasBbs | kFidoconfig},
    {"CM.MSG.PACKED", "crashmail/msg/packed.json", "crashmail", kAreasBbs | kFidoconfig},
    {"BAD", "crashmail/msg/bad.json", "crashmail", kAreasBbs | kFidoconfig},
    // crashexport leaves the netmail area out of areas.bbs, and fidoconfig names it with
    // "NetmailArea", which is not an echo-area keyword; a list of our own reaches it.
    {"NETMAIL", "crashmail/msg/netmail.json", "crashmail", kOwnList},
    {"SM.SQ.TALK", "smapi/squish/smsqtalk.json", "smapi", kAreasBbs | kFidoconfig},
    {"SM.SQ.SMALL", "smapi/squish/SMALL.json", "smapi", kAreasBbs | kFidoconfig},
    {"SM.SQ.KILLED", "smapi/squish/killed.json", "smapi", kAreasBbs | kFidoconfig},
    {"SM.JAM.TALK", "smapi/jam/smjamtalk.json", "smapi", kAreasBbs | kFidoconfig},
    {"SM.JAM.KILLED", "smapi/jam/killed.json", "smapi", kAreasBbs | kFidoconfig},
    {"SM.MSG.TALK", "smapi/msg/talk.json", "smapi", kAreasBbs | kFidoconfig},
    {"SM.MSG.KILLED", "smapi/msg/killed.json", "smapi", kAreasBbs | kFidoconfig},
};

struct AreaList {
  std::string name;  // prefix of the report file names
  unsigned source;
  std::string tosser;
};

const AreaList kAreaLists[] = {{"cm-bbs", kAreasBbs, "crashmail"},
                               {"cm-fido", kFidoconfig, "crashmail"},
                               {"sm-bbs", kAreasBbs, "smapi"},
                               {"sm-fido", kFidoconfig, "smapi"},
                               {"own", kOwnList, ""}};

std::string ReportName(const AreaList& list, const Area& area) {
  return list.name + "-" + area.tag + ".txt";
}

bool Lists(const AreaList& list, const Area& area) {
  return (area.sources & list.source) != 0 && (list.tosser.empty() || list.tosser == area.tosser);
}

// Runs tarnik in the fixture folder (the area lists name the bases relative to it) once per
// area list, with one group per area of the table and every section on; reports, data file
// and templates stay in the temporary directory. Returns the console output of each run.
std::vector<std::string> RunEveryAreaList(const testing::TempDir& dir) {
  dir.Write("own.bbs", "crashmail/msg/netmail NETMAIL\n");
  std::vector<std::string> outputs;
  for (const AreaList& list : kAreaLists) {
    std::string config =
        "datafile " + dir.File("Tarnik.Dat") + "\ntemplatepath " + dir.path() + "\n";
    std::string environment;
    if (list.source == kAreasBbs) config += "AreaFile areasbbs " + list.tosser + "/areas.bbs\n";
    if (list.source == kOwnList) config += "AreaFile areasbbs " + dir.File("own.bbs") + "\n";
    if (list.source == kFidoconfig) {
      config += "AreaFile fidoconfig\n";
      environment =
          "FIDOCONFIG=" + testing::ShellQuote(kFixtures + "/" + list.tosser + "/fidoconfig");
    }
    for (const Area& area : kAreas) {
      std::string pattern;
      for (const char* c = area.tag; *c != '\0'; ++c) {
        pattern += *c == '.' ? "\\." : std::string(1, *c);
      }
      config += "define ^" + pattern +
                "$\nstatperiod *\nbyfrom 1000\nbyto 1000\nbytotal 1000\nbysize 1000\n"
                "bysubjects 1000\nbydays\nbydayofweek\nbytime\ntemplate none.tpl\nout " +
                dir.File(ReportName(list, area)) + "\nend\n";
    }
    dir.Write(list.name + ".cfg", config);
    testing::RunResult run =
        testing::RunCommand("cd " + testing::ShellQuote(kFixtures) + " && " + environment + " " +
                            testing::ShellQuote(TARNIK_BINARY) + " " +
                            testing::ShellQuote(dir.File(list.name + ".cfg")));
    // Every group names the missing none.tpl to get the built-in layout, and a tosser's list
    // leaves the other tosser's groups without an echo: both are told, nothing else is.
    EXPECT_EQ(run.exitCode, 2) << list.name;
    std::size_t start = 0;
    for (std::size_t end; (end = run.errors.find('\n', start)) != std::string::npos;
         start = end + 1) {
      const std::string line = run.errors.substr(start, end - start);
      EXPECT_TRUE(line.find("none.tpl: cannot open the template") != std::string::npos ||
                  line.find("selects no echo") != std::string::npos)
          << line;
    }
    outputs.push_back(run.output);
  }
  return outputs;
}

struct Date {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
};

bool IsDate(const Date& date) {
  return date.hour >= 0 && date.hour <= 23 &&
         std::chrono::year_month_day(std::chrono::year(date.year) /
                                     std::chrono::month(static_cast<unsigned>(date.month)) /
                                     std::chrono::day(static_cast<unsigned>(date.day)))
             .ok();
}

// The date arrived as the base stores it, when it holds a date: crashmail's *.MSG headers
// leave the field 0 or keep zone and point words there ("1980-00-12" as a DOS date).
bool StoredArrival(const JsonValue& message, Date& date) {
  for (const char* key : {"date_processed", "date_arrived", "date_arrived_as_dos"}) {
    if (!message[key].IsNull()) {
      return std::sscanf(message[key].text.c_str(), "%d-%d-%d %d", &date.year, &date.month,
                         &date.day, &date.hour) == 4 &&
             IsDate(date);
    }
  }
  return false;
}

// The date written as the base stores it: for JAM and Squish as the manifest decodes the
// binary date, for *.MSG the header's date text in either of its forms, "01 Jun 23  07:40:48"
// and "Thu  1 Jun 23 12:27".
bool StoredDate(const JsonValue& message, Date& date) {
  const std::string& text = message["datetime_text"].text;
  if (message["datetime_text"].IsNull()) {
    return std::sscanf(message["date_written"].text.c_str(), "%d-%d-%d %d", &date.year, &date.month,
                       &date.day, &date.hour) == 4;
  }
  char month[4] = {};
  const char* form = text.size() > 2 && text[2] == ' ' ? "%d %3s %d %d" : "%*3s %d %3s %d %d";
  if (std::sscanf(text.c_str(), form, &date.day, month, &date.year, &date.hour) != 4) return false;
  const std::string months = "JanFebMarAprMayJunJulAugSepOctNovDec";
  const std::size_t at = months.find(month);
  if (at == std::string::npos || at % 3 != 0) return false;
  date.month = static_cast<int>(at / 3) + 1;
  date.year += date.year <= 70 ? 2000 : 1900;
  return true;
}

std::chrono::sys_days Days(const Date& date) {
  return std::chrono::sys_days(std::chrono::year(date.year) /
                               std::chrono::month(static_cast<unsigned>(date.month)) /
                               std::chrono::day(static_cast<unsigned>(date.day)));
}

std::string ShortDate(std::chrono::sys_days days) {
  const std::chrono::year_month_day ymd(days);
  char text[16];
  std::snprintf(text, sizeof text, "%02u.%02u.%02d", static_cast<unsigned>(ymd.day()),
                static_cast<unsigned>(ymd.month()), static_cast<int>(ymd.year()) % 100);
  return text;
}

std::string LongDate(std::chrono::sys_days days) {
  const std::chrono::year_month_day ymd(days);
  char text[16];
  std::snprintf(text, sizeof text, "%02u.%02u.%04d", static_cast<unsigned>(ymd.day()),
                static_cast<unsigned>(ymd.month()), static_cast<int>(ymd.year()));
  return text;
}

// A name as the ranked lists show it: cut or filled with spaces to 23 bytes.
std::string ListName(std::string name) {
  name.resize(23, ' ');
  return name;
}

using Ranking = std::vector<std::pair<std::string, int>>;

// The figures of one report, as computed from a manifest or as read from the report.
struct Figures {
  int messages = 0;
  int persons = 0;
  int days = 0;
  int delivery = 0;  // average hours from written to arrived
  std::string period;
  Ranking writers;  // sorted, to compare without the order of ties
  Ranking recipients;
  std::map<std::string, int> byDays;  // short date text -> messages, days with messages only
  std::array<int, 7> weekdays{};
  std::array<int, 24> hourHeights{};  // bar cells of each hour's column in the chart
};

Ranking Sorted(const std::map<std::string, int>& counts) {
  Ranking ranking;
  for (const auto& [name, count] : counts) ranking.emplace_back(ListName(name), count);
  std::sort(ranking.begin(), ranking.end());
  return ranking;
}

// What the scan of this base must count. A message is counted when the program can read it:
// a JAM index record with HdrOffset 0xFFFFFFFF, and a Squish index slot with frame offset 0
// left behind by a kill, hold no message; a JAM header whose text lies past the end of
// name.JDT (crashmail's garbled TxtLen in CM.JAM.MAINT) fails to open and is skipped; the
// emptied header of CM.JAM.PACKED has no date written (0) and is no message either. Every
// other stored message counts, the 1.msg highwater marks of crashmail among them. Only
// messages whose base stores an arrival date enter the average delivery time.
bool ExpectedFigures(const JsonValue& manifest, Figures& figures) {
  std::int64_t jdtSize = 0;
  if (manifest["format"].text == "JAM") {
    std::error_code error;
    const std::string directory(DirectoryPart(kFixtures + "/" + manifest["base_path"].text));
    jdtSize = static_cast<std::int64_t>(std::filesystem::file_size(
        directory + "/" + manifest["base_info"]["files"]["jdt"].text, error));
    if (error) return false;
  }
  std::map<std::string, int> written, received;
  std::map<std::chrono::sys_days, int> days;
  std::array<int, 24> hours{};
  int deliverySum = 0;
  int deliveryCount = 0;
  for (const JsonValue& message : manifest["stored"].items) {
    if (message["index_deleted"].boolean) continue;
    if (!message["frame_offset"].IsNull() && message["frame_offset"].Int() == 0) continue;
    if (!message["txt_len"].IsNull() &&
        message["txt_offset"].Int() + message["txt_len"].Int() > jdtSize) {
      continue;
    }
    if (!message["date_written_raw"].IsNull() && message["date_written_raw"].Int() == 0) continue;
    Date date;
    if (!StoredDate(message, date) || !IsDate(date)) return false;
    Date arrival;
    if (StoredArrival(message, arrival)) {
      // Whole hours between the two moments, minutes ignored.
      const int hours = std::abs(24 * static_cast<int>((Days(arrival) - Days(date)).count()) +
                                 (arrival.hour - date.hour));
      if (hours > 0) {
        deliverySum += hours;
        ++deliveryCount;
      }
    }
    ++figures.messages;
    const std::string from = message["from"].text.empty() ? " " : message["from"].text;
    const std::string to = message["to"].text.empty() ? " " : message["to"].text;
    ++written[from];
    ++received[to];
    ++days[Days(date)];
    ++hours[static_cast<std::size_t>(date.hour)];
    ++figures.weekdays[std::chrono::weekday(Days(date)).c_encoding()];
  }
  std::set<std::string> persons;
  for (const auto& entry : written) persons.insert(entry.first);
  for (const auto& entry : received) persons.insert(entry.first);
  figures.persons = static_cast<int>(persons.size());
  figures.delivery = deliveryCount > 0 ? deliverySum / deliveryCount : 0;
  figures.writers = Sorted(written);
  figures.recipients = Sorted(received);
  if (!days.empty()) {
    const std::chrono::sys_days first = days.begin()->first;
    const std::chrono::sys_days last = days.rbegin()->first;
    figures.days = static_cast<int>((last - first).count()) + 1;
    figures.period = LongDate(first) + "-" + LongDate(last);
  }
  for (const auto& [day, count] : days) figures.byDays[ShortDate(day)] += count;
  const int max = *std::max_element(hours.begin(), hours.end());
  for (std::size_t hour = 0; hour < hours.size() && max > 0; ++hour) {
    figures.hourHeights[hour] = static_cast<int>(std::lround(hours[hour] * 20.0 / max));
  }
  return true;
}

std::vector<std::string> Lines(const std::string& report) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = report.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(report.substr(start, end - start));
  }
  return lines;
}

// The line after the section heading and its three more header lines; lines.size() when the
// heading is missing.
std::size_t SectionStart(const std::vector<std::string>& lines, const std::string& heading) {
  const auto at = std::find(lines.begin(), lines.end(), heading);
  return at == lines.end() ? lines.size()
                           : std::min<std::size_t>(lines.size(), (at - lines.begin()) + 4);
}

int Figure(const std::vector<std::string>& lines, const std::string& label, std::string* rest) {
  for (const std::string& line : lines) {
    if (line.rfind(label, 0) == 0) {
      if (rest != nullptr) *rest = line.substr(label.size());
      return std::atoi(line.c_str() + label.size());
    }
  }
  return -1;
}

// A built-in ranked list: position, name in 23 bytes, count in 6, then the bar; the entries
// end at the empty line that opens the next section. Counts must not grow down the list.
Ranking RankedList(const std::vector<std::string>& lines, const std::string& heading) {
  Ranking ranking;
  for (std::size_t i = SectionStart(lines, heading); i < lines.size() && !lines[i].empty(); ++i) {
    if (lines[i].size() < 34) {
      ADD_FAILURE() << "short list line: " << lines[i];
      break;
    }
    const int count = std::atoi(lines[i].substr(28, 6).c_str());
    if (!ranking.empty()) {
      EXPECT_LE(count, ranking.back().second) << lines[i];
    }
    ranking.emplace_back(lines[i].substr(4, 23), count);
  }
  std::sort(ranking.begin(), ranking.end());
  return ranking;
}

Figures ReportFigures(const std::string& report) {
  const std::vector<std::string> lines = Lines(report);
  Figures figures;
  figures.messages = Figure(lines, " Messages ................ ", nullptr);
  figures.persons = Figure(lines, " Persons ................. ", nullptr);
  figures.days = Figure(lines, " Days .................... ", nullptr);
  figures.delivery = Figure(lines, " Delivery time, hours .... ", nullptr);
  Figure(lines, " Period .................. ", &figures.period);
  figures.writers = RankedList(lines, " Top writers");
  figures.recipients = RankedList(lines, " Top recipients");

  // " DD.MM.YY" and the count in 4, one line for every day of the period.
  int dayLines = 0;
  for (std::size_t i = SectionStart(lines, " Messages by day");
       i < lines.size() && lines[i].rfind("------------- \xC0", 0) != 0; ++i, ++dayLines) {
    const int count = std::atoi(lines[i].substr(9, 4).c_str());
    if (count != 0) figures.byDays[lines[i].substr(1, 8)] += count;
  }
  EXPECT_EQ(dayLines, figures.days);

  const char* const kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::size_t at = SectionStart(lines, " Messages by day of the week");
  for (std::size_t d = 0; d < 7 && at + d < lines.size(); ++d) {
    EXPECT_EQ(lines[at + d].substr(0, 7), std::string("  ") + kDayNames[d] + "  ");
    figures.weekdays[d] = std::atoi(lines[at + d].substr(7, 4).c_str());
  }

  // Twenty rows under a five-byte label, three bytes per hour; a bar cell is " \xDB\xDB".
  at = SectionStart(lines, " Messages by hour of writing (percent of the busiest hour)");
  for (std::size_t row = 0; row < 20 && at + row < lines.size(); ++row) {
    for (std::size_t hour = 0; hour < 24; ++hour) {
      if (lines[at + row].compare(5 + 3 * hour, 3, " \xDB\xDB") == 0) ++figures.hourHeights[hour];
    }
  }
  return figures;
}

TEST(FixtureReports, FiguresAreWhatTheManifestsImply) {
  if (!DirectoryExists(kFixtures)) GTEST_SKIP() << "fixture folder not found: " << kFixtures;
  testing::TempDir dir;
  const std::vector<std::string> outputs = RunEveryAreaList(dir);
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    EXPECT_EQ(outputs[i].find(" fault"), std::string::npos) << outputs[i];
  }

  for (const Area& area : kAreas) {
    SCOPED_TRACE(area.tag);
    JsonValue manifest;
    ASSERT_TRUE(testing::LoadJsonFile(kFixtures + "/" + area.manifest, manifest));
    Figures expected;
    ASSERT_TRUE(ExpectedFigures(manifest, expected));
    ASSERT_GT(expected.messages, 0);

    std::string firstReport;
    for (const AreaList& list : kAreaLists) {
      SCOPED_TRACE(list.name);
      const std::string name = ReportName(list, area);
      // A group whose area the list does not name has no echo and writes no report.
      ASSERT_EQ(FileExists(dir.File(name)), Lists(list, area));
      if (!Lists(list, area)) continue;
      const std::string report = dir.Read(name);
      if (firstReport.empty()) {
        firstReport = report;
      } else {
        EXPECT_TRUE(report == firstReport) << "areas.bbs and fidoconfig reports differ";
        continue;
      }
      const Figures actual = ReportFigures(report);
      EXPECT_EQ(actual.messages, expected.messages);
      EXPECT_EQ(actual.persons, expected.persons);
      EXPECT_EQ(actual.days, expected.days);
      EXPECT_EQ(actual.delivery, expected.delivery);
      EXPECT_EQ(actual.period, expected.period);
      EXPECT_EQ(actual.writers, expected.writers);
      EXPECT_EQ(actual.recipients, expected.recipients);
      EXPECT_EQ(actual.byDays, expected.byDays);
      EXPECT_EQ(actual.weekdays, expected.weekdays);
      EXPECT_EQ(actual.hourHeights, expected.hourHeights);
    }
    EXPECT_FALSE(firstReport.empty());
  }
}

// crashmaint's PACK leaves an emptied header without a date written in front of the 34 real
// messages; it is no message, so the period starts at the first real one, not in 1970.
TEST(FixtureReports, PackedJamSlotWithoutDateIsNoMessage) {
  if (!DirectoryExists(kFixtures)) GTEST_SKIP() << "fixture folder not found: " << kFixtures;
  testing::TempDir dir;
  dir.Write("Tarnik.Cfg", "AreaFile areasbbs " + kFixtures +
                              "/crashmail/areas.bbs\n"
                              "define ^CM\\.JAM\\.PACKED$\nstatperiod *\nbydays\n"
                              "template none.tpl\nout " +
                              dir.File("packed.txt") + "\nend\n");
  testing::RunResult run = testing::RunCommand("cd " + testing::ShellQuote(kFixtures) + " && " +
                                               testing::ShellQuote(TARNIK_BINARY) + " " +
                                               testing::ShellQuote(dir.File("Tarnik.Cfg")));
  EXPECT_EQ(run.output.find(" fault"), std::string::npos) << run.output;
  const Figures figures = ReportFigures(dir.Read("packed.txt"));
  EXPECT_EQ(figures.messages, 34);
  EXPECT_EQ(figures.period.find("1970"), std::string::npos) << figures.period;
  EXPECT_LT(figures.days, 1000);
}

// Every file under the folder with its contents, and every directory entry.
struct Snapshot {
  std::map<std::string, std::string> files;
  std::set<std::string> entries;
};

Snapshot TakeSnapshot(const std::string& folder) {
  Snapshot snapshot;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    const std::string path = it->path().string();
    snapshot.entries.insert(path);
    if (it->is_regular_file(error)) ReadWholeFile(path, snapshot.files[path]);
  }
  return snapshot;
}

TEST(FixtureReports, ScanLeavesEveryFixtureFileAsItWas) {
  if (!DirectoryExists(kFixtures)) GTEST_SKIP() << "fixture folder not found: " << kFixtures;
  const Snapshot before = TakeSnapshot(kFixtures);
  ASSERT_GT(before.files.size(), 100u);
  {
    testing::TempDir dir;
    RunEveryAreaList(dir);
    // Every area was scanned: a report exists for each.
    for (const Area& area : kAreas) {
      bool reported = false;
      for (const AreaList& list : kAreaLists) {
        reported = reported || FileExists(dir.File(ReportName(list, area)));
      }
      EXPECT_TRUE(reported) << area.tag;
    }
  }
  const Snapshot after = TakeSnapshot(kFixtures);
  EXPECT_EQ(after.entries, before.entries);  // nothing created, nothing removed
  for (const auto& [path, contents] : before.files) {
    const auto found = after.files.find(path);
    EXPECT_TRUE(found != after.files.end() && found->second == contents) << path;
  }
}

}  // namespace
}  // namespace tarnik
