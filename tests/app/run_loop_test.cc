#include <gtest/gtest.h>

#include <filesystem>

#include "app/stat_app.h"
#include "common/charset.h"
#include "common/file_lock.h"
#include "common/file_system.h"
#include "config/data_file.h"
#include "support/base_builder.h"
#include "support/run_binary.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::At;
using testing::TestMessage;

std::vector<TestMessage> Messages(int count) {
  std::vector<TestMessage> messages(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    messages[static_cast<std::size_t>(i)].from = "Writer " + std::to_string(i % 3);
    messages[static_cast<std::size_t>(i)].written = At(2024, 3, 1 + i);
  }
  return messages;
}

// The lines of a text with Unix line ends, without them.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// The "Messages" figure of a report in the built-in layout.
std::string MessagesLine(const std::string& report) {
  std::size_t at = report.find(" Messages ....");
  if (at == std::string::npos) return "<none>";
  return report.substr(at, report.find("\r\n", at) - at);
}

const std::string kConfig =
    "AreaFile areasbbs areas.bbs\n"
    "define ECHO\n"
    "usedatafile\n"
    "statperiod *\n"
    "template none.tpl\n"
    "out report.txt\n"
    "end\n";

TEST(RunLoop, DataFileResumesAtTheStoredNumberAndRescansAPurgedBase) {
  testing::TempDir dir;
  dir.Write("Tarnik.Cfg", kConfig);
  dir.Write("areas.bbs", "$base/echo my.echo 2:5020/1\r\n");
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("base/echo"), Messages(5)));

  auto first = testing::RunTarnik();
  EXPECT_EQ(MessagesLine(dir.Read("report.txt")), " Messages ................ 5");
  auto entries = LoadDataFile(dir.File("Tarnik.Dat"));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "MY.ECHO");
  EXPECT_EQ(entries[0].lastHigh, 5u);

  // Two new messages: the scan starts at the stored number, so message 5 is counted again.
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("base/echo"), Messages(7)));
  testing::RunTarnik();
  EXPECT_EQ(MessagesLine(dir.Read("report.txt")), " Messages ................ 3");
  EXPECT_EQ(LoadDataFile(dir.File("Tarnik.Dat"))[0].lastHigh, 7u);

  // The base was purged to fewer numbers than stored: the whole base is scanned.
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("base/echo"), Messages(2)));
  testing::RunTarnik();
  EXPECT_EQ(MessagesLine(dir.Read("report.txt")), " Messages ................ 2");
  EXPECT_EQ(LoadDataFile(dir.File("Tarnik.Dat"))[0].lastHigh, 2u);
}

