#include "areas/fidoconfig_reader.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "areas/area_test_support.h"
#include "common/clock.h"
#include "common/console.h"
#include "common/diagnostics.h"
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
      // Pass-through areas hold no base.
      {"EchoArea T passthrough", ""},
      {"EchoArea T PassThrough -b Jam", ""},
      {"EchoArea T p -b Jam -pass", ""},
      {"LocalArea T p -PASS", ""},
      {"EchoArea T p passthrough", "T Fp A\n"},
      // Group names.
      {"EchoArea T p -g B", "T Fp B\n"},
      {"EchoArea T p -G b -b jam", "T Jp b\n"},
      {"EchoArea T p -g 7", "T Fp 7\n"},
      {"EchoArea T p -g B -g C", "T Fp C\n"},
      {"EchoArea T p -g Local", "T Fp  \n"},
      {"EchoArea T p -g", "T Fp A\n"},
      // Values of options are never read as options.
      {"EchoArea T p -d \"-b jam\" -b squish", "T Sp A\n"},
      {"EchoArea T p -b squish -d \"-b jam\"", "T Sp A\n"},
      {"EchoArea T p -d \"a -b jam -g X -pass z\"", "T Fp A\n"},
      {"EchoArea T p -d \"one\" -b jam", "T Jp A\n"},
      {"EchoArea T p -d -pass -b jam", "T Jp A\n"},
      {"EchoArea T p -d \"never closed -b jam", "T Fp A\n"},
      {"EchoArea T p -g -b -b jam", "T Jp  \n"},
      {"EchoArea T p -a -b -b jam", "T Jp A\n"},
      {"EchoArea T p -p -pass -$m -b -lr -g -lw -pass", "T Fp A\n"},
      {"EchoArea T p -dupeCheck -pass -dupeHistory -pass -scan -pass", "T Fp A\n"},
      {"EchoArea T p -tooOld -pass -tooNew -pass -b jam", "T Jp A\n"},
  };
  StringConsole errors;
  Diagnostics diagnostics(errors);
  ExpectLineOffers(cases, [&diagnostics] { return FidoconfigReader(diagnostics); });
}

