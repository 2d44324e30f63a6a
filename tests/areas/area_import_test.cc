#include "areas/area_import.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "areas/area_test_support.h"
#include "common/clock.h"
#include "common/console.h"
#include "common/diagnostics.h"
#include "common/environment.h"
#include "common/file_system.h"
#include "config/echo_group.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::AreaLanguage;

// "group: TAG SPEC, TAG SPEC" per group, one line each.
std::string Render(const std::vector<std::unique_ptr<EchoGroup>>& groups) {
  std::string text;
  for (const std::unique_ptr<EchoGroup>& group : groups) {
    text += group->tagPatterns + ":";
    for (const EchoEntry& entry : group->echoes) text += " " + entry.tag + " " + entry.areaSpec;
    text += "\n";
  }
  return text;
}

std::vector<std::unique_ptr<EchoGroup>> Groups(std::initializer_list<const char*> patterns) {
  std::vector<std::unique_ptr<EchoGroup>> groups;
  for (const char* p : patterns) groups.push_back(std::make_unique<EchoGroup>(p));
  return groups;
}

struct Result {
  std::string console;
  std::string groups;
  std::string errors;
};

Result Import(std::string_view kind, const std::string& path,
              std::initializer_list<const char*> patterns,
              const MapEnvironment& environment = MapEnvironment()) {
  auto groups = Groups(patterns);
  StringConsole console;
  StringConsole errors;
  Diagnostics diagnostics(errors);
  FixedClock clock(LocalTime{});
  LanguageTable language = AreaLanguage();
  ImportAreas(kind, path, groups, language, Services{console, clock, environment, diagnostics});
  return {console.text(), Render(groups), errors.text()};
}

TEST(ImportAreas, DispatchesOnTheKindInAnyCase) {
  testing::TempDir dir;
  dir.Write("areas.bbs", "$sq\\one ONE\n!jam\\two TWO\n");
  dir.Write("squish.cfg", "EchoArea one sq\\one -$gB\nEchoArea two jam\\two\n");
  dir.Write("jt.cfg", "Area \"one\"\nBase 1 squish sq\\one\nArea \"two\"\nBase 1 jam jam\\two\n");
  dir.Write("fido", "EchoArea one sq/one -b squish\nEchoArea two jam/two -b jam\n");
  MapEnvironment environment({{"FIDOCONFIG", dir.File("fido")}});
  struct Case {
    std::string kind;
    std::string path;
    std::string console;
    std::string groups;
  } cases[] = {
      {"AreasBBS", "areas.bbs", "Loading echo definitions from areas.bbs... done.\r\n",
       "ONE: ONE Ssq/one\n~B:\n"},
      {"squish", "squish.cfg", "Loading echo definitions from ParToss config... done.\r\n",
       "ONE: ONE Ssq/one\n~B: ONE Ssq/one\n"},
      {"PARTOSS", "squish.cfg", "Loading echo definitions from ParToss config... done.\r\n",
       "ONE: ONE Ssq/one\n~B: ONE Ssq/one\n"},
      {"Jt", "jt.cfg", "Loading echo definitions from JT config... done.\r\n",
       "ONE: ONE Ssq/one\n~B:\n"},
      // fidoconfig ignores the path and reads the environment's file.
      {"FidoConfig", "ignored", "Loading echo definitions from fidoconfig... done.\r\n",
       "ONE: ONE Ssq/one\n~B:\n"},
      {"FastEcho", "missing.cfg",
       "Loading echo definitions from FastEcho config... fault.\r\nUnable to open file "
       "missing.cfg\r\n",
       "ONE:\n~B:\n"},
      {"Squish2", "squish.cfg", "Unknown area file type: Squish2\r\n", "ONE:\n~B:\n"},
      {"", "squish.cfg", "", "ONE:\n~B:\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Result result = Import(c.kind, c.path, {"ONE", "~B"}, environment);
    EXPECT_EQ(result.console, c.console);
    EXPECT_EQ(result.groups, c.groups);
    // Only the failing kinds below have something to tell.
    if (c.kind == "FastEcho" || c.kind == "Squish2") {
      EXPECT_NE(result.errors, "");
    } else {
      EXPECT_EQ(result.errors, "");
    }
  }
}

TEST(ImportAreas, AFailedImportIsToldWithTheFileAndTheReason) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir.File("a-directory"));
  struct Case {
    std::string kind;
    std::string path;
    MapEnvironment environment;
    std::string errors;
  } cases[] = {
      {"areasbbs",
       "nothere.bbs",
       {},
       "tarnik: nothere.bbs: cannot open the tosser configuration: No such file or directory; "
       "no echo imported\n"},
      {"squish",
       "C:\\Squish\\nothere.cfg",
       {},
       "tarnik: C:/Squish/nothere.cfg: cannot open the tosser configuration: No such file or "
       "directory; no echo imported\n"},
      {"jt",
       "a-directory",
       {},
       "tarnik: a-directory: cannot open the tosser configuration: Is a directory; no echo "
       "imported\n"},
      {"fidoconfig",
       "",
       {},
       "tarnik: FIDOCONFIG: not set; \"AreaFile fidoconfig\" needs it to find the fidoconfig "
       "file; no echo imported\n"},
      {"fidoconfig", "",
       MapEnvironment(std::map<std::string, std::string>{{"FIDOCONFIG", "gone/config"}}),
       "tarnik: gone/config: cannot open the tosser configuration: No such file or directory; "
       "no echo imported\n"},
      {"fastecho",
       "nothere.cfg",
       {},
       "tarnik: nothere.cfg: cannot open the tosser configuration: No such file or directory; "
       "no echo imported\n"},
      {"Squish2",
       "x",
       {},
       "tarnik: AreaFile: unknown tosser kind \"Squish2\" (areasbbs, squish, partoss, fastecho, "
       "jt, fidoconfig); no echo imported\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind + " " + c.path);
    Result result = Import(c.kind, c.path, {"ONE"}, c.environment);
    EXPECT_EQ(result.errors, c.errors);
    EXPECT_EQ(result.groups, "ONE:\n");
  }
}