TEST(RunLoop, ConsoleOfAWholeRun) {
  testing::TempDir dir;
  dir.Write("Tarnik.Cfg",
            "AreaFile areasbbs areas.bbs\n"
            "define ^ONE$\n"
            "template none.tpl\n"
            "statperiod 01.01.1990-02.01.1990\n"  // nothing in the period: still a report
            "out one.txt\n"
            "end\n"
            "define ^MISSING$\n"
            "template none.tpl\n"
            "out missing.txt\n"
            "end\n"
            "define ONE TWO\n"
            "description \"Both\"\n"
            "template none.tpl\n"
            "out no/such/dir/both.txt\n"
            "end\n");
  dir.Write("areas.bbs", "$base/one ONE\n$base/two TWO\n$base/gone MISSING\n");
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("base/one"), Messages(2)));
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("base/two"), Messages(1)));

  auto run = testing::RunTarnik();
  // The console is the design's; each of the three problems gets one line on standard error
  // naming the file or echo and the reason, and the exit status says the run had problems.
  EXPECT_EQ(run.exitCode, 2);
  const std::vector<std::string> errors = Lines(run.errors);
  ASSERT_EQ(errors.size(), 3u) << run.errors;
  EXPECT_EQ(errors[0], "tarnik: " + dir.File("none.tpl") +
                           ": cannot open the template: No such file or directory; the built-in "
                           "layout is used");
  EXPECT_EQ(errors[1].rfind("tarnik: MISSING: ", 0), 0u) << errors[1];
  EXPECT_NE(errors[1].find("Squish base base/gone: base/gone.SQD: not found"), std::string::npos)
      << errors[1];
  EXPECT_EQ(errors[2].rfind("tarnik: no/such/dir/both.txt: ", 0), 0u) << errors[2];
  EXPECT_NE(errors[2].find("No such file or directory"), std::string::npos) << errors[2];
  EXPECT_EQ(run.output,
            "Tarnik/W32 v0.3.4a.\r\n"
            "Loading configuration from \"Tarnik.Cfg\"... \r\n"
            "\xC0\xC4 done.\r\n"
            "Loading echo definitions from areas.bbs... done.\r\n"
            "Scanning ONE done.\r\n"
            "Unable to open template file ~none.tpl~. Using default templates... done.\r\n"
            "Scanning MISSING fault: the message base cannot be opened.\r\n"
            "Scanning Both fault: unable to create report file ~no/such/dir/both.txt~.\r\n");
  EXPECT_NE(MessagesLine(dir.Read("one.txt")), "<none>");
  EXPECT_EQ(MessagesLine(dir.Read("one.txt")), " Messages ................ 0");
  EXPECT_FALSE(FileExists(dir.File("missing.txt")));
  // No group uses the data file and none existed: none is written.
  EXPECT_FALSE(FileExists(dir.File("Tarnik.Dat")));
}

// «Иван Петров» in UTF-8, code page 866 and KOI8-R.
const std::string kIvanUtf8 =
    "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD \xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2";
const std::string kIvanCp866 = "\x88\xA2\xA0\xAD \x8F\xA5\xE2\xE0\xAE\xA2";
const std::string kIvanKoi8 = "\xE9\xD7\xC1\xCE \xF0\xC5\xD4\xD2\xCF\xD7";

// The lines of the built-in top writers list of a report.
std::vector<std::string> TopWriterLines(const std::string& report) {
  std::vector<std::string> lines;
  std::size_t at = report.find("\r\n  1 ");
  while (at != std::string::npos && report.compare(at + 2, 2, "  ") == 0) {
    std::size_t end = report.find("\r\n", at + 2);
    lines.push_back(report.substr(at + 2, end - at - 2));
    at = end;
  }
  return lines;
}

TEST(RunLoop, MixedCharsetsMakeOnePersonPerWriter) {
  std::vector<TestMessage> messages(5);
  messages[0].from = kIvanCp866;  // no kludge: code page 866
  messages[1].from = kIvanUtf8;
  messages[1].lines = {
      "\x01"
      "CHRS: UTF-8 4",
      "text"};
  messages[2].from = kIvanKoi8;
  messages[2].lines = {
      "\x01"
      "CHRS: KOI8-R 2",
      "text"};
  messages[3].from = "Mike";
  messages[3].lines = {
      "\x01"
      "CHRS: UTF-8 4",
      "text"};
  messages[4].from = kIvanUtf8;
  messages[4].lines = {
      "\x01"
      "CHRS: UTF-8 4",
      "text"};
  const std::string group =
      "AreaFile areasbbs areas.bbs\n"
      "define ECHO\n"
      "statperiod *\n"
      "byfrom 10\n"
      "template empty.tpl\n"
      "out report.txt\n"
      "end\n";
  struct Case {
    std::string charsetLine;
    std::string ivan;
  } cases[] = {{"", kIvanCp866}, {"Charset UTF-8\n", kIvanUtf8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.charsetLine);
    testing::TempDir dir;
    dir.Write("Tarnik.Cfg", c.charsetLine + group);
    dir.Write("areas.bbs", "$base/echo ECHO\n");
    dir.Write("empty.tpl", "");  // no sections: the built-in layout
    ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("base/echo"), messages));
    auto run = testing::RunTarnik();
    EXPECT_EQ(run.exitCode, 0);
    const std::string report = dir.Read("report.txt");
    const std::vector<std::string> writers = TopWriterLines(report);
    ASSERT_EQ(writers.size(), 2u);
    const TextMeasure measure = c.charsetLine.empty() ? TextMeasure::kBytes : TextMeasure::kUtf8;
    // The name column is 23 columns wide whatever the bytes.
    EXPECT_EQ(writers[0].substr(0, PrefixBytes(writers[0], 34, measure)),
              "  1 " + c.ivan + std::string(12, ' ') + "      4");
    EXPECT_EQ(writers[1].substr(0, 34), "  2 Mike" + std::string(19, ' ') + "      1");
    if (measure == TextMeasure::kUtf8) {
      EXPECT_TRUE(IsValidUtf8(report));
      // And by the system's own strict decoder.
      EXPECT_EQ(
          testing::RunCommand("iconv -f UTF-8 -t UTF-16 report.txt >/dev/null && echo ok").output,
          "ok\n");
    }
  }
}

