#include "config/configuration.h"

#include <gtest/gtest.h>

#include "common/console.h"
#include "common/diagnostics.h"
#include "common/file_system.h"
#include "core/language_table.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

const std::string kBranch = "\xC3\xC4 ";
const std::string kLast = "\xC0\xC4 ";
const std::string kSubBranch = "\xB3  \xC0\xC4 ";

LanguageTable Language() {
  LanguageTable table;
  table.Load(EncodeLanguageFile({{30062, "Default groups"}}));
  return table;
}

struct Loaded {
  std::string console;
  std::unique_ptr<Configuration> config;
};

Loaded LoadText(const testing::TempDir& dir, const std::string& text) {
  dir.Write("Tarnik.Cfg", text);
  static const LanguageTable language = Language();
  StringConsole console;
  auto config = std::make_unique<Configuration>("", language, console);
  config->Load();
  return {console.text(), std::move(config)};
}

std::string Opening() { return "Loading configuration from \"Tarnik.Cfg\"... \r\n"; }

TEST(Configuration, MissingFileWritesUsageAndFails) {
  testing::TempDir dir;
  LanguageTable language = Language();
  StringConsole console;
  Configuration config("nothere.cfg", language, console);
  EXPECT_FALSE(config.Load());
  EXPECT_EQ(console.text(), "Loading configuration from \"nothere.cfg\"... \r\n" + kBranch +
                                "Unable to open configuration file.\r\n" + kLast + "done.\r\n" +
                                "Usage: Tarnik [<ConfigFile>]\r\n" +
                                "       ConfigFile - configuration file name.\r\n");
  EXPECT_TRUE(config.groups.empty());
  EXPECT_EQ(config.dataFileName, "Tarnik.Dat");
  EXPECT_EQ(config.templatePath, CurrentDirectory() + "/");
}

TEST(Configuration, ReadsGroupsGlobalsAndDefaults) {
  testing::TempDir dir;
  Loaded loaded = LoadText(dir,
                           "; comment\r\n"
                           "% comment\n"
                           "/ comment\n"
                           "\n"
                           "AreaFile Squish C:\\Squish\\Squish.Cfg\r\n"
                           "DataFile stats\\Tarnik.Dat\n"
                           "TemplatePath tpl\n"
                           "define su.* ~b\tfido.*\n"
                           "description \"Russian  echoes\" extra\n"
                           "statperiod month 2\n"
                           "byfrom 10\n"
                           "byto x\n"
                           "bysubjects -3\n"
                           "bysize 7\n"
                           "bytotal 12\n"
                           "bydays whatever\n"
                           "bytime\n"
                           "bydayofweek\n"
                           "usedatafile\n"
                           "skipmessageifdateaftercurrent\n"
                           "template \"my.tpl\"\n"
                           "out reports\\su.txt\n"
                           "alias Ivan Petrov,\"JOHN\",Doe\n"
                           "end\n");
  EXPECT_EQ(loaded.console, Opening() + kLast + "done.\r\n");
  const Configuration& config = *loaded.config;
  EXPECT_EQ(config.areaFileType, "Squish");
  EXPECT_EQ(config.areaFilePath, "C:/Squish/Squish.Cfg");
  EXPECT_EQ(config.dataFileName, "stats/Tarnik.Dat");
  EXPECT_EQ(config.templatePath, "tpl/");
  EXPECT_EQ(config.lineNumber, 24);
  ASSERT_EQ(config.groups.size(), 1u);
  const EchoGroup& group = *config.groups[0];
  EXPECT_EQ(group.tagPatterns, "SU.* ~B\tFIDO.*");
  EXPECT_EQ(group.description, "Russian  echoes");
  EXPECT_EQ(group.periodKind, 'm');
  EXPECT_EQ(group.periodCount, 2);
  EXPECT_EQ(group.byFrom, 10);
  EXPECT_EQ(group.byTo, 0);
  EXPECT_EQ(group.bySubjects, -3);
  EXPECT_EQ(group.bySize, 7);
  EXPECT_EQ(group.byTotal, 12);
  EXPECT_TRUE(group.byDays && group.byTime && group.byDayOfWeek && group.useDataFile &&
              group.skipFutureMessages);
  EXPECT_EQ(group.templateName, "my.tpl");
  EXPECT_EQ(group.outputName, "reports/su.txt");
  EXPECT_EQ(group.aliases, (std::vector<std::string>{"Ivan Petrov", "john", "doe"}));
}

