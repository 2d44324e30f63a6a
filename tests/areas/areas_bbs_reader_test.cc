#include "areas/areas_bbs_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "areas/area_test_support.h"
#include "common/console.h"
#include "common/file_system.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::AreaLanguage;
using testing::ExpectLineOffers;
using testing::LineCase;
using testing::RecordingSink;

TEST(AreasBbsReader, AreaLines) {
  const LineCase cases[] = {
      {"$C:\\MAIL\\SU_GEN SU.GENERAL 2:5020/1 2:5020/2", "SU.GENERAL SC:/MAIL/SU_GEN A\n"},
      {"!jam/talk Local.Talk", "Local.Talk Jjam/talk A\n"},
      {"msg/talk MSG.TALK 2:5020/1", "MSG.TALK Fmsg/talk A\n"},
      {"Pwhatever PASS.THRU 2:5020/1", ""},
      {"P", ""},
      // A lower-case "p" is no pass-through mark: the whole word is the directory.
      {"pmsg TAG", "TAG Fpmsg A\n"},
      // The usual first line (origin and sysop) is offered like any other; patterns decide.
      {"Default origin ! Test Sysop", "origin FDefault A\n"},
      {"$", " S A\n"},
      {"$path", " Spath A\n"},
      // Only spaces separate words: a tab stays inside the word.
      {"msg\tTAG", " Fmsg\tTAG A\n"},
      {" msg  TAG  ", "TAG Fmsg A\n"},
  };
  ExpectLineOffers(cases, [] { return AreasBbsReader(AreaLanguage()); });
}

TEST(AreasBbsReader, SkipsCommentsAndWritesItsMessages) {
  testing::TempDir dir;
  dir.Write("AREAS.BBS",
            "; comment\r\n% comment\r\n/ comment\r\n\r\n ;indented TAG1\r\n$sq/a A.ECHO\r\n"
            "!jm/b B.ECHO");
  LanguageTable language = AreaLanguage();
  AreasBbsReader reader(language);
  RecordingSink sink;
  StringConsole console;
  reader.Read(dir.File("areas.bbs"), sink, console);
  EXPECT_EQ(sink.text, "TAG1 F;indented A\nA.ECHO Ssq/a A\nB.ECHO Jjm/b A\n");
  EXPECT_EQ(console.text(), "Loading echo definitions from areas.bbs... done.\r\n");
}

TEST(AreasBbsReader, MissingFileWritesTheFailureOnly) {
  testing::TempDir dir;
  AreasBbsReader reader(AreaLanguage());
  RecordingSink sink;
  StringConsole console;
  reader.Read(dir.File("areas.bbs"), sink, console);
  EXPECT_EQ(sink.text, "");
  EXPECT_EQ(console.text(),
            "Loading echo definitions from areas.bbs... fault. Unable to open areas.bbs.\r\n");
}

TEST(AreasBbsReader, LongLinesAreCutAt255Bytes) {
  testing::TempDir dir;
  std::string path(250, 'p');
  dir.Write("areas.bbs",
            path + " ABCD\n" + path + " ABCDEFGHIJ\n" + std::string(300, 'x') + " LOST\n");
  AreasBbsReader reader(AreaLanguage());
  RecordingSink sink;
  StringConsole console;
  reader.Read(dir.File("areas.bbs"), sink, console);
  EXPECT_EQ(sink.text,
            "ABCD F" + path + " A\nABCD F" + path + " A\n F" + std::string(255, 'x') + " A\n");
}

TEST(AreasBbsReader, RealFiles) {
  const std::string root = TARNIK_FIXTURES_DIR;
  if (!DirectoryExists(root)) GTEST_SKIP() << "fixture folder " << root << " is absent";
  struct Case {
    std::string file;
    std::string expected;
  } cases[] = {
      {"crashmail/areas.bbs",
       "origin FDefault A\n"
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
      {"smapi/areas.bbs",
       "smapi FHusky A\n"
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
    AreasBbsReader reader(AreaLanguage());
    RecordingSink sink;
    StringConsole console;
    reader.Read(root + "/" + c.file, sink, console);
    EXPECT_EQ(sink.text, c.expected);
    EXPECT_EQ(console.text(), "Loading echo definitions from areas.bbs... done.\r\n");
  }
}

}  // namespace
}  // namespace tarnik