TEST(RunLoop, ScanLeavesTheBaseFilesUntouched) {
  testing::TempDir dir;
  dir.Write("Tarnik.Cfg", kConfig);
  dir.Write("areas.bbs", "$base/echo ECHO\n");
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("base/echo"), Messages(4)));
  std::string sqd = dir.Read("base/echo.SQD");
  std::string sqi = dir.Read("base/echo.SQI");
  ASSERT_FALSE(sqd.empty());
  testing::RunTarnik();
  EXPECT_EQ(dir.Read("base/echo.SQD"), sqd);
  EXPECT_EQ(dir.Read("base/echo.SQI"), sqi);
  EXPECT_EQ(ListFiles(dir.File("base"), "*.*").size(), 2u);
}

// The files of a directory (not its subdirectories), sorted, one name per line.
std::string FileNames(const testing::TempDir& dir) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path(), error)) {
    if (entry.is_regular_file(error)) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  std::string out;
  for (const std::string& name : names) out += name + "\n";
  return out;
}

// The echo of kConfig with its template, which uses the built-in layout throughout.
void WriteEcho(const testing::TempDir& dir) {
  dir.Write("areas.bbs", "$base/echo my.echo 2:5020/1\r\n");
  dir.Write("none.tpl", "");
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("base/echo"), Messages(5)));
}

// The report used to be emptied and written in place: a full disk left it at 0 bytes while
// the console said "done." and the run ended as a success. A file-size limit stands in for
// the full disk here; the write of the new report fails with it as with a full one.
TEST(RunLoop, AReportThatCannotBeWrittenLeavesTheOldOne) {
  testing::TempDir dir;
  std::string config = kConfig;
  config.insert(config.find("end\n"), "bytime\nbydays\n");
  dir.Write("Tarnik.Cfg", config);
  WriteEcho(dir);
  ASSERT_EQ(testing::RunTarnik().exitCode, 0);
  ASSERT_GT(dir.Read("report.txt").size(), 2048u);
  const std::string lastMonth = "last month's report\r\n";
  dir.Write("report.txt", lastMonth);
  // 1 KB in the 512-byte blocks of sh; without the signal ignored the limit would kill.
  auto run =
      testing::RunCommand("trap '' XFSZ; ulimit -f 2; exec " + testing::ShellQuote(TARNIK_BINARY));
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(dir.Read("report.txt"), lastMonth);
  EXPECT_EQ(run.errors,
            "tarnik: report.txt: cannot write the report file: File too large; the previous "
            "report is kept\n");
  EXPECT_NE(
      run.output.find("Scanning my.echo fault: unable to write report file ~report.txt~.\r\n"),
      std::string::npos)
      << run.output;
  EXPECT_EQ(FileNames(dir),
            "Tarnik.Cfg\nTarnik.Dat\nTarnik.Dat.lock\nareas.bbs\nnone.tpl\nreport.txt\n");

  // A report on standard output that cannot take it is told too.
  dir.Write("Tarnik.Cfg", "AreaFile areasbbs areas.bbs\ndefine ECHO\ntemplate none.tpl\nend\n");
  run = testing::RunCommand(testing::ShellQuote(TARNIK_BINARY) + " >/dev/full");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.errors.find(
                "tarnik: standard output: cannot write the report of group \"Echomail areas\": No "
                "space left on device\n"),
            std::string::npos)
      << run.errors;

  // "Out /dev/full" used to end with "done." and status 0; a device is written in place, so
  // there is no previous report to keep.
  dir.Write("Tarnik.Cfg",
            "AreaFile areasbbs areas.bbs\ndefine ECHO\ntemplate none.tpl\nout /dev/full\nend\n");
  run = testing::RunTarnik();
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.errors,
            "tarnik: /dev/full: cannot write the report file: No space left on device\n");
  EXPECT_NE(run.output.find("fault: unable to write report file ~/dev/full~.\r\n"),
            std::string::npos)
      << run.output;
}

