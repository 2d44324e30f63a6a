#include "config/configuration.h"

#include <gtest/gtest.h>

#include <span>

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
  std::string errors;  // the diagnostics, one line each
  int errorCount = 0;
};

Loaded LoadText(const testing::TempDir& dir, const std::string& text) {
  dir.Write("Tarnik.Cfg", text);
  static const LanguageTable language = Language();
  StringConsole console;
  StringConsole errors;
  Diagnostics diagnostics(errors);
  auto config = std::make_unique<Configuration>("", language, console, diagnostics);
  config->Load();
  return {console.text(), std::move(config), errors.text(), diagnostics.errorCount()};
}

std::string Opening() { return "Loading configuration from \"Tarnik.Cfg\"... \r\n"; }

TEST(Configuration, MissingFileWritesUsageAndFails) {
  testing::TempDir dir;
  LanguageTable language = Language();
  StringConsole console;
  StringConsole errors;
  Diagnostics diagnostics(errors);
  Configuration config("nothere.cfg", language, console, diagnostics);
  EXPECT_FALSE(config.Load());
  EXPECT_EQ(errors.text(),
            "tarnik: nothere.cfg: cannot open the configuration file: No such file or "
            "directory\n");
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
  // Every console message has its diagnostic with the line; a missing template is no error.
  EXPECT_EQ(loaded.errors,
            "tarnik: Tarnik.Cfg:1: \"out\" outside a define ... end block; line ignored\n"
            "tarnik: Tarnik.Cfg:2: \"byfrom\" outside a define ... end block; line ignored\n"
            "tarnik: Tarnik.Cfg:3: \"bysize\" outside a define ... end block; line ignored\n"
            "tarnik: Tarnik.Cfg:4: unknown keyword \";indented\"; line ignored\n"
            "tarnik: Tarnik.Cfg:5: unknown keyword \"frobnicate\"; line ignored\n"
            "tarnik: Tarnik.Cfg:6: unknown keyword \"\"; line ignored\n"
            "tarnik: Tarnik.Cfg:7: define without echo tag patterns; line ignored\n"
            "tarnik: Tarnik.Cfg:8: define without echo tag patterns; line ignored\n"
            "tarnik: Tarnik.Cfg:11: \"usedatafile\" outside a define ... end block; line "
            "ignored\n"
            "tarnik: Tarnik.Cfg:12: \"description\" outside a define ... end block; line "
            "ignored\n");
  EXPECT_EQ(loaded.errorCount, 10);
}

// One group around the line; what the diagnostics say about it (empty: nothing).
struct DiagnosedLine {
  std::string line;
  std::string diagnostic;
};

void ExpectDiagnostics(std::span<const DiagnosedLine> cases, bool counted) {
  for (const DiagnosedLine& c : cases) {
    SCOPED_TRACE(c.line);
    testing::TempDir dir;
    Loaded loaded = LoadText(dir, "define ECHO\n" + c.line + "\ntemplate t\nend\n");
    EXPECT_EQ(loaded.errors,
              c.diagnostic.empty() ? "" : "tarnik: Tarnik.Cfg:" + c.diagnostic + "\n");
    EXPECT_EQ(loaded.errorCount, c.diagnostic.empty() || !counted ? 0 : 1);
    EXPECT_EQ(loaded.console, Opening() + kLast + "done.\r\n");
  }
}

