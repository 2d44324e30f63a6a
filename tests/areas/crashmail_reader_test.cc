#include "areas/crashmail_reader.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "areas/area_test_support.h"
#include "common/clock.h"
#include "common/console.h"
#include "common/diagnostics.h"
#include "common/environment.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::RecordingSink;

TEST(PrefsWords, SplitsAsCrashmailDoes) {
  struct Case {
    std::string line;
    std::string expected;  // each word in brackets
  } cases[] = {
      {"AREA \"CM.TALK\" 2:5020/1 JAM \"/fido/cm talk\"",
       "[AREA][CM.TALK][2:5020/1][JAM][/fido/cm talk]"},
      {"  area\tx  \t y ", "[area][x][y]"},
      {"\"\" x", "[][x]"},
      {"a \"never closed", "[a][never closed]"},
      {"a\\ b c", "[a b][c]"},
      {"\"q \\\" x\"", "[q \" x]"},
      {"a\\", "[a\\]"},
      {"x\"y z", "[x\"y][z]"},
      {"\"a\"b c", "[a][b][c]"},
      {"", ""},
      {" \t ", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::string rendered;
    for (const std::string& word : PrefsWords(c.line)) rendered += "[" + word + "]";
    EXPECT_EQ(rendered, c.expected);
  }
}

TEST(CrashmailReader, AreasItOffersAndSkips) {
  struct Case {
    const char* name;
    std::string prefs;
    std::string expectedAreas;
    std::string expectedErrors;
  } cases[] = {
      {"quotes, keywords and base types in any case, the group of the area before",
       "AKA 2:5020/9999\n"
       "AREA \"CM.JAM\" 2:5020/9999 JAM \"/fido/cm jam\"\n"
       "EXPORT %2:5020/1\n"
       "GROUP B\n"
       "area cm.msg 2:5020/9999 msg fido\\cm.msg\n"
       "DESCRIPTION \"the msg area\"\n"
       "group c\n"
       "\tArea\tLAST 2:5020/9999 Jam last",
       // crashmail takes the character after a backslash as it is.
       "CM.JAM J/fido/cm jam B\ncm.msg Ffidocm.msg C\nLAST Jlast A\n", ""},
      {"BAD and local areas are offered",
       "AREA \"BAD\" 2:5020/9999 MSG \"bad\"\nLOCALAREA \"LOC.TALK\" 2:5020/9999 JAM \"loc\"\n"
       "GROUP L\n",
       "BAD Fbad A\nLOC.TALK Jloc L\n", ""},
      {"netmail, pass-through, templates, unconfirmed and untagged areas are not",
       "NETMAIL \"NETMAIL\" 2:5020/9999 MSG \"net\"\n"
       "GROUP N\n"
       "AREA \"PASS\" 2:5020/9999\n"
       "AREA \"DEFAULT\" 2:5020/9999 JAM \"%a\"\n"
       "AREA \"DEFAULT_AB\" 2:5020/9999 JAM \"%a\"\n"
       "AREA default_c 2:5020/9999 JAM %l\n"
       "AREA \"NEW\" 2:5020/9999 JAM \"new\"\n"
       "GROUP B\n"
       "UNCONFIRMED\n"
       "AREA \"\" 2:5020/9999 JAM \"empty\"\n"
       "AREA \"DEFAULTS\" 2:5020/9999 JAM \"defaults\"\n",
       "DEFAULTS Jdefaults A\n", ""},
      {"comments, and keywords that are no area",
       "; AREA \"X\" 2:5020/9999 JAM \"x\"\n"
       "SYSOP \"Area Sysop\"\n"
       "AREAFIXNAME \"AREA\"\n"
       "AREALIST 2:5020/1 \"/fido/list\" GROUP A FORWARD\n",
       "", ""},
      {"groups: a letter in either case, the first of a longer word, the last line",
       "GROUP early\nAREA A 1:1/1 JAM a\nGROUP x\nAREA B 1:1/1 JAM b\nGROUP XYZ\n"
       "AREA C 1:1/1 JAM c\nGROUP d\nGROUP e\n",
       "A Ja X\nB Jb X\nC Jc E\n", ""},
      {"groups that are no letters are reported and leave the group",
       "AREA A 1:1/1 JAM a\nGROUP 1\nAREA B 1:1/1 JAM b\nGROUP B2\nAREA C 1:1/1 JAM c\nGROUP\n",
       "A Ja A\nB Jb A\nC Jc A\n",
       "tarnik: prefs:2: invalid group \"1\" (a letter A-Z); area A keeps group A\n"
       "tarnik: prefs:4: invalid group \"B2\" (a letter A-Z); area B keeps group A\n"
       "tarnik: prefs:6: invalid group \"\" (a letter A-Z); area C keeps group A\n"},
      {"unknown base types and missing paths are reported",
       "AREA \"HUD\" 2:5020/9999 HUDSON \"1\"\nGROUP B\nAREA \"SQ\" 2:5020/9999 SQUISH sq\n"
       "AREA \"NOPATH\" 2:5020/9999 JAM\nAREA \"OK\" 2:5020/9999 MSG ok\n",
       "OK Fok A\n",
       "tarnik: prefs:1: unknown message base type \"HUDSON\"; area HUD is not read\n"
       "tarnik: prefs:3: unknown message base type \"SQUISH\"; area SQ is not read\n"
       "tarnik: prefs:4: no path after the message base type; area NOPATH is not read\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    dir.Write("prefs", c.prefs);
    StringConsole console;
    StringConsole errors;
    Diagnostics diagnostics(errors);
    CrashmailReader reader(diagnostics);
    RecordingSink sink;
    reader.Read("prefs", sink, console, diagnostics);
    EXPECT_EQ(sink.text, c.expectedAreas);
    EXPECT_EQ(errors.text(), c.expectedErrors);
    EXPECT_EQ(console.text(), "Loading echo definitions from crashmail config... done.\r\n");
  }
}

TEST(ReadCrashmail, TheFileGivenThenCmconfigfileThenCrashmailPrefs) {
  struct Case {
    const char* name;
    std::string given;
    std::map<std::string, std::string> variables;
    std::vector<std::string> files;  // each holds one area named after the file
    std::string expectedAreas;
    std::string expectedConsole;
    std::string expectedErrors;
  } cases[] = {
      {"the file given",
       "mine.prefs",
       {{"CMCONFIGFILE", "env.prefs"}},
       {"mine.prefs", "env.prefs", "crashmail.prefs"},
       "mine.prefs Jx A\n",
       "Loading echo definitions from crashmail config... done.\r\n",
       ""},
      {"then CMCONFIGFILE",
       "",
       {{"CMCONFIGFILE", "env.prefs"}},
       {"env.prefs", "crashmail.prefs"},
       "env.prefs Jx A\n",
       "Loading echo definitions from crashmail config... done.\r\n",
       ""},
      {"then crashmail.prefs in the current directory",
       "",
       {},
       {"crashmail.prefs"},
       "crashmail.prefs Jx A\n",
       "Loading echo definitions from crashmail config... done.\r\n",
       ""},
      {"a missing file",
       "",
       {},
       {},
       "",
       "Loading echo definitions from crashmail config... fault. Error opening config.\r\n",
       "tarnik: crashmail.prefs: cannot open the tosser configuration: No such file or "
       "directory; no echo imported\n"},
      {"a missing file given with backslashes",
       "cm\\mine.prefs",
       {},
       {"crashmail.prefs"},
       "",
       "Loading echo definitions from crashmail config... fault. Error opening config.\r\n",
       "tarnik: cm/mine.prefs: cannot open the tosser configuration: No such file or "
       "directory; no echo imported\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    for (const std::string& file : c.files) {
      dir.Write(file, "AREA \"" + file + "\" 2:5020/9999 JAM x\n");
    }
    MapEnvironment environment(c.variables);
    StringConsole console;
    StringConsole errors;
    Diagnostics diagnostics(errors);
    FixedClock clock(LocalTime{});
    RecordingSink sink;
    ReadCrashmail(c.given, sink, Services{console, clock, environment, diagnostics});
    EXPECT_EQ(sink.text, c.expectedAreas);
    EXPECT_EQ(console.text(), c.expectedConsole);
    EXPECT_EQ(errors.text(), c.expectedErrors);
  }
}

}  // namespace
}  // namespace tarnik
