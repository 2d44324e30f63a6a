#include "app/program.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/charset.h"
#include "common/heap_counter.h"
#include "support/base_builder.h"
#include "support/run_binary.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::TestMessage;

const std::string kBanner = "Tarnik/W32 v0.3.4a.\r\n";
const std::string kBranch = "\xC3\xC4 ";
const std::string kLast = "\xC0\xC4 ";

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
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, kBanner + "Loading configuration from \"Tarnik.Cfg\"... \r\n" + kBranch +
                            "Unable to open configuration file.\r\n" + kLast + "done.\r\n" +
                            "Usage: Tarnik [<ConfigFile>]\r\n" +
                            "       ConfigFile - configuration file name.\r\n");
}

TEST(Program, MissingLanguageFile) {
  testing::TempDir dir;
  std::filesystem::copy_file(TARNIK_BINARY, dir.File("tarnik"));
  dir.Write("Tarnik.Cfg", "define A\nend\n");
  auto run = testing::RunCommand("./tarnik");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, kBanner + "Unable to open language file!\r\n");
  // A file without the signature is rejected the same way.
  dir.Write("Tarnik.Lng", "JUNK");
  EXPECT_EQ(testing::RunCommand("./tarnik").output, kBanner + "Unable to open language file!\r\n");
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
  EXPECT_EQ(run.exitCode, 0);
  // Without an area file no echo is imported: each group shows text 30044 with an empty tag,
  // and no report is written, so no line end follows.
  EXPECT_EQ(run.output, kBanner + "Loading configuration from \"my.cfg\"... \r\n" + kBranch +
                            "Area is not defined.\n\r" + kBranch +
                            "Unknown keyword \"Bogus\" at line: 2.\r\n" + kBranch +
                            "Template file name not defined for group [TWO GROUPS].\r\n" +
                            "\xB3  \xC0\xC4 File ~Default.Tpl~ will be used as template file.\r\n" +
                            kLast + "done.\r\n" + "Scanning  " + "Scanning  ");
  EXPECT_EQ(run.output.find("[Leak"), std::string::npos);
}

TEST(Program, ConsoleInTheLocaleCharset) {
  ASSERT_NE(testing::RunCommand("{ locale -a | grep -ixE 'c\\.utf-?8'; }").output, "")
      << "the C.UTF-8 locale is missing (the locales package provides it)";
  testing::TempDir dir;
  TestMessage cp866;
  cp866.from = "\x88\xA2\xA0\xAD";  // «Иван» in code page 866, no kludge
  TestMessage utf8;
  utf8.from = "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD";
  utf8.lines = {
      "\x01"
      "CHRS: UTF-8 4",
      "text"};
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("base/echo"), {cp866, utf8}));
  dir.Write("areas.bbs", "$base/echo ECHO\n");
  const std::string groups =
      "Bogus\n"
      "AreaFile areasbbs areas.bbs\n"
      "define ECHO\n"
      "statperiod *\n"
      "byfrom 5\n"
      "template none.tpl\n"
      "end\n";

  // Without Charset the program writes code page 866; a UTF-8 locale sees it converted.
  dir.Write("Tarnik.Cfg", groups);
  const auto c = testing::RunTarnik();
  const auto utf = testing::RunTarnik("", "LC_ALL=C.UTF-8");
  EXPECT_NE(c.output.find(kBranch + "Unknown keyword"), std::string::npos);
  EXPECT_NE(c.output.find("\x88\xA2\xA0\xAD "), std::string::npos);
  EXPECT_EQ(utf.output, CharsetConverter("CP866", "UTF-8").Convert(c.output));
  EXPECT_TRUE(IsValidUtf8(utf.output));

  // With Charset UTF-8 everything after that line is UTF-8 already, in either locale.
  dir.Write("Tarnik.Cfg", "Charset UTF-8\n" + groups);
  const auto c8 = testing::RunTarnik();
  const auto utf8Run = testing::RunTarnik("", "LC_ALL=C.UTF-8");
  EXPECT_EQ(c8.output, utf8Run.output);
  EXPECT_TRUE(IsValidUtf8(c8.output));
  EXPECT_NE(c8.output.find("\xE2\x94\x9C\xE2\x94\x80 Unknown keyword"), std::string::npos);
  EXPECT_NE(c8.output.find("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD "), std::string::npos);
  EXPECT_EQ(c8.output.find("[Leak"), std::string::npos);
  EXPECT_EQ(utf.output.find("[Leak"), std::string::npos);
}

}  // namespace
}  // namespace tarnik