TEST(Configuration, PeriodsThatCannotSelectWhatTheySayAreTold) {
  const std::string forms =
      "; accepted are year N, month N, day N, days N, * or DD.MM[.YYYY]-DD.MM[.YYYY] without "
      "blanks";
  const DiagnosedLine errors[] = {
      {"statperiod month", ""},
      {"statperiod Month 2", ""},
      {"statperiod days 7", ""},
      {"statperiod day -1", ""},
      {"statperiod year 1", ""},
      {"statperiod *", ""},
      {"statperiod 01.12-31.12", ""},
      {"statperiod 1.3.2024-31.3.2024", ""},
      {"statperiod 01.03.2001-31.03.2001 March", ""},
      {"statperiod mnth 1", "2: bad statperiod \"mnth 1\": not a period" + forms},
      {"statperiod months 1", "2: bad statperiod \"months 1\": not a period" + forms},
      {"statperiod 2024-03-01", "2: bad statperiod \"2024-03-01\": not a period" + forms},
      {"statperiod 01.03.2024 - 31.03.2024",
       "2: bad statperiod \"01.03.2024 - 31.03.2024\": not a period" + forms},
      {"statperiod 01.03.2024-", "2: bad statperiod \"01.03.2024-\": not a period" + forms},
      {"statperiod 32.01-31.01", "2: bad statperiod \"32.01-31.01\": not a period" + forms},
      {"statperiod 01.13-31.12", "2: bad statperiod \"01.13-31.12\": not a period" + forms},
      {"statperiod 01.03.24x-31.03.24",
       "2: bad statperiod \"01.03.24x-31.03.24\": not a period" + forms},
      {"statperiod", "2: bad statperiod \"\": no period given" + forms},
      {"statperiod month one",
       "2: bad statperiod \"month one\": the count is not a number" + forms},
      {"byfrom 10", ""},
      {"bytotal -1", ""},
      {"byfrom ten",
       "2: \"byfrom\" needs a whole number (the list length), not \"ten\"; the section stays off"},
      {"bysubjects",
       "2: \"bysubjects\" needs a whole number (the list length), not \"\"; the section stays off"},
  };
  ExpectDiagnostics(errors, true);
  // A range across a month's end is valid but selects nothing: a warning, not an error.
  const DiagnosedLine warnings[] = {
      {"statperiod 15.01.2001-14.02.2001",
       "2: warning: statperiod \"15.01.2001-14.02.2001\" selects nothing: day, month and year "
       "are each compared on their own, so the range cannot cross a month's or year's end"},
      {"statperiod 01.01.2002-31.01.2001",
       "2: warning: statperiod \"01.01.2002-31.01.2001\" selects nothing: day, month and year "
       "are each compared on their own, so the range cannot cross a month's or year's end"},
  };
  ExpectDiagnostics(warnings, false);
}

TEST(Configuration, PatternsTheMatcherCannotTakeAreTold) {
  struct Case {
    std::string patterns;
    std::string diagnostic;
  } cases[] = {
      {"^SU\\.GENERAL$ ~A RU\\..* (A|B)+ [0-9] \\101", ""},
      {"^SM\\.(SQ", "invalid pattern \"^SM\\.(SQ\": unmatched ()"},
      {"ECHO) OTHER", "invalid pattern \"ECHO)\": unmatched ()"},
      {"*ECHO", "invalid pattern \"*ECHO\": ?+* follows nothing"},
      {"A**", "invalid pattern \"A**\": nested *?+"},
      {"[Z-A]", "invalid pattern \"[Z-A]\": invalid [] range"},
      {"[AB", "invalid pattern \"[AB\": unmatched []"},
      {"()*", "invalid pattern \"()*\": *+ operand could be empty"},
      {"ECHO\\", "invalid pattern \"ECHO\\\": trailing \\"},
      {"SU.{1,3}",
       "invalid pattern \"SU.{1,3}\": \"{\" is an ordinary character here (no counted "
       "repetition)"},
      {"\\w+",
       "invalid pattern \"\\w+\": \"\\w\" is the letter W here (no letter escapes or "
       "classes)"},
      {"\\x41",
       "invalid pattern \"\\x41\": \"\\x\" is the letter X here (no letter escapes or "
       "classes)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.patterns);
    testing::TempDir dir;
    Loaded loaded = LoadText(dir, "define " + c.patterns + "\ntemplate t\nend\n");
    EXPECT_EQ(loaded.errors,
              c.diagnostic.empty() ? "" : "tarnik: Tarnik.Cfg:1: " + c.diagnostic + "\n");
    // The group is kept as written: what it selects does not change.
    ASSERT_EQ(loaded.config->groups.size(), 1u);
  }
}

TEST(Configuration, GroupWithoutEndIsTold) {
  testing::TempDir dir;
  Loaded loaded = LoadText(dir,
                           "define FIRST\n"
                           "template t\n"
                           "define SECOND\n"
                           "end\n"
                           "; comment\n"
                           "define THIRD\n"
                           "template t\n");
  EXPECT_EQ(loaded.errors,
            "tarnik: Tarnik.Cfg:1: group \"FIRST\" has no \"end\" before the next define or the "
            "end of the file; it gets no report\n"
            "tarnik: Tarnik.Cfg:6: group \"THIRD\" has no \"end\" before the next define or the "
            "end of the file; it gets no report\n");
  EXPECT_EQ(loaded.errorCount, 2);
  ASSERT_EQ(loaded.config->groups.size(), 1u);
  EXPECT_EQ(loaded.config->groups[0]->tagPatterns, "SECOND");
  EXPECT_EQ(loaded.config->groups[0]->defineLine, 3);
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
                                "File ~Default.Tpl~ will be used as template file.\r\n" + kLast +
                                "done.\r\n");
  EXPECT_EQ(loaded.errors,
            "tarnik: Tarnik.Cfg:1: \"format\" outside a define ... end block; line ignored\n"
            "tarnik: Tarnik.Cfg:20: \"format\" takes text, html or json, not \"pdf\"; the report "
            "is text\n");
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
    std::string lastMark = kLast;  // in the charset the loader writes in at its end
  } cases[] = {
      {"", "CP866", "CP866", ""},
      {"Charset UTF-8\nDefaultCharset koi8-r\n", "UTF-8", "koi8-r", "",
       "\xE2\x94\x94\xE2\x94\x80 "},
      {"Charset KOI8-R\n", "KOI8-R", "CP866", "", "\x84\x80 "},
      // A group's title in the console line keeps its letters in another charset.
      {"Charset UTF-8\ndefine A\ndescription \"\xD0\xB0"
       "bc\"\nend\n",
       "UTF-8", "CP866", "",
       "\xE2\x94\x9C\xE2\x94\x80 Template file name not defined for group [\xD0\xB0"
       "BC].\r\n"
       "\xE2\x94\x82  \xE2\x94\x94\xE2\x94\x80 File ~Default.Tpl~ will be used as template "
       "file.\r\n\xE2\x94\x94\xE2\x94\x80 "},
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
    EXPECT_EQ(console.text(), Opening() + c.lastMark + "done.\r\n");
    EXPECT_EQ(config.charset, c.charset);
    EXPECT_EQ(config.defaultCharset, c.defaultCharset);
    EXPECT_EQ(errors.text(), c.warnings);
    EXPECT_EQ(diagnostics.errorCount(), 0);
  }
}

}  // namespace
}  // namespace tarnik

