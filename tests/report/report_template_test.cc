#include "report/report_template.h"

#include <gtest/gtest.h>

#include <string>

#include "common/clock.h"
#include "common/console.h"
#include "config/echo_group.h"
#include "core/stat_tables.h"
#include "report/report_output.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

const LocalTime kNow{2001, 3, 7, 9, 5, 3, 0};

// "name=[line][line]" per section, one section per line, in list order.
std::string Sections(const ReportTemplate& report) {
  std::string text;
  for (const Section& section : report.sections()) {
    text += section.name + "=";
    for (const std::string& line : section.lines) text += "[" + line + "]";
    text += "\n";
  }
  return text;
}

TEST(ReportTemplate, LoadsSectionsByTheFileRules) {
  struct Case {
    std::string text;
    std::string expected;
  } cases[] = {
      {"#define mainheader\nHello\n#end\n", "mainheader=[Hello]\n"},
      {"#DEFINE  MainHeader  extra words\nx\n#end", "MainHeader=[x]\n"},
      {"\t #define\tt\nx\n#end", "t=[x]\n"},
      {"#define s\na\n\n \nb\n#end\n", "s=[a][ ][b]\n"},
      {"#define s\n;dropped\n ;kept\n#end\n;\n", "s=[ ;kept]\n"},
      {"#define s\nx\n#end \n #end\n#end x\n#END\n", "s=[x][#end ][ #end][#end x]\n"},
      {"#define b\n1\n#end\n#define other\n2\n#end\n#define B\n3\n#end\n", "b=[1][3]\nother=[2]\n"},
      {"#define a\nx\n#define b\ny\n#end\n", "b=[y]\n"},
      {"#define a\nx\n", ""},
      {"#define a\n1\n#end\n#define a\n2\n#define c\n3\n#end\n#define A\n4\n",
       "a=[1][2][4]\nc=[3]\n"},
      {"junk before\n#define a\n1\n#end\nlate junk\n", "a=[1]\n"},
      {"#define a\r\nx \r\n#end\r\n", "a=[x ]\n"},
      {"#define a\n" + std::string(256, 'y') + "\n#end\n", "a=[" + std::string(255, 'y') + "]\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    FixedClock clock(kNow);
    EchoGroup group("ECHO");
    ReportTemplate report(group, clock);
    report.LoadTemplateText(c.text);
    EXPECT_EQ(Sections(report), c.expected);
  }
}

TEST(ReportTemplate, FindSectionFoldsCase) {
  FixedClock clock(kNow);
  EchoGroup group("ECHO");
  ReportTemplate report(group, clock);
  report.LoadTemplateText("#define MainHeader\nx\n#end\n#define \x80\x90\ny\n#end\n");
  ASSERT_NE(report.FindSection("mainheader"), nullptr);
  EXPECT_EQ(report.FindSection("MAINHEADER")->lines.front(), "x");
  ASSERT_NE(report.FindSection("\xA0\xE0"), nullptr);
  EXPECT_EQ(report.FindSection("mainfooter"), nullptr);
}

TEST(ReportTemplate, OpenTemplateJoinsPathAndName) {
  testing::TempDir dir;
  dir.Write("tpl/my.tpl", "#define a\r\nfrom file\r\n#end\r\n");
  dir.Write("top.tpl", "#define b\nx\n#end\n");
  struct Case {
    std::string path;
    std::string name;
    std::string expected;
  } cases[] = {
      {dir.path() + "tpl/", "my.tpl", "a=[from file]\n"},
      {"tpl/", "MY.TPL", "a=[from file]\n"},
      {"tpl\\", "my.tpl", "a=[from file]\n"},
      {"", "top.tpl", "b=[x]\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + c.name);
    FixedClock clock(kNow);
    StringConsole console;
    EchoGroup group("ECHO");
    ReportTemplate report(group, clock);
    ASSERT_TRUE(report.OpenTemplate(c.path, c.name, console));
    EXPECT_TRUE(report.opened());
    report.LoadTemplates();
    EXPECT_EQ(Sections(report), c.expected);
    EXPECT_EQ(console.text(), "");
  }
}

TEST(ReportTemplate, MissingFileNamesTheBareName) {
  testing::TempDir dir;
  FixedClock clock(kNow);
  StringConsole console;
  EchoGroup group("ECHO");
  ReportTemplate report(group, clock);
  EXPECT_FALSE(report.OpenTemplate(dir.path(), "None.Tpl", console));
  EXPECT_FALSE(report.opened());
  EXPECT_EQ(report.fileName(), dir.path() + "None.Tpl");
  EXPECT_EQ(console.text(),
            "done.\r\nUnable to open template file ~None.Tpl~. Using default templates... ");
}

TEST(ReportTemplate, RenderAndExecute) {
  FixedClock clock(kNow);
  StringConsole console;
  EchoGroup group("ECHO");
  ReportTemplate report(group, clock);
  report.LoadTemplateText(
      "#define s\n@assign @x X\n \n@nothing\nvalue @x\n#end\n"
      "#define quiet\n@assign @y Y\ntext\n#end\n#define only\n@nothing\n#end\n");
  ReportOutput output(4);
  output.OpenConsole(console);
  EXPECT_TRUE(report.RenderSection(report.FindSection("s"), output));
  EXPECT_TRUE(report.RenderSection(report.FindSection("only"), output));
  EXPECT_FALSE(report.RenderSection(report.FindSection("none"), output));
  report.ExecuteSection(report.FindSection("quiet"));
  report.ExecuteSection(nullptr);
  output.Close();
  EXPECT_EQ(console.text(), " \r\nvalue X\r\n");
  EXPECT_EQ(report.engine().ProcessLine("@y"), "Y");
}

TEST(ReportTemplate, ReportVariablesFollowTheBuiltInOnes) {
  FixedClock clock(kNow);
  EchoGroup group("ECHO");
  group.echoes.push_back({"MY.ECHO", "S/base/my"});
  group.description = "Mine";
  group.firstDay = DayStat{7, 3, 2001, 1};
  group.messageCount = 12;
  group.personCount = 3;
  group.dayCount = 2;
  group.averagePerDay = 6;
  group.averageDelivery = 5;
  ReportTemplate report(group, clock);
  MacroEngine& engine = report.engine();
  EXPECT_EQ(engine.ProcessLine("@program @version @echo @description"),
            "Tarnik/W32 0.3.4a MY.ECHO Mine");
  EXPECT_EQ(engine.ProcessLine("@statfromday.@statfrommonth.@statfromyear-"
                               "@stattoday.@stattomonth.@stattoyear"),
            "07.03.2001-??.??.????");
  EXPECT_EQ(engine.ProcessLine("@messages @totalusers @days @averagemessages "
                               "@averagedeliveringtime"),
            "12 3 2 6 5");
  std::string names;
  for (std::size_t i = 22; i < engine.Count(); ++i) names += engine.At(i).name + " ";
  EXPECT_EQ(names,
            "@VERSION @PROGRAM @ECHO @DESCRIPTION @STATFROMDAY @STATFROMMONTH @STATFROMYEAR "
            "@STATTODAY @STATTOMONTH @STATTOYEAR @MESSAGES @TOTALUSERS @DAYS @AVERAGEMESSAGES "
            "@AVERAGEDELIVERINGTIME @NUM @USERNAME @USERSIZE @USERQUOTE @SUBJECTLINE "
            "@SUBJECTTOTAL @STATDATEDAY @STATDATEMONTH @STATDATEYEAR @DATEMESSAGES @DAYOFWEEK "
            "@DOWMSGS @USERMESSAGESFROM @USERMESSAGESTO @USERTOTALMESSAGES @USERADDRESS "
            "@LINEDOW @LINEFROM @LINETO @LINESIZE @LINEDAY @LINEBYTOTAL ");
}

TEST(ReportTemplate, ListLineBarLengthComesFromTheSection) {
  FixedClock clock(kNow);
  EchoGroup group("ECHO");
  ReportTemplate report(group, clock);
  report.LoadTemplateText(
      "#define topwriterslist\n@assign @linelength 20\n@username @linefrom\n#end\n"
      "#define topsizeslist\n@assign @linelength @n\n#end\n");
  PersonStat person;
  person.name = "Ivan";
  person.written = 10;
  person.received = 5;
  person.bytes = 10;
  report.SetPersonLine(0, 10, person);
  MacroEngine& engine = report.engine();
  EXPECT_EQ(engine.ProcessLine("@num @username @linefrom"), "1 Ivan " + std::string(20, '\xDC'));
  // No length in topreaderslist: the default 42; the length variable is gone afterwards.
  EXPECT_EQ(engine.ProcessLine("@lineto"), std::string(21, '\xDC'));
  EXPECT_EQ(engine.Find("@linelength"), nullptr);
  // The stored length is read unexpanded: "@n" is not a number, so the bar has length 0.
  report.SetSizeLine(1, 10, person);
  EXPECT_EQ(engine.ProcessLine("@num @linesize"), "2 \xDA");
}

}  // namespace
}  // namespace tarnik
