#include "app/program.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/heap_counter.h"
#include "support/run_binary.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

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

}  // namespace
}  // namespace tarnik