// A run killed while it wrote leaves "<name>.tmp<pid>" beside the data file or a report; the
// next run that writes them removes those of processes that are gone.
TEST(RunLoop, TemporaryFilesOfAKilledRunAreRemoved) {
  testing::TempDir dir;
  dir.Write("Tarnik.Cfg", kConfig);
  WriteEcho(dir);
  dir.Write("Tarnik.Dat.tmp2147483000", "half a data file");
  dir.Write("report.txt.tmp2147483000", "half a report");
  auto run = testing::RunTarnik();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(FileNames(dir),
            "Tarnik.Cfg\nTarnik.Dat\nTarnik.Dat.lock\nareas.bbs\nnone.tpl\nreport.txt\n");
  EXPECT_EQ(MessagesLine(dir.Read("report.txt")), " Messages ................ 5");
}

// A second run started while one still runs (a slow run overlapping the next from cron) used
// to read and rewrite the data file beside it. It waits for the lock a while, then ends with
// status 1 having changed nothing. The test holds the lock as the first run would.
TEST(RunLoop, ASecondRunWaitsForTheLockThenGivesUp) {
  testing::TempDir dir;
  dir.Write("Tarnik.Cfg", kConfig);
  WriteEcho(dir);
  FileLock firstRun;
  std::string reason;
  ASSERT_EQ(firstRun.Take(dir.File("Tarnik.Dat.lock"), 0, reason), FileLock::Result::kTaken);

  auto run = testing::RunTarnik("", "TARNIK_LOCK_WAIT=0");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.errors,
            "tarnik: Tarnik.Dat.lock: another run of tarnik still holds the lock after 0 s; this "
            "run does nothing\n");
  EXPECT_EQ(run.output.find("Scanning"), std::string::npos) << run.output;
  EXPECT_EQ(FileNames(dir), "Tarnik.Cfg\nTarnik.Dat.lock\nareas.bbs\nnone.tpl\n");

  run = testing::RunTarnik("", "TARNIK_LOCK_WAIT=1");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.errors,
            "tarnik: Tarnik.Dat.lock: warning: another run of tarnik holds the lock; waiting up "
            "to 1 s\n"
            "tarnik: Tarnik.Dat.lock: another run of tarnik still holds the lock after 1 s; this "
            "run does nothing\n");
  EXPECT_EQ(FileNames(dir), "Tarnik.Cfg\nTarnik.Dat.lock\nareas.bbs\nnone.tpl\n");

  firstRun.Release();
  run = testing::RunTarnik("", "TARNIK_LOCK_WAIT=0");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(MessagesLine(dir.Read("report.txt")), " Messages ................ 5");
  ASSERT_EQ(LoadDataFile(dir.File("Tarnik.Dat")).size(), 1u);
}

TEST(LockWaitSeconds, WholeSecondsOrTheDefault) {
  struct Case {
    const char* value;
    int seconds;
  };
  const Case cases[] = {{"", 60},   {"0", 0},   {"5", 5},   {"600", 600},       {"abc", 60},
                        {"-3", 60}, {"5s", 60}, {" 5", 60}, {"99999999999", 60}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(LockWaitSeconds(c.value), c.seconds);
  }
}

