#include "areas/fidoconfig_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "areas/area_test_support.h"
#include "common/console.h"
#include "common/environment.h"
#include "common/file_system.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::ExpectLineOffers;
using testing::LineCase;
using testing::RecordingSink;

TEST(FidoconfigReader, AreaLines) {
  const LineCase cases[] = {
      {"EchoArea su.general /fido/sugen -b Squish", "SU.GENERAL S/fido/sugen A\n"},
      {"EchoArea T p -b squish", "T Sp A\n"},
      {"EchoArea T p -B SQUISH", "T Sp A\n"},
      {"EchoArea T p -b Jam", "T Jp A\n"},
      {"EchoArea T p -b JAM -a 2:5020/1", "T Jp A\n"},
      {"EchoArea T p -b Msg", "T Fp A\n"},
      {"EchoArea T p", "T Fp A\n"},
      {"EchoArea T p -b", "T Fp A\n"},
      {"EchoArea T p -b Hudson", "T Fp A\n"},
      // The last "-b" counts.
      {"EchoArea T p -b Jam -b Squish", "T Sp A\n"},
      {"EchoArea T p -b Squish -b msg", "T Fp A\n"},
      {"EchoArea T p -b -b jam", "T Jp A\n"},
      // "-b" counts only from word 4 on.
      {"EchoArea T -b squish", "T F-b A\n"},
      {"BadArea BAD bad -b Msg", "BAD Fbad A\n"},
      {"NetArea N n", "N Fn A\n"},
      {"DupeArea D d -b jam", "D Jd A\n"},
      {"LocalArea L l\t-b\tsquish", "L Sl A\n"},
      {"c:\\fido\\x", ""},
      {"NetmailArea NETMAIL n -b Msg", ""},
      {"# EchoArea T p", ""},
      {"EchoArea T c:\\fido\\t -b Squish -p", "T Sc:/fido/t A\n"},
      // fidoconfig has no pass-through rule: a "passthrough" path is offered as written.
      {"EchoArea T passthrough", "T Fpassthrough A\n"},
  };
  ExpectLineOffers(cases, [] { return FidoconfigReader(); });
}

TEST(ReadFidoconfig, TakesTheFileFromTheEnvironment) {
  testing::TempDir dir;
  dir.Write("fido/config", "EchoArea one a -b jam\nEchoArea two b\n");
  struct Case {
    std::string variable;
    std::string expectedConsole;
    std::string expectedAreas;
  } cases[] = {
      {dir.File("fido/config"), "Loading echo definitions from fidoconfig... done.\r\n",
       "ONE Ja A\nTWO Fb A\n"},
      {dir.File("fido/missing"),
       "Loading echo definitions from fidoconfig... fault. Error opening config.\r\n", ""},
      {"", "Fidoconfig environment is not defined!", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variable);
    MapEnvironment environment(
        c.variable.empty() ? std::map<std::string, std::string>{}
                           : std::map<std::string, std::string>{{"FIDOCONFIG", c.variable}});
    RecordingSink sink;
    StringConsole console;
    ReadFidoconfig(environment, sink, console);
    EXPECT_EQ(console.text(), c.expectedConsole);
    EXPECT_EQ(sink.text, c.expectedAreas);
  }
}

TEST(FidoconfigReader, RealFiles) {
  const std::string root = TARNIK_FIXTURES_DIR;
  if (!DirectoryExists(root)) GTEST_SKIP() << "fixture folder " << root << " is absent";
  struct Case {
    std::string file;
    std::string expected;
  } cases[] = {
      {"crashmail/fidoconfig",
       "CM.JAM.TALK Jcrashmail/jam/cmjamtalk A\n"
       "CM.JAM.SMALL Jcrashmail/jam/CM_JAM_SMALL A\n"
       "CM.JAM.LINKED Jcrashmail/jam/linked A\n"
       "CM.JAM.MAINT Jcrashmail/jam/maint A\n"
       "CM.JAM.PACKED Jcrashmail/jam/packed A\n"
       "CM.MSG.TALK Fcrashmail/msg/talk A\n"
       "CM.MSG.PLAIN Fcrashmail/msg/plain A\n"
       "CM.MSG.MAINT Fcrashmail/msg/maint A\n"
       "CM.MSG.PACKED Fcrashmail/msg/packed A\n"
       "BAD Fcrashmail/msg/bad A\n"},
      {"smapi/fidoconfig",
       "SM.SQ.TALK Ssmapi/squish/smsqtalk A\n"
       "SM.SQ.SMALL Ssmapi/squish/SMALL A\n"
       "SM.SQ.KILLED Ssmapi/squish/killed A\n"
       "SM.JAM.TALK Jsmapi/jam/smjamtalk A\n"
       "SM.JAM.KILLED Jsmapi/jam/killed A\n"
       "SM.MSG.TALK Fsmapi/msg/talk A\n"
       "SM.MSG.KILLED Fsmapi/msg/killed A\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    MapEnvironment environment({{"FIDOCONFIG", root + "/" + c.file}});
    RecordingSink sink;
    StringConsole console;
    ReadFidoconfig(environment, sink, console);
    EXPECT_EQ(sink.text, c.expected);
    EXPECT_EQ(console.text(), "Loading echo definitions from fidoconfig... done.\r\n");
  }
}

}  // namespace
}  // namespace tarnik