TEST(Configuration, MessagesForBadLinesCarryTheirOwnLineEnds) {
  testing::TempDir dir;
  Loaded loaded = LoadText(dir,
                           "out before.txt\n"
                           "byfrom 3\n"
                           "bysize 3\n"
                           " ;indented\n"
                           "frobnicate  now\n"
                           "\t\n"
                           "define\n"
                           "define \"\"\n"
                           "define A\n"
                           "end\n"
                           "usedatafile\n"
                           "description \"After\"\n");
  EXPECT_EQ(loaded.console, Opening() + kBranch + "Area is not defined.\n\r" + kBranch +
                                "Area is not defined.\n\r" + kBranch + "Area is not defined.\r\n" +
                                kBranch + "Unknown keyword \";indented\" at line: 4.\r\n" +
                                kBranch + "Unknown keyword \"frobnicate\" at line: 5.\r\n" +
                                kBranch + "Unknown keyword \"\t\" at line: 6.\r\n" + kBranch +
                                "Echotag is not defined at line 7.\n\r" + kBranch +
                                "Echotag is not defined at line 8.\n\r" + kBranch +
                                "Template file name not defined for group [].\r\n" + kSubBranch +
                                "File ~Default.Tpl~ will be used as template file.\r\n" + kBranch +
                                "Area is not defined.\r\n" + kBranch + "Area is not defined.\n\r" +
                                kLast + "done.\r\n");
  ASSERT_EQ(loaded.config->groups.size(), 1u);
  const EchoGroup& group = *loaded.config->groups[0];
  EXPECT_EQ(group.templateName, "Default.Tpl");
  EXPECT_EQ(group.description, "Default groups");
  EXPECT_FALSE(group.useDataFile);
}

TEST(Configuration, GroupRules) {
  testing::TempDir dir;
  Loaded loaded = LoadText(dir,
                           "define first\n"
                           "template a\n"
                           "define  second one\n"  // first is abandoned
                           "description \"Second\"\n"
                           "end\n"
                           "  define x\n"  // leading blanks keep the keyword in the patterns
                           "template t\n"
                           "description no quotes\n"
                           "end\n"
                           "define \"glued\"\n"
                           "template t\n"
                           "end\n"
                           "define q\n"
                           "description\n"
                           "template t\n"
                           "end\n");
  const auto& groups = loaded.config->groups;
  ASSERT_EQ(groups.size(), 4u);
  EXPECT_EQ(groups[0]->tagPatterns, "SECOND ONE");
  EXPECT_EQ(groups[0]->templateName, "Default.Tpl");
  EXPECT_NE(loaded.console.find("Template file name not defined for group [SECOND]."),
            std::string::npos);
  EXPECT_EQ(groups[1]->tagPatterns, "DEFINE X");
  EXPECT_EQ(groups[1]->description, "Default groups");
  EXPECT_EQ(groups[2]->tagPatterns, "\"GLUED\"");
  EXPECT_EQ(groups[3]->description, "Default groups");
}

TEST(Configuration, FormatKeyword) {
  testing::TempDir dir;
  Loaded loaded = LoadText(dir,
                           "format html\n"
                           "define a\ntemplate t\nend\n"
                           "define b\nFORMAT Html\nend\n"
                           "define c\nformat json\ntemplate t\nend\n"
                           "define d\nformat html\nformat text\nend\n"
                           "define e\nformat \"JSON\"\nend\n"
                           "define f\nformat pdf\ntemplate t\nend\n"
                           "define g\nformat html\ntemplate page.tpl\nend\n");
  const auto& groups = loaded.config->groups;
  ASSERT_EQ(groups.size(), 7u);
  struct Case {
    ReportFormat format;
    const char* templateName;
  } expected[] = {
      {ReportFormat::kText, "t"},           {ReportFormat::kHtml, ""}, {ReportFormat::kJson, "t"},
      {ReportFormat::kText, "Default.Tpl"}, {ReportFormat::kJson, ""}, {ReportFormat::kText, "t"},
      {ReportFormat::kHtml, "page.tpl"},
  };
  for (std::size_t i = 0; i < groups.size(); ++i) {
    SCOPED_TRACE(groups[i]->tagPatterns);
    EXPECT_EQ(groups[i]->format, expected[i].format);
    EXPECT_EQ(groups[i]->templateName, expected[i].templateName);
  }
  // Only the text group without a template hears about the default one.
  EXPECT_EQ(loaded.console, Opening() + kBranch + "Area is not defined.\r\n" + kBranch +
                                "Template file name not defined for group [].\r\n" + kSubBranch +
                                "File ~Default.Tpl~ will be used as template file.\r\n" + kBranch +
                                "Unknown report format \"pdf\" at line 20; text is written.\r\n" +
                                kLast + "done.\r\n");
}