// A configuration, tosser configuration, template or language file that is a pipe used to
// read as empty without a word ("tarnik <(cat Tarnik.Cfg)" loaded nothing): each is read to
// its end and gives the report the files give.
TEST(RunLoop, InputsFromPipesAreReadToTheirEnd) {
  testing::TempDir dir;
  WriteEcho(dir);
  dir.Write("t.tpl", "#define mainheader\nReport of @echo from the template\n#end\n");
  const std::string config = kConfig;
  const std::string files = "AreaFile areasbbs areas.bbs\n";
  ASSERT_EQ(config.rfind(files, 0), 0u);
  std::string withTemplate = config;
  withTemplate.replace(withTemplate.find("none.tpl"), 8, "t.tpl");
  dir.Write("Tarnik.Cfg", withTemplate);
  ASSERT_EQ(testing::RunTarnik().exitCode, 0);
  const std::string expected = dir.Read("report.txt");
  ASSERT_NE(expected.find("Report of my.echo from the template"), std::string::npos);

  std::string fromFifos = "AreaFile areasbbs areas.fifo\n" + withTemplate.substr(files.size());
  fromFifos.replace(fromFifos.find("t.tpl"), 5, "t.fifo");
  dir.Write("fifo.cfg", fromFifos);
  const std::string tarnik = testing::ShellQuote(TARNIK_BINARY);
  struct Case {
    const char* name;
    std::string command;
  };
  const Case cases[] = {
      {"configuration", "bash -c " + testing::ShellQuote("exec " + tarnik + " <(cat Tarnik.Cfg)")},
      // The writers open the FIFOs under the timeout too: a run that never reads one must
      // fail the test, not leave a writer blocked in open holding the test's output.
      {"tosser configuration, template and language file",
       "rm -f areas.fifo t.fifo Tarnik.Lng && mkfifo areas.fifo t.fifo Tarnik.Lng && "
       "{ timeout 60 sh -c 'cat areas.bbs >areas.fifo' & "
       "timeout 60 sh -c 'cat t.tpl >t.fifo' & timeout 60 sh -c " +
           testing::ShellQuote("cat " + testing::ShellQuote(TARNIK_LANGUAGE_FILE) +
                               " >Tarnik.Lng") +
           " & } && " + tarnik + " fifo.cfg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(dir.File("report.txt"));
    std::filesystem::remove(dir.File("Tarnik.Dat"));
    auto run = testing::RunCommand(c.command);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(dir.Read("report.txt"), expected);
  }
}

// A configuration, tosser configuration or template that never ends (/dev/zero named by
// mistake) used to run forever at full CPU; one larger than 64 MB is refused by name.
TEST(RunLoop, InputsThatNeverEndAreRefused) {
  struct Case {
    const char* name;
    std::string config;
    std::string arguments;
    int exitCode;
    std::string error;
  };
  const std::string tooLarge = "more than 67108864 bytes, the most a text file may have";
  const Case cases[] = {
      {"configuration", kConfig, "/dev/zero", 1,
       "tarnik: /dev/zero: cannot open the configuration file: " + tooLarge + "\n"},
      {"tosser configuration", "AreaFile areasbbs /dev/zero\n" + kConfig.substr(28), "", 2,
       "tarnik: /dev/zero: cannot open the tosser configuration: " + tooLarge +
           "; no echo imported\n"},
      {"template",
       "AreaFile areasbbs areas.bbs\ntemplatepath /dev/\ndefine ECHO\ntemplate zero\n"
       "out report.txt\nend\n",
       "", 2,
       "tarnik: /dev/zero: cannot open the template: " + tooLarge +
           "; the built-in layout is used\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    WriteEcho(dir);
    dir.Write("Tarnik.Cfg", c.config);
    auto run = testing::RunTarnik(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.errors, c.error);
  }
}

}  // namespace
}  // namespace tarnik