TEST(FidoconfigReader, ReportsBaseTypesAndGroupsItCannotRead) {
  struct Case {
    std::string line;
    std::string expected;
  } cases[] = {
      {"EchoArea T p -b Hudson",
       "tarnik: cfg:7: unknown message base type \"Hudson\" after "
       "\"-b\"; read as *.MSG\n"},
      {"EchoArea T p -b", "tarnik: cfg:7: \"-b\" without a message base type; read as *.MSG\n"},
      {"EchoArea T p -b -g A",
       "tarnik: cfg:7: \"-b\" without a message base type; read as *.MSG\n"},
      {"EchoArea T p -g", "tarnik: cfg:7: \"-g\" without a group name\n"},
      {"EchoAreaDefaults -b Hudson",
       "tarnik: cfg:7: unknown message base type \"Hudson\" after "
       "\"-b\"; read as *.MSG\n"},
      {"EchoArea T p -b msg -g Local", ""},
      {"EchoArea T p -d \"-b hudson\"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    StringConsole errors;
    Diagnostics diagnostics(errors);
    FidoconfigReader reader(diagnostics);
    RecordingSink sink;
    reader.ReadLine(c.line, sink, "cfg:7");
    EXPECT_EQ(errors.text(), c.expected);
  }
}

// Lines read in order by one reader; "|" separates them.
TEST(FidoconfigReader, EchoAreaDefaults) {
  struct Case {
    std::string lines;
    std::string expected;
  } cases[] = {
      {"EchoAreaDefaults -b Jam -g B|EchoArea T p|LocalArea L l", "T Jp B\nL Jl B\n"},
      // Not for the bad, net and dupe areas.
      {"EchoAreaDefaults -b Jam -g B|BadArea B b|NetArea N n|DupeArea D d",
       "B Fb A\nN Fn A\nD Fd A\n"},
      // The area line wins.
      {"EchoAreaDefaults -b Jam -g B|EchoArea T p -b squish -g C|EchoArea U u -b msg",
       "T Sp C\nU Fu B\n"},
      // Until the next EchoAreaDefaults, which replaces them all.
      {"EchoAreaDefaults -b Jam -g B|EchoArea T p|EchoAreaDefaults -b Squish|EchoArea U u",
       "T Jp B\nU Su A\n"},
      // Off, in any case, or empty.
      {"EchoAreaDefaults -b Jam|EchoAreaDefaults OFF|EchoArea T p", "T Fp A\n"},
      {"EchoAreaDefaults -b Jam|echoareadefaults off|EchoArea T p", "T Fp A\n"},
      {"EchoAreaDefaults -b Jam|EchoAreaDefaults|EchoArea T p", "T Fp A\n"},
      // Pass-through defaults, written either way; nothing undoes them.
      {"EchoAreaDefaults passthrough|EchoArea T p -b jam|LocalArea L|BadArea B b", "B Fb A\n"},
      {"EchoAreaDefaults -pass -g B|EchoArea T /fido/t -b Squish|EchoAreaDefaults off|"
       "EchoArea U u",
       "U Fu A\n"},
      // Option values in the defaults are no options either.
      {"EchoAreaDefaults -d \"-b jam -pass\" -a 2:5020/1|EchoArea T p", "T Fp A\n"},
      // Defaults do not change the design's reading of lines before them.
      {"EchoArea T p -b jam|EchoAreaDefaults -b squish|EchoArea U u", "T Jp A\nU Su A\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    StringConsole errors;
    Diagnostics diagnostics(errors);
    FidoconfigReader reader(diagnostics);
    RecordingSink sink;
    std::string_view rest = c.lines;
    while (!rest.empty()) {
      std::size_t bar = rest.find('|');
      reader.ReadLine(rest.substr(0, bar), sink);
      rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
    }
    EXPECT_EQ(sink.text, c.expected);
    EXPECT_EQ(errors.text(), "");
  }
}

struct ReadResult {
  std::string console;
  std::string areas;
  std::string errors;
};

ReadResult Read(const std::string& fileName, const std::map<std::string, std::string>& variables,
                const std::string& root = "") {
  MapEnvironment environment(variables);
  StringConsole console;
  StringConsole errors;
  Diagnostics diagnostics(errors);
  FixedClock clock(LocalTime{});
  RecordingSink sink;
  ReadFidoconfig(fileName, sink, Services{console, clock, environment, diagnostics}, root);
  return {console.text(), sink.text, errors.text()};
}

TEST(FindFidoconfig, TheFileGivenThenTheVariableThenTheUsualPlaces) {
  struct Case {
    const char* name;
    std::vector<std::string> existing;  // below the root
    std::string given;
    std::string variable;
    std::string expected;  // "@" is the root
  } cases[] = {
      {"the file given wins", {"etc/fido/config"}, "my/config", "/env/config", "my/config"},
      {"then the variable, existing or not", {"etc/fido/config"}, "", "/env/config", "/env/config"},
      {"then /etc/fido/config",
       {"etc/fido/config", "usr/local/etc/fido/config"},
       "",
       "",
       "@/etc/fido/config"},
      {"then /usr/local/etc/fido/config",
       {"usr/local/etc/fido/config"},
       "",
       "",
       "@/usr/local/etc/fido/config"},
      {"a directory is no file", {"etc/fido/config/x"}, "", "", ""},
      {"else nothing", {}, "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    const std::string root = dir.File("root");
    for (const std::string& name : c.existing) dir.Write("root/" + name, "EchoArea X x\n");
    MapEnvironment environment(
        c.variable.empty() ? std::map<std::string, std::string>{}
                           : std::map<std::string, std::string>{{"FIDOCONFIG", c.variable}});
    std::string expected = c.expected;
    if (!expected.empty() && expected[0] == '@') expected = root + expected.substr(1);
    EXPECT_EQ(FindFidoconfig(c.given, environment, root), expected);
    EXPECT_EQ(FindFidoconfig(c.given, environment, root + "/"), expected);
  }
}

TEST(ReadFidoconfig, MessagesForEachFile) {
  testing::TempDir dir;
  dir.Write("fido/config", "EchoArea one a -b jam\nEchoArea two b\n");
  dir.Write("other", "EchoArea three c -b squish\n");
  dir.Write("root/etc/fido/config", "EchoArea four d\n");
  struct Case {
    std::string given;
    std::string variable;
    std::string root;
    ReadResult expected;
  } cases[] = {
      {"",
       dir.File("fido/config"),
       "",
       {"Loading echo definitions from fidoconfig... done.\r\n", "ONE Ja A\nTWO Fb A\n", ""}},
      {"other",
       dir.File("fido/config"),
       "",
       {"Loading echo definitions from fidoconfig... done.\r\n", "THREE Sc A\n", ""}},
      {"",
       "",
       dir.File("root"),
       {"Loading echo definitions from fidoconfig... done.\r\n", "FOUR Fd A\n", ""}},
      {"",
       dir.File("fido/missing"),
       "",
       {"Loading echo definitions from fidoconfig... fault. Error opening config.\r\n", "",
        "tarnik: " + dir.File("fido/missing") +
            ": cannot open the tosser configuration: No such file or directory; no echo "
            "imported\n"}},
      {"fido\\missing",
       "",
       "",
       {"Loading echo definitions from fidoconfig... fault. Error opening config.\r\n", "",
        "tarnik: fido/missing: cannot open the tosser configuration: No such file or "
        "directory; no echo imported\n"}},
      {"",
       "",
       dir.File("nothing"),
       {"Fidoconfig environment is not defined!", "",
        "tarnik: FIDOCONFIG: not set, and neither /etc/fido/config nor "
        "/usr/local/etc/fido/config exists; no echo imported\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.given + " " + c.variable + " " + c.root);
    ReadResult result =
        Read(c.given,
             c.variable.empty() ? std::map<std::string, std::string>{}
                                : std::map<std::string, std::string>{{"FIDOCONFIG", c.variable}},
             c.root);
    EXPECT_EQ(result.console, c.expected.console);
    EXPECT_EQ(result.areas, c.expected.areas);
    EXPECT_EQ(result.errors, c.expected.errors);
  }
}

TEST(ReadFidoconfig, AHuskyNodeSplitOverSeveralFiles) {
  testing::TempDir dir;
  dir.Write("etc/fido/config",
            "# main configuration\n"
            "Sysop Test Sysop\n"
            "Address 2:5020/9999\n"
            "set FIDO=[BASE]/etc/fido\n"
            "include [FIDO]/links\n"
            "if [module]==hpt\n"
            "  include [FIDO]/hpt-only\n"
            "elseif [module]==tarnik\n"
            "  include [FIDO]/areas\n"
            "endif\n"
            "NetmailArea NETMAIL /var/fido/net -b Squish\n"
            "BadArea BAD /var/fido/bad -b Squish\n");
  dir.Write("etc/fido/links", "Link Uplink\nAka 2:5020/1\n");
  dir.Write("etc/fido/areas",
            "EchoAreaDefaults -b Jam -g R -dupeCheck move\n"
            "EchoArea RU.LINUX /var/fido/ru.linux 2:5020/1\n"
            "EchoArea RU.FIDO /var/fido/ru.fido -d \"FidoNet -b squish\" 2:5020/1\n"
            "EchoArea RU.BIG passthrough 2:5020/1\n"
            "EchoAreaDefaults -b Squish -g L\n"
            "LocalArea LOCAL.TALK /var/fido/talk\n"
            "EchoArea LOCAL.RAW /var/fido/raw -b msg -g Local \\\n"
            "   -d \"continued\"\n"
            "EchoAreaDefaults OFF\n"
            "EchoArea SU.PASS /var/fido/su.pass -pass\n"
            "EchoArea SU.TEST /var/fido/su.test # the rest is a comment -b jam\n");
  ReadResult result =
      Read("", {{"FIDOCONFIG", dir.File("etc/fido/config")}, {"BASE", dir.path() + "."}});
  EXPECT_EQ(result.console, "Loading echo definitions from fidoconfig... done.\r\n");
  EXPECT_EQ(result.areas,
            "RU.LINUX J/var/fido/ru.linux R\n"
            "RU.FIDO J/var/fido/ru.fido R\n"
            "LOCAL.TALK S/var/fido/talk L\n"
            "LOCAL.RAW F/var/fido/raw  \n"
            "SU.TEST F/var/fido/su.test A\n"
            "BAD S/var/fido/bad A\n");
  EXPECT_EQ(result.errors, "");
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
    ReadResult result = Read("", {{"FIDOCONFIG", root + "/" + c.file}});
    EXPECT_EQ(result.areas, c.expected);
    EXPECT_EQ(result.console, "Loading echo definitions from fidoconfig... done.\r\n");
    EXPECT_EQ(result.errors, "");
  }
}

}  // namespace
}  // namespace tarnik