TEST(Configuration, StatPeriodForms) {
  struct Case {
    std::string line;
    char kind;
    std::int32_t count;
    PeriodDate from;
    PeriodDate to;
  } cases[] = {
      {"statperiod year 1", 'y', 1, {}, {}},
      {"statperiod MONTH", 'm', 0, {}, {}},
      {"statperiod day 1", 'd', 1, {}, {}},
      {"statperiod Days\t7", 's', 7, {}, {}},
      {"statperiod *", '*', 0, {}, {}},
      {"statperiod 01.03.2001-31.03.2001", 'p', 0, {2001, 3, 1}, {2001, 3, 31}},
      {"statperiod 01.12-31.12", 'p', 0, {0, 12, 1}, {0, 12, 31}},
      {"statperiod 1.x.05-2", 'p', 0, {5, 0, 1}, {0, 0, 2}},
      {"statperiod", 'p', 0, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    testing::TempDir dir;
    Loaded loaded = LoadText(dir, "define A\ntemplate t\n" + c.line + "\nend\n");
    ASSERT_EQ(loaded.config->groups.size(), 1u);
    const EchoGroup& group = *loaded.config->groups[0];
    EXPECT_EQ(group.periodKind, c.kind);
    EXPECT_EQ(group.periodCount, c.count);
    EXPECT_EQ(group.periodFrom.year, c.from.year);
    EXPECT_EQ(group.periodFrom.month, c.from.month);
    EXPECT_EQ(group.periodFrom.day, c.from.day);
    EXPECT_EQ(group.periodTo.year, c.to.year);
    EXPECT_EQ(group.periodTo.month, c.to.month);
    EXPECT_EQ(group.periodTo.day, c.to.day);
  }
}

TEST(Configuration, ValuesAndPathsEdgeCases) {
  testing::TempDir dir;
  Loaded loaded = LoadText(dir,
                           "areafile fastecho\tfe.cfg\n"
                           "templatepath\n"
                           "define " +
                               std::string(300, 'z') +
                               "\n"
                               "template t\n"
                               "alias \"A\", \"B\"\n"
                               "alias C, D\n"
                               "end\n");
  const Configuration& config = *loaded.config;
  EXPECT_EQ(config.areaFileType, "fastecho");
  EXPECT_EQ(config.areaFilePath, "");  // a tab does not separate the path
  EXPECT_EQ(config.templatePath, "/");
  ASSERT_EQ(config.groups.size(), 1u);
  EXPECT_EQ(config.groups[0]->tagPatterns, std::string(255 - 7, 'Z'));
  EXPECT_EQ(config.groups[0]->aliases, (std::vector<std::string>{"A", " ", "C", " d"}));
}

TEST(Configuration, CharsetKeywords) {
  struct Case {
    std::string lines;
    std::string charset;
    std::string defaultCharset;
    std::string warnings;
  } cases[] = {
      {"", "CP866", "CP866", ""},
      {"Charset UTF-8\nDefaultCharset koi8-r\n", "UTF-8", "koi8-r", ""},
      {"charset \"IBMPC\"\ndefaultcharset +7_FIDO 2\n", "IBMPC", "+7_FIDO", ""},
      {"Charset X-MARTIAN\n", "CP866", "CP866",
       "tarnik: Tarnik.Cfg:1: warning: charset \"X-MARTIAN\" cannot be used for reports, CP866 "
       "used\n"},
      // Reports need ASCII where ASCII has it and one byte, or UTF-8, per character.
      {"Charset SHIFT_JIS\nCharset GERMAN\n", "CP866", "CP866",
       "tarnik: Tarnik.Cfg:1: warning: charset \"SHIFT_JIS\" cannot be used for reports, CP866 "
       "used\n"
       "tarnik: Tarnik.Cfg:2: warning: charset \"GERMAN\" cannot be used for reports, CP866 "
       "used\n"},
      {"DefaultCharset SHIFT_JIS\nDefaultCharset\n", "CP866", "SHIFT_JIS",
       "tarnik: Tarnik.Cfg:2: warning: charset \"\" is unknown, SHIFT_JIS used\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    testing::TempDir dir;
    dir.Write("Tarnik.Cfg", c.lines);
    static const LanguageTable language = Language();
    StringConsole console;
    StringConsole errors;
    Diagnostics diagnostics(errors);
    Configuration config("", language, console, diagnostics);
    config.Load();
    EXPECT_EQ(console.text(), Opening() + kLast + "done.\r\n");
    EXPECT_EQ(config.charset, c.charset);
    EXPECT_EQ(config.defaultCharset, c.defaultCharset);
    EXPECT_EQ(errors.text(), c.warnings);
    EXPECT_EQ(diagnostics.errorCount(), 0);
  }
}

}  // namespace
}  // namespace tarnik