namespace tarnik {
namespace {

struct PostLoaded {
  std::string console;
  std::string errors;
  int errorCount = 0;
  std::unique_ptr<Configuration> config;
};

PostLoaded LoadPostText(const testing::TempDir& dir, const std::string& text) {
  dir.Write("Tarnik.Cfg", text);
  static const LanguageTable language = Language();
  StringConsole console;
  StringConsole errorConsole;
  Diagnostics diagnostics(errorConsole);
  auto config = std::make_unique<Configuration>("", language, console, diagnostics);
  config->Load();
  return {console.text(), errorConsole.text(), diagnostics.errorCount(), std::move(config)};
}

TEST(Configuration, PostingKeywords) {
  testing::TempDir dir;
  PostLoaded loaded = LoadPostText(dir,
                                   "ADDRESS 2:5020/1.7@fidonet\n"
                                   "packetdir \"C:\\Fido\\In Local\"\n"
                                   "PacketPassword Secret8\n"
                                   "Origin \"Tarnik's node, Moscow\"\n"
                                   "define A\n"
                                   "template t\n"
                                   "PostArea TARNIK.STAT extra\n"
                                   "PostFrom \"Stat Robot\"\n"
                                   "PostTo Everybody\n"
                                   "PostSubject \"Stats for @statfrommonth.@statfromyear\"\n"
                                   "PostMaxSize 16000\n"
                                   "end\n"
                                   "define B\n"
                                   "template t\n"
                                   "end\n");
  EXPECT_EQ(loaded.console, Opening() + kLast + "done.\r\n");
  EXPECT_EQ(loaded.errors, "");
  const Configuration& config = *loaded.config;
  EXPECT_EQ(FormatAddress4D(config.address), "2:5020/1.7");
  EXPECT_EQ(config.packetDir, "C:/Fido/In Local");
  EXPECT_EQ(config.packetPassword, "Secret8");
  EXPECT_EQ(config.origin, "Tarnik's node, Moscow");
  ASSERT_EQ(config.groups.size(), 2u);
  const EchoGroup& a = *config.groups[0];
  EXPECT_EQ(a.postArea, "TARNIK.STAT");
  EXPECT_EQ(a.postFrom, "Stat Robot");
  EXPECT_EQ(a.postTo, "Everybody");
  EXPECT_EQ(a.postSubject, "Stats for @statfrommonth.@statfromyear");
  EXPECT_EQ(a.postMaxSize, 16000);
  const EchoGroup& b = *config.groups[1];
  EXPECT_EQ(b.postArea, "");
  EXPECT_EQ(b.postFrom, "");
  EXPECT_EQ(b.postMaxSize, 0);
}

TEST(Configuration, PostingKeywordErrorsNameTheLine) {
  struct Case {
    std::string lines;
    std::string error;  // on standard error; empty for none
  };
  const Case cases[] = {
      {"Address 5020/1\n", "Tarnik.Cfg:3: Address: not a node address: \"5020/1\""},
      {"Address 2:5020\n", "Tarnik.Cfg:3: Address: not a node address: \"2:5020\""},
      {"Address 0:5020/1\n", "Tarnik.Cfg:3: Address: not a node address: \"0:5020/1\""},
      {"Address 2:50x0/1\n", "Tarnik.Cfg:3: Address: not a node address: \"2:50x0/1\""},
      {"PacketPassword 123456789\n", "Tarnik.Cfg:3: PacketPassword: longer than 8 characters"},
      {"PacketPassword 12345678\n", ""},
      {"define A\ntemplate t\nPostMaxSize 0\nend\n",
       "Tarnik.Cfg:5: PostMaxSize: not a positive number: \"0\""},
      {"define A\ntemplate t\nPostMaxSize 12k\nend\n",
       "Tarnik.Cfg:5: PostMaxSize: not a positive number: \"12k\""},
      {"define A\ntemplate t\nPostArea\nend\n", "Tarnik.Cfg:5: PostArea: no echo tag"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    testing::TempDir dir;
    PostLoaded loaded =
        LoadPostText(dir, "Address 2:5020/1\nPacketDir inb\n" + c.lines + "define Z\nend\n");
    EXPECT_EQ(loaded.errors, c.error.empty() ? "" : "tarnik: " + c.error + "\n");
    EXPECT_EQ(loaded.errorCount, c.error.empty() ? 0 : 1);
    // A rejected value leaves what was there.
    EXPECT_EQ(FormatAddress(loaded.config->address), "2:5020/1");
  }
}

TEST(Configuration, PostAreaWithoutAddressOrPacketDirIsDropped) {
  const std::pair<std::string, bool> cases[] = {
      {"Address 2:5020/1\nPacketDir inb\n", true},
      {"PacketDir inb\n", false},
      {"Address 2:5020/1\n", false},
      {"Address 2:5020/1\nPacketDir inb\nAddress bad\n", true},
  };
  for (const auto& [globals, posts] : cases) {
    SCOPED_TRACE(globals);
    testing::TempDir dir;
    PostLoaded loaded = LoadPostText(dir,
                                     "define A\n"
                                     "template t\n"
                                     "PostArea STAT\n"
                                     "end\n" +
                                         globals);
    ASSERT_EQ(loaded.config->groups.size(), 1u);
    EXPECT_EQ(loaded.config->groups[0]->postArea, posts ? "STAT" : "");
    const std::string error =
        "tarnik: Tarnik.Cfg:3: PostArea needs Address and PacketDir in the configuration\n";
    EXPECT_EQ(loaded.errors.find(error) != std::string::npos, !posts);
  }
}

// An echo carries text: a group whose report is a page or a JSON document posts nothing.
TEST(Configuration, PostAreaOfAnHtmlOrJsonGroupIsDropped) {
  const std::pair<std::string, bool> cases[] = {
      {"format text\n", true}, {"format html\n", false}, {"format json\n", false}};
  for (const auto& [format, posts] : cases) {
    SCOPED_TRACE(format);
    testing::TempDir dir;
    PostLoaded loaded = LoadPostText(
        dir, "Address 2:5020/1\nPacketDir inb\ndefine A\n" + format + "PostArea STAT\nend\n");
    ASSERT_EQ(loaded.config->groups.size(), 1u);
    EXPECT_EQ(loaded.config->groups[0]->postArea, posts ? "STAT" : "");
    EXPECT_EQ(loaded.errors,
              posts ? ""
                    : "tarnik: Tarnik.Cfg:5: PostArea posts text reports only; this group's "
                      "Format is not text\n");
  }
}

}  // namespace
}  // namespace tarnik
