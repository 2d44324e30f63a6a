#include "app/program.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common/heap_counter.h"
#include "support/base_builder.h"
#include "support/run_binary.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

const std::string kBanner = "Tarnik/W32 v0.3.4a.\r\n";
const std::string kBranch = "\xC3\xC4 ";
const std::string kLast = "\xC0\xC4 ";
const std::string kNoConfiguration = "Loading configuration from \"Tarnik.Cfg\"... \r\n" + kBranch +
                                     "Unable to open configuration file.\r\n" + kLast +
                                     "done.\r\n" + "Usage: Tarnik [<ConfigFile>]\r\n" +
                                     "       ConfigFile - configuration file name.\r\n";

// The lines of a text with Unix line ends, without them.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(HeapCounter, CountsWhatIsNotFreed) {
  std::int64_t before = HeapInUse();
  auto* held = new std::string(1000, 'x');
  std::int64_t during = HeapInUse();
  delete held;
  std::int64_t after = HeapInUse();
  EXPECT_GE(during - before, 1000);
  EXPECT_EQ(after, before);
  EXPECT_EQ(LeakLine(during - before).substr(0, 7), "[Leak: ");
  EXPECT_EQ(LeakLine(0), "");
  EXPECT_EQ(LeakLine(-12), "[Leak: -12 bytes]\r\n");
  EXPECT_EQ(LeakLine(4096), "[Leak: 4096 bytes]\r\n");
}

TEST(Program, MissingConfigurationPrintsUsage) {
  testing::TempDir dir;
  auto run = testing::RunTarnik();
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output, kBanner + kNoConfiguration);
  EXPECT_EQ(run.errors,
            "tarnik: Tarnik.Cfg: cannot open the configuration file: No such file or directory\n");
}

TEST(Program, MissingOrGarbledLanguageFile) {
  testing::TempDir dir;
  std::filesystem::copy_file(TARNIK_BINARY, dir.File("tarnik"));
  dir.Write("Tarnik.Cfg", "define A\nend\n");
  auto run = testing::RunCommand("./tarnik");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output, kBanner + "Unable to open language file!\r\n");
  // One line naming every place looked at: the current directory, beside the program and the
  // installed layout.
  ASSERT_EQ(Lines(run.errors).size(), 1u) << run.errors;
  EXPECT_TRUE(Contains(run.errors, "not found")) << run.errors;
  EXPECT_TRUE(Contains(run.errors, dir.File("Tarnik.Lng"))) << run.errors;
  EXPECT_TRUE(Contains(run.errors, dir.File("../share/tarnik/Tarnik.Lng"))) << run.errors;

  // A file without the signature is rejected the same way, and the line says why.
  dir.Write("Tarnik.Lng", "JUNK");
  run = testing::RunCommand("./tarnik");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output, kBanner + "Unable to open language file!\r\n");
  EXPECT_EQ(run.errors,
            "tarnik: Tarnik.Lng: cannot load the language file: not a compiled language file (no "
            "signature)\n");
}

TEST(Program, ConfigurationMessagesAndGroupLines) {
  testing::TempDir dir;
  dir.Write("my.cfg",
            "byfrom 5\r\n"
            "Bogus value\r\n"
            "define SU.GENERAL\r\n"
            "template t.tpl\r\n"
            "end\r\n"
            "define ~A\r\n"
            "description \"Two groups\"\r\n"
            "end\r\n");
  auto run = testing::RunTarnik("my.cfg ignored.cfg");
  EXPECT_EQ(run.exitCode, 2);
  // Without an area file no echo is imported: each group shows text 30044 with an empty tag,
  // and no report is written, so no line end follows.
  EXPECT_EQ(run.output, kBanner + "Loading configuration from \"my.cfg\"... \r\n" + kBranch +
                            "Area is not defined.\n\r" + kBranch +
                            "Unknown keyword \"Bogus\" at line: 2.\r\n" + kBranch +
                            "Template file name not defined for group [TWO GROUPS].\r\n" +
                            "\xB3  \xC0\xC4 File ~Default.Tpl~ will be used as template file.\r\n" +
                            kLast + "done.\r\n" + "Scanning  " + "Scanning  ");
  EXPECT_EQ(run.output.find("[Leak"), std::string::npos);
  const std::vector<std::string> errors = Lines(run.errors);
  ASSERT_EQ(errors.size(), 3u) << run.errors;
  EXPECT_TRUE(Contains(errors[0], "my.cfg:1: \"byfrom\" outside")) << errors[0];
  EXPECT_TRUE(Contains(errors[1], "my.cfg:2: unknown keyword \"Bogus\"")) << errors[1];
  // The missing AreaFile is told once, not once for every group it leaves empty.
  EXPECT_TRUE(Contains(errors[2], "my.cfg: no AreaFile line")) << errors[2];
}

