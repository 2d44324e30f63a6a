#include "areas/squish_config_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "areas/area_test_support.h"
#include "common/console.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::ExpectLineOffers;
using testing::LineCase;
using testing::RecordingSink;

TEST(SquishConfigReader, AreaLines) {
  const LineCase cases[] = {
      {"EchoArea su.general c:\\sq\\sugen -$ 2:5020/1", "SU.GENERAL Sc:/sq/sugen A\n"},
      {"echoarea A p", "A Fp A\n"},
      {"BADAREA BAD bad", "BAD Fbad A\n"},
      {"NetArea NET net", "NET Fnet A\n"},
      {"DupeArea DUPES dupes -$", "DUPES Sdupes A\n"},
      {"LocalArea LOC loc\t-$", "LOC Sloc A\n"},
      {"\tEchoArea\tTAB\tpath", "TAB Fpath A\n"},
      // "-$" with anything after it (a size limit) is a Squish base; "-$g" sets the group.
      {"EchoArea T p -$m500", "T Sp A\n"},
      {"EchoArea T p -$ -$gB", "T Sp B\n"},
      {"EchoArea T p -$gB", "T Sp B\n"},
      {"EchoArea T p -$gB -$gC", "T Sp C\n"},
      {"EchoArea T p -$gBXYZ", "T Sp B\n"},
      // Options are case-sensitive: a capital G is no group option, but still "-$".
      {"EchoArea T p -$GB", "T Sp A\n"},
      {"EchoArea T p -$g", "T Sp A\n"},
      {"EchoArea T p -p2:5020/1 -x", "T Fp A\n"},
      // Pass-through areas are skipped whatever else they say.
      {"EchoArea T p -$ -0", ""},
      {"EchoArea T p -0x", ""},
      // Options start at word 4: a path that looks like an option is still the path.
      {"EchoArea T -0", "T F-0 A\n"},
      {"EchoArea", " F A\n"},
      {"EchoAreas T p", ""},
      {"Origin my node", ""},
      {"# EchoArea T p", ""},
  };
  ExpectLineOffers(cases, [] { return SquishConfigReader(); });
}

TEST(SquishConfigReader, EachLineStartsAfresh) {
  testing::TempDir dir;
  dir.Write("squish.cfg",
            "; EchoArea COMMENT p -$\n"
            "EchoArea ONE one -$gB -$\n"
            "EchoArea TWO two\n"
            "EchoArea THREE three -0\n"
            "EchoArea FOUR four\n");
  SquishConfigReader reader;
  RecordingSink sink;
  StringConsole console;
  reader.Read(dir.File("SQUISH.CFG"), sink, console);
  EXPECT_EQ(sink.text, "ONE Sone B\nTWO Ftwo A\nFOUR Ffour A\n");
  EXPECT_EQ(console.text(), "Loading echo definitions from ParToss config... done.\r\n");
}

TEST(SquishConfigReader, MissingFile) {
  testing::TempDir dir;
  SquishConfigReader reader;
  RecordingSink sink;
  StringConsole console;
  reader.Read(dir.File("squish.cfg"), sink, console);
  EXPECT_EQ(sink.text, "");
  EXPECT_EQ(console.text(),
            "Loading echo definitions from ParToss config... fault. Error opening config.\r\n");
}

}  // namespace
}  // namespace tarnik
