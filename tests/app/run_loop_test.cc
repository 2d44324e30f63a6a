#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tarnik
