#include "areas/jt_config_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "areas/area_test_support.h"
#include "common/console.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::RecordingSink;

struct Case {
  std::string name;
  std::string config;
  std::string expected;
};

TEST(JtConfigReader, AreaAndBaseLines) {
  const Case cases[] = {
      {"each base kind",
       "Area \"su.general\" 1\n"
       "Base 1 Squish c:\\sq\\sugen\n"
       "Base 2 JAM \"jam\\sugen\"\n"
       "Base 3 Msg msg\n"
       "Base 4 Hudson hmb\n",
       "SU.GENERAL Sc:/sq/sugen A\nSU.GENERAL Jjam/sugen A\nSU.GENERAL Fmsg A\n"
       "SU.GENERAL Fhmb A\n"},
      {"pass-through offers nothing", "Area \"T\"\nBase 1 PassThrough x\nBase 1 squish y\n",
       "T Sy A\n"},
      {"the tag stays until the next area line",
       "AREA \"one\"\nBASE 1 jam a\nsomething else\nArea \"two\"\nbase 1 jam b\n",
       "ONE Ja A\nTWO Jb A\n"},
      {"a tag without quotes is empty", "Area su.general\nBase 1 squish p\n", " Sp A\n"},
      {"a tag may hold blanks", "Area \"my echo\" x\nBase 1 squish p\n", "MY ECHO Sp A\n"},
      {"a base line before any area line", "Base 1 squish p\nArea \"T\"\nBase 1 jam q\n",
       "T Jq A\n"},
      {"a path word is cut at blanks", "Area \"T\"\nBase 1 msg \"c:\\my dir\"\n", "T Fc:/my A\n"},
      {"missing words", "Area \"T\"\nBase\n", "T F A\n"},
      {"comments", "Area \"T\"\n;Base 1 squish a\n#Base 1 squish b\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    dir.Write("jt.cfg", c.config);
    JtConfigReader reader;
    RecordingSink sink;
    StringConsole console;
    reader.Read(dir.File("jt.cfg"), sink, console);
    EXPECT_EQ(sink.text, c.expected);
    EXPECT_EQ(console.text(), "Loading echo definitions from JT config... done.\r\n");
  }
}

TEST(JtConfigReader, MissingFile) {
  testing::TempDir dir;
  JtConfigReader reader;
  RecordingSink sink;
  StringConsole console;
  reader.Read(dir.File("jt.cfg"), sink, console);
  EXPECT_EQ(console.text(),
            "Loading echo definitions from JT config... fault. Error opening config.\r\n");
}

}  // namespace
}  // namespace tarnik