// A node with one JAM echo that scans cleanly: areas.bbs, the base, an empty template (every
// section in the built-in layout).
void WriteNode(const testing::TempDir& dir) {
  dir.Write("areas.bbs", "!base/echo ECHO\n");
  dir.Write("t.tpl", "");
  std::vector<testing::TestMessage> messages(3);
  for (std::size_t i = 0; i < messages.size(); ++i) {
    messages[i].from = "Writer";
    messages[i].written = testing::At(2024, 3, 1 + static_cast<int>(i));
  }
  ASSERT_TRUE(testing::WriteTestBase("J" + dir.File("base/echo"), messages));
}

// The configuration of WriteNode's echo with one group, lines 1 to 7 unless extra lines
// come before the group.
std::string Config(const std::string& globals, const std::string& groupLines,
                   const std::string& define = "define ECHO\n") {
  return "AreaFile areasbbs areas.bbs\n" + globals + define + "statperiod *\n" + groupLines +
         "template t.tpl\nout r.txt\nend\n";
}

TEST(Program, EveryFailureHasItsStatusAndOneLineOnStandardError) {
  struct Case {
    const char* name;
    std::string config;     // Tarnik.Cfg; empty: none is written
    std::string arguments;  // after the program name
    int exitCode;
    std::string console;             // a console text of the design that stays on standard output
    std::vector<std::string> words;  // what the one standard-error line names
  };
  const Case cases[] = {
      {"clean run", Config("", ""), "", 0, "Scanning ECHO done.\r\n", {}},
      {"no configuration",
       "",
       "",
       1,
       "Unable to open configuration file.",
       {"tarnik: Tarnik.Cfg: ", "No such file or directory"}},
      {"configuration is a directory",
       "",
       "base",
       1,
       "Unable to open configuration file.",
       {"tarnik: base: ", "Is a directory"}},
      {"missing tosser configuration",
       "AreaFile areasbbs nothere.bbs\ndefine ECHO\ntemplate t.tpl\nout r.txt\nend\n",
       "",
       2,
       "fault. Unable to open areas.bbs.",
       {"tarnik: nothere.bbs: ", "No such file or directory"}},
      {"unknown tosser kind",
       "AreaFile crashmale areas.bbs\ndefine ECHO\ntemplate t.tpl\nout r.txt\nend\n",
       "",
       2,
       "Unknown area file type: crashmale\r\n",
       {"AreaFile", "\"crashmale\""}},
      {"base cannot be opened",
       "AreaFile areasbbs gone.bbs\ndefine GONE\ntemplate t.tpl\nout r.txt\nend\n",
       "",
       2,
       "fault: the message base cannot be opened.",
       {"tarnik: GONE: ", "JAM base base/gone", "base/gone.JHR", "not found"}},
      {"report file cannot be created",
       "AreaFile areasbbs areas.bbs\ndefine ECHO\ntemplate t.tpl\nout no/such/dir/r.txt\nend\n",
       "",
       2,
       "fault: unable to create report file ~no/such/dir/r.txt~.",
       {"tarnik: no/such/dir/r.txt: ", "No such file or directory"}},
      {"report file cannot be written",
       "AreaFile areasbbs areas.bbs\ndefine ECHO\ntemplate t.tpl\nout /dev/full\nend\n",
       "",
       2,
       "Scanning ECHO done.\r\n",
       {"tarnik: /dev/full: ", "No space left on device"}},
      {"template missing",
       "AreaFile areasbbs areas.bbs\ndefine ECHO\ntemplate none.tpl\nout r.txt\nend\n",
       "",
       2,
       "Unable to open template file ~none.tpl~",
       {"none.tpl: cannot open the template", "No such file or directory"}},
      {"data file cannot be written",
       Config("datafile no/such/dir/Tarnik.Dat\n", "usedatafile\n"),
       "",
       2,
       "Unable to create the data file.\r\n",
       {"tarnik: no/such/dir/Tarnik.Dat: ", "No such file or directory"}},
      {"misspelt period kind",
       Config("", "", "define ECHO\nstatperiod mnth 1\n"),
       "",
       2,
       "",
       {"tarnik: Tarnik.Cfg:3: ", "statperiod \"mnth 1\"", "month N"}},
      {"period kind in the plural",
       Config("", "", "define ECHO\nstatperiod months 1\n"),
       "",
       2,
       "",
       {"tarnik: Tarnik.Cfg:3: ", "\"months 1\"", "DD.MM[.YYYY]-DD.MM[.YYYY]"}},
      {"ISO date",
       Config("", "", "define ECHO\nstatperiod 2024-03-01\n"),
       "",
       2,
       "",
       {"tarnik: Tarnik.Cfg:3: ", "\"2024-03-01\""}},
      {"blank in a range",
       Config("", "", "define ECHO\nstatperiod 01.03.2024 - 31.03.2024\n"),
       "",
       2,
       "",
       {"tarnik: Tarnik.Cfg:3: ", "without blanks"}},
      {"count not a number",
       Config("", "", "define ECHO\nstatperiod month one\n"),
       "",
       2,
       "",
       {"tarnik: Tarnik.Cfg:3: ", "\"month one\"", "not a number"}},
      {"unbalanced pattern",
       Config("", "", "define ECHO ^SM\\.(SQ\n"),
       "",
       2,
       "",
       {"tarnik: Tarnik.Cfg:2: ", "\"^SM\\.(SQ\"", "unmatched ()"}},
      {"counted repetition",
       Config("", "", "define ECHO SU.{1,3}\n"),
       "",
       2,
       "",
       {"tarnik: Tarnik.Cfg:2: ", "\"SU.{1,3}\"", "counted repetition"}},
      {"letter class",
       Config("", "", "define ECHO \\w+\n"),
       "",
       2,
       "",
       {"tarnik: Tarnik.Cfg:2: ", "\"\\w+\"", "letter W"}},
      {"missing end",
       "AreaFile areasbbs areas.bbs\ndefine ECHO\ntemplate t.tpl\n",
       "",
       2,
       "",
       {"tarnik: Tarnik.Cfg:2: ", "\"ECHO\"", "no \"end\""}},
      {"unknown keyword",
       Config("Bogus value\n", ""),
       "",
       2,
       "Unknown keyword \"Bogus\" at line: 2.\r\n",
       {"tarnik: Tarnik.Cfg:2: ", "unknown keyword \"Bogus\""}},
      {"list length not a number",
       Config("", "byfrom ten\n"),
       "",
       2,
       "",
       {"tarnik: Tarnik.Cfg:4: ", "\"byfrom\"", "\"ten\""}},
      {"group selects no echo",
       Config("", "", "define ^NOSUCH$\n"),
       "",
       2,
       "Scanning  ",
       {"tarnik: Tarnik.Cfg:2: ", "\"^NOSUCH$\"", "selects no echo"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    WriteNode(dir);
    dir.Write("gone.bbs", "!base/gone GONE\n");
    if (!c.config.empty()) dir.Write("Tarnik.Cfg", c.config);
    auto run = testing::RunTarnik(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_TRUE(Contains(run.output, c.console)) << run.output;
    EXPECT_EQ(run.output.rfind(kBanner, 0), 0u) << run.output;
    if (c.words.empty()) {
      EXPECT_EQ(run.errors, "");
      continue;
    }
    ASSERT_EQ(Lines(run.errors).size(), 1u) << run.errors;
    EXPECT_EQ(run.errors.back(), '\n');
    for (const std::string& word : c.words) {
      EXPECT_TRUE(Contains(run.errors, word)) << word << " in " << run.errors;
    }
  }
}

TEST(Program, BaseWithoutReadPermissionSaysSo) {
  testing::TempDir dir;
  WriteNode(dir);
  dir.Write("Tarnik.Cfg", Config("", ""));
  std::filesystem::permissions(dir.File("base/echo.JHR"), std::filesystem::perms::none);
  if (std::FILE* file = std::fopen(dir.File("base/echo.JHR").c_str(), "rb")) {
    std::fclose(file);
    GTEST_SKIP() << "permissions do not bind this user";
  }
  auto run = testing::RunTarnik();
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(Contains(run.output, "fault: the message base cannot be opened.")) << run.output;
  EXPECT_TRUE(Contains(run.errors, "tarnik: ECHO: ")) << run.errors;
  EXPECT_TRUE(Contains(run.errors, "Permission denied")) << run.errors;
}

TEST(Program, HelpAndVersionGoToStandardOutputAndReadNothing) {
  struct Case {
    const char* arguments;
    std::string start;  // of standard output
  } cases[] = {
      {"--help", "Usage: tarnik [-h] [-V] [-q] [--] [ConfigFile]\n"},
      {"-h", "Usage: tarnik [-h] [-V] [-q] [--] [ConfigFile]\n"},
      {"-q -h", "Usage: tarnik"},
      {"--version", "Tarnik/W32 v0.3.4a\n"},
      {"-V", "Tarnik/W32 v0.3.4a\n"},
      {"nothere.cfg --version", "Tarnik/W32 v0.3.4a\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    testing::TempDir dir;
    auto run = testing::RunTarnik(c.arguments);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output.rfind(c.start, 0), 0u) << run.output;
    EXPECT_FALSE(Contains(run.output, "Loading configuration")) << run.output;
    EXPECT_EQ(run.errors, "");
  }
  testing::TempDir dir;
  const std::string help = testing::RunTarnik("--help").output;
  for (const char* word : {"--quiet", "--version", "Exit status", "standard error"}) {
    EXPECT_TRUE(Contains(help, word)) << word;
  }
  EXPECT_EQ(testing::RunTarnik("-V").output, "Tarnik/W32 v0.3.4a\n");
}

TEST(Program, UnknownOptionGivesAUsageLineAndStatusOne) {
  struct Case {
    const char* arguments;
    const char* named;
  } cases[] = {
      {"-x", "'-x'"},
      {"--bogus", "'--bogus'"},
      {"-qx", "'-x'"},
      {"-xq", "'-x'"},
      {"--quiet=1", "'--quiet=1'"},
      {"my.cfg --bogus", "'--bogus'"},
      {"--help --bogus", "'--bogus'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    testing::TempDir dir;
    auto run = testing::RunTarnik(c.arguments);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, "");
    ASSERT_EQ(Lines(run.errors).size(), 1u) << run.errors;
    EXPECT_EQ(run.errors.rfind("tarnik: ", 0), 0u) << run.errors;
    EXPECT_TRUE(Contains(run.errors, c.named)) << run.errors;
    EXPECT_TRUE(Contains(run.errors, "Usage: tarnik [-h] [-V] [-q] [--] [ConfigFile]"))
        << run.errors;
  }
}

TEST(Program, DoubleDashEndsTheOptions) {
  testing::TempDir dir;
  auto run = testing::RunTarnik("-- -odd.cfg");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(Contains(run.output, "Loading configuration from \"-odd.cfg\"... \r\n"))
      << run.output;
  EXPECT_TRUE(Contains(run.errors, "tarnik: -odd.cfg: ")) << run.errors;
  // An option may also follow the configuration file.
  run = testing::RunTarnik("-odd.cfg");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(Contains(run.errors, "'-o'")) << run.errors;
}

TEST(Program, QuietLeavesStandardOutputToTheReport) {
  testing::TempDir dir;
  WriteNode(dir);
  dir.Write("file.cfg", Config("", "bydays\nbyfrom 5\n"));
  dir.Write("stdout.cfg",
            "AreaFile areasbbs areas.bbs\ndefine ECHO\nstatperiod *\nbydays\n"
            "byfrom 5\ntemplate t.tpl\nend\n");
  auto toFile = testing::RunTarnik("file.cfg");
  ASSERT_EQ(toFile.exitCode, 0) << toFile.errors;
  const std::string report = dir.Read("r.txt");
  ASSERT_TRUE(Contains(report, " Messages ................ 3")) << report;

  // Without -q the report shares standard output with the console texts.
  auto loud = testing::RunTarnik("stdout.cfg");
  EXPECT_EQ(loud.exitCode, 0);
  EXPECT_TRUE(Contains(loud.output, report));
  EXPECT_TRUE(Contains(loud.output, "Scanning ECHO ")) << loud.output;

  for (const char* arguments : {"-q stdout.cfg", "--quiet stdout.cfg", "stdout.cfg -q"}) {
    SCOPED_TRACE(arguments);
    auto run =
        testing::RunCommand(testing::ShellQuote(TARNIK_BINARY) + " " + arguments + " > quiet.txt");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errors, "");
    EXPECT_TRUE(dir.Read("quiet.txt") == report);
  }

  // Quiet, a report with a file of its own leaves standard output empty; problems still reach
  // standard error and the exit status.
  auto quiet = testing::RunTarnik("-q file.cfg");
  EXPECT_EQ(quiet.exitCode, 0);
  EXPECT_EQ(quiet.output, "");
  quiet = testing::RunTarnik("-q nothere.cfg");
  EXPECT_EQ(quiet.exitCode, 1);
  EXPECT_EQ(quiet.output, "");
  EXPECT_TRUE(Contains(quiet.errors, "tarnik: nothere.cfg: ")) << quiet.errors;
}

}  // namespace
}  // namespace tarnik