TEST(ImportAreas, OffersEveryAreaToEveryGroupInOrder) {
  testing::TempDir dir;
  dir.Write("areas.bbs", "msg\\a su.general\n$sq\\b RU.GENERAL\nPpass SU.PASS\n$c ECHO.OLD\n");
  Result result =
      Import("areasbbs", dir.File("areas.bbs"), {"GENERAL", "^SU\\. ECHO", "~A", "( [", ""});
  EXPECT_EQ(result.groups,
            "GENERAL: su.general Fmsg/a RU.GENERAL Ssq/b\n"
            "^SU\\. ECHO: su.general Fmsg/a ECHO.OLD Sc\n"
            "~A: su.general Fmsg/a RU.GENERAL Ssq/b ECHO.OLD Sc\n"
            "( [:\n"
            ":\n");
}

TEST(ImportAreas, AreaSpecificationsAreShortStrings) {
  testing::TempDir dir;
  std::string path(255, 'p');
  dir.Write("areas.bbs", path + "\n");
  Result result = Import("areasbbs", dir.File("areas.bbs"), {"$"});
  EXPECT_EQ(result.groups, "$:  F" + path.substr(0, 254) + "\n");
}

TEST(ImportAreas, AreaFilePathWithBackslashes) {
  testing::TempDir dir;
  dir.Write("fe/areas.bbs", "!j TAG\n");
  Result result = Import("areasbbs", "fe\\areas.bbs", {"TAG"});
  EXPECT_EQ(result.groups, "TAG: TAG Jj\n");
}

TEST(ImportAreas, RealFixtureFiles) {
  const std::string root = TARNIK_FIXTURES_DIR;
  if (!DirectoryExists(root)) GTEST_SKIP() << "fixture folder " << root << " is absent";
  Result bbs = Import("areasbbs", root + "/crashmail/areas.bbs", {"^CM\\.JAM\\.", "TALK$"});
  EXPECT_EQ(bbs.groups,
            "^CM\\.JAM\\.: CM.JAM.TALK Jcrashmail/jam/cmjamtalk CM.JAM.SMALL "
            "Jcrashmail/jam/CM_JAM_SMALL CM.JAM.LINKED Jcrashmail/jam/linked CM.JAM.MAINT "
            "Jcrashmail/jam/maint CM.JAM.PACKED Jcrashmail/jam/packed\n"
            "TALK$: CM.JAM.TALK Jcrashmail/jam/cmjamtalk CM.MSG.TALK Fcrashmail/msg/talk\n");
  MapEnvironment environment({{"FIDOCONFIG", root + "/smapi/fidoconfig"}});
  Result fido = Import("fidoconfig", "", {"KILLED"}, environment);
  EXPECT_EQ(fido.groups,
            "KILLED: SM.SQ.KILLED Ssmapi/squish/killed SM.JAM.KILLED Jsmapi/jam/killed "
            "SM.MSG.KILLED Fsmapi/msg/killed\n");
}

}  // namespace
}  // namespace tarnik
