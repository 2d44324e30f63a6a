#include "report/html_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/clock.h"
#include "common/console.h"
#include "common/environment.h"
#include "config/echo_group.h"
#include "core/language_table.h"
#include "core/stat_tables.h"
#include "report/report_format.h"
#include "report/report_writer.h"
#include "support/stat_builders.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

const LocalTime kNow{2001, 3, 7, 9, 5, 3, 0};

// Two texts as the shipped language file has them; the page falls back to its own words for
// the others.
LanguageTable Language() {
  LanguageTable table;
  EXPECT_TRUE(table.Load(
      EncodeLanguageFile({{30007, " Top writers"}, {30051, " Period .................. "}})));
  return table;
}

using testing::Person;

StatTables Tables() {
  StatTables tables;
  tables.persons = {Person("Alice", 3, 1, 3000, 10, 2, {2, 5020, 1, 0}),
                    Person("Bob", 1, 3, 500, 4, 0, {2, 5020, 2, 5}),
                    Person("Carol", 0, 2, 0, 0, 0, {}),
                    Person("Dave", 1, 0, 1500, 5, 1, {2, 5020, 3, 0})};
  tables.subjects = {{"Hello", 2}, {"Misc", 1}, {"Zebra", 2}};
  tables.days = {{1, 3, 2001, 2}, {3, 3, 2001, 3}};
  tables.hours[9] = 2;
  tables.hours[13] = 3;
  tables.weekdays[4] = 2;
  tables.weekdays[6] = 3;
  return tables;
}

EchoGroup Group(const StatTables& tables) {
  EchoGroup group("TEST.*");
  group.echoes.push_back({"TEST.ECHO", "S/base/test"});
  group.description = "Test echo";
  group.format = ReportFormat::kHtml;
  group.firstDay = tables.days.front();
  group.lastDay = tables.days.back();
  group.messageCount = 5;
  group.personCount = 4;
  group.dayCount = 3;
  group.averagePerDay = 1;
  group.averageDelivery = 7;
  group.byTotal = 10;
  group.byFrom = 10;
  group.byTo = 2;
  group.bySize = 10;
  group.bySubjects = 10;
  group.byDays = true;
  group.byDayOfWeek = true;
  group.byTime = true;
  return group;
}

// The page written through the report writer to the console; with a template when
// templateText is not empty. Console text other than the page fails the test.
std::string Page(EchoGroup& group, StatTables& tables, const std::string& templateText = "",
                 std::string_view charset = kDesignCharset) {
  testing::TempDir dir;
  if (!templateText.empty()) {
    dir.Write("Page.Tpl", templateText);
    group.templateName = "Page.Tpl";
  }
  LanguageTable language = Language();
  StringConsole console;
  FixedClock clock(kNow);
  MapEnvironment environment;
  {
    ReportWriter writer(dir.path(), group, language, Services{console, clock, environment},
                        ReportCharsetOf(charset));
    EXPECT_TRUE(writer.IsOpen());
    writer.WriteAll(tables);
  }
  return console.text();
}

void ExpectContains(const std::string& page, const std::vector<std::string>& parts) {
  for (const std::string& part : parts) {
    EXPECT_NE(page.find(part), std::string::npos) << "missing: " << part;
  }
}

std::string Bar(const char* width) {
  return "<td class=\"bar\"><span style=\"width:" + std::string(width) + "%\"></span></td>";
}

TEST(HtmlReport, BuiltInPage) {
  StatTables tables = Tables();
  EchoGroup group = Group(tables);
  std::string page = Page(group, tables);
  EXPECT_EQ(page.substr(0, 60),
            "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<meta n");
  EXPECT_EQ(page.substr(page.size() - 26), "</footer>\n</body>\n</html>\n");
  EXPECT_EQ(page.find('\r'), std::string::npos);
  // Self-contained: nothing is fetched and nothing runs.
  for (const char* outside : {"<script", "<link", "<img", "src=", "href=", "url(", "@import"}) {
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  }
  ExpectContains(
      page,
      {"<title>Test echo \xC2\xB7 Echomail statistics</title>", "<h1>Test echo</h1>",
       "<p class=\"sub\">Echomail statistics [TEST.*]: TEST.ECHO</p>",
       "<div class=\"wide\"><dt>Period</dt><dd><time datetime=\"2001-03-01\">01.03.2001</time>"
       "\xE2\x80\x93<time datetime=\"2001-03-03\">03.03.2001</time></dd></div>",
       "<div><dt>Messages</dt><dd>5</dd></div>", "<div><dt>Persons</dt><dd>4</dd></div>",
       "<div><dt>Days</dt><dd>3</dd></div>", "<div><dt>Messages per day</dt><dd>1</dd></div>",
       "<div><dt>Delivery time, hours</dt><dd>7</dd></div>",
       // 3 of 19 lines quoted.
       "<div><dt>Quoted lines</dt><dd>15.7%</dd></div>",
       // Ranks, tie order and filters as in the text report.
       "<section id=\"bytotal\">\n<h2>Persons by messages written and received</h2>\n"
       "<div class=\"scroll\"><table>\n<thead><tr><th scope=\"col\" class=\"n rank\">#</th>"
       "<th scope=\"col\">Name</th><th scope=\"col\">Address</th><th scope=\"col\" "
       "class=\"n\">Written</th><th scope=\"col\" class=\"n\">Received</th><th scope=\"col\" "
       "class=\"n\">Total</th><th scope=\"col\" class=\"n\">Bytes</th><th scope=\"col\" "
       "class=\"n\">Quoted</th><th scope=\"col\"></th></tr></thead>\n<tbody>\n"
       "<tr><td class=\"n\">1</td><td class=\"name\">Bob</td><td class=\"n\">2:5020/2.5</td>"
       "<td class=\"n\">1</td><td class=\"n\">3</td><td class=\"n\">4</td><td class=\"n\">500</td>"
       "<td class=\"n\">0.0%</td>" +
           Bar("100.0") + "</tr>\n",
       "<tr><td class=\"n\">3</td><td class=\"name\">Carol</td><td class=\"n\"></td>",
       "<h2>Top writers</h2>",
       "<tr><td class=\"n\">1</td><td class=\"name\">Alice</td><td class=\"n\">3</td>" +
           Bar("100.0") +
           "</tr>\n<tr><td class=\"n\">2</td><td class=\"name\">Dave</td><td class=\"n\">1</td>" +
           Bar("33.3") +
           "</tr>\n<tr><td class=\"n\">3</td><td class=\"name\">Bob</td><td class=\"n\">1</td>" +
           Bar("33.3") + "</tr>\n</tbody>",
       "<h2>Top recipients</h2>",
       "<tr><td class=\"n\">2</td><td class=\"name\">Carol</td><td class=\"n\">2</td>" +
           Bar("66.6") + "</tr>\n</tbody>",
       "<tr><td class=\"n\">1</td><td class=\"name\">Alice</td><td class=\"n\">3000</td>"
       "<td class=\"n\">20.0%</td>" +
           Bar("100.0") + "</tr>",
       "<tr><td class=\"n\">2</td><td class=\"t\">Hello</td><td class=\"n\">2</td>" + Bar("100.0") +
           "</tr>",
       // The day without messages is a row like the others.
       "<tr><td><time datetime=\"2001-03-01\">01.03.2001</time></td><td>Thu</td>"
       "<td class=\"n\">2</td>" +
           Bar("66.6") +
           "</tr>\n<tr class=\"none\"><td><time datetime=\"2001-03-02\">02.03.2001</time></td>"
           "<td>Fri</td><td class=\"n\">0</td><td class=\"bar\"></td></tr>\n"
           "<tr><td><time datetime=\"2001-03-03\">03.03.2001</time></td><td>Sat</td>"
           "<td class=\"n\">3</td>" +
           Bar("100.0") + "</tr>",
       "<tr class=\"none\"><td>Sun</td><td class=\"n\">0</td><td class=\"bar\"></td></tr>",
       "<tr><td>Sat</td><td class=\"n\">3</td>" + Bar("100.0") + "</tr>",
       "<td><div class=\"col\"><span style=\"height:66.6%\" title=\"9: 2\"></span></div></td>",
       "<tr><th scope=\"row\">Messages</th><td class=\"n\">0</td>",
       "<footer>\n<p>Tarnik/W32 0.3.4a, echomail statistics for FidoNet-technology networks. "
       "Made <time datetime=\"2001-03-07T09:05\">07.03.2001 09:05</time>.</p>\n</footer>"});
  // Every section of the group, each once, in the text report's order.
  std::size_t at = 0;
  for (const char* id : {"bytotal", "topwriters", "topreaders", "topsizes", "topsubjects", "bydays",
                         "bydayofweek", "bytime"}) {
    std::size_t found = page.find("<section id=\"" + std::string(id) + "\">");
    ASSERT_NE(found, std::string::npos) << id;
    EXPECT_GT(found, at) << id;
    at = found;
  }
}

TEST(HtmlReport, SwitchedOffSectionsAreLeftOut) {
  StatTables tables = Tables();
  EchoGroup group = Group(tables);
  group.byTotal = group.byTo = group.bySize = group.bySubjects = 0;
  group.byDays = group.byDayOfWeek = group.byTime = false;
  std::string page = Page(group, tables);
  EXPECT_NE(page.find("<section id=\"topwriters\">"), std::string::npos);
  EXPECT_EQ(page.find("<section id=\"", page.find("<section id=\"topwriters\">") + 1),
            std::string::npos);
}

// Whoever posts in the echo picks names and subjects; the sysop picks the description. None of
// it becomes markup or template code.
TEST(HtmlReport, EscapesEveryTextFromData) {
  const std::vector<std::string> hostile = {"<script>alert(1)</script>",
                                            "\"><img src=x onerror=alert(1)>", "&amp;", "@curyear"};
  StatTables tables;
  for (std::size_t i = 0; i < hostile.size(); ++i) {
    tables.persons.push_back(Person(hostile[i], 1, 1, 100, 1, 0, {2, 5020, 1, 0}));
    tables.subjects.push_back({hostile[i], 1});
  }
  tables.persons.push_back(Person("\x88\xA2\xA0\xAD", 1, 0, 10, 1, 0, {}));
  tables.days = {{1, 3, 2001, 5}};
  EchoGroup group = Group(tables);
  group.description = "<b>Desc</b> & @curyear";
  group.tagPatterns = "<I>";
  group.echoes = {{"<ECHO>", "S/x"}};
  std::string page = Page(group, tables);
  for (const char* markup : {"<script", "<img", "<b>", "<I>", "<ECHO>", "&amp;\"", "2001</td>"}) {
    EXPECT_EQ(page.find(markup), std::string::npos) << markup;
  }
  ExpectContains(page, {"<td class=\"name\">&lt;script&gt;alert(1)&lt;/script&gt;</td>",
                        "<td class=\"t\">&quot;&gt;&lt;img src=x onerror=alert(1)&gt;</td>",
                        "<td class=\"name\">&amp;amp;</td>", "<td class=\"t\">@curyear</td>",
                        "<h1>&lt;b&gt;Desc&lt;/b&gt; &amp; @curyear</h1>",
                        "[&lt;I&gt;]: &lt;ECHO&gt;</p>", "<td class=\"name\">Иван</td>"});
}

// A template may lay out the page's parts; its markup stays markup, while every value that came
// from data is escaped and never expanded.
TEST(HtmlReport, TemplateSectionsWithEscapedValues) {
  StatTables tables = Tables();
  tables.persons[0].name = "<i>@curyear</i>";
  EchoGroup group = Group(tables);
  group.description = "<Desc>";
  group.byTotal = group.byTo = group.bySize = group.bySubjects = 0;
  group.byDayOfWeek = group.byTime = false;
  std::string page =
      Page(group, tables,
           "#define mainheader\n"
           "<header class=\"mine\"><h1>@description</h1> @curyear \x80\xA1</header>\n"
           "#end\n"
           "#define topwritersheader\n<ol>\n#end\n"
           "#define topwriterslist\n"
           "@assign @t_who <b>@username</b>\n"
           "<li>@t_who @usermessagesfrom</li>\n"
           "#end\n"
           "#define topwritersfooter\n</ol>\n#end\n"
           "#define bydayslist\n<p>@statdateday: @datemessages</p>\n#end\n");
  ExpectContains(page, {"<body>\n<header class=\"mine\"><h1>&lt;Desc&gt;</h1> 2001 Аб</header>\n"
                        "<main>\n<ol>\n",
                        "<li><b>&lt;i&gt;@curyear&lt;/i&gt;</b> 3</li>\n"
                        "<li><b>Dave</b> 1</li>\n<li><b>Bob</b> 1</li>\n</ol>\n",
                        // Days without messages take the template's line too.
                        "<p>01: 2</p>\n<p>02: 0</p>\n<p>03: 3</p>\n</tbody>"});
  EXPECT_EQ(page.find("<h2>Top writers</h2>"), std::string::npos);
  EXPECT_EQ(page.find("<i>"), std::string::npos);
}

// Report text is in the report charset; a page is UTF-8 either way, never converted twice.
TEST(HtmlReport, ConvertsFromTheReportCharset) {
  struct Case {
    std::string charset;
    std::string name;
    std::string description;
  } cases[] = {
      {"CP866", "\x88\xA2\xA0\xAD", "\x90\xE3\xE1\xE1\xAA\xA8\xA5"},
      {"UTF-8", "Иван", "Русские"},
      {"CP1251", "\xC8\xE2\xE0\xED", "\xD0\xF3\xF1\xF1\xEA\xE8\xE5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.charset);
    StatTables tables = Tables();
    tables.persons[0].name = c.name;
    EchoGroup group = Group(tables);
    group.description = c.description;
    std::string page = Page(group, tables, "", c.charset);
    ExpectContains(page, {"<h1>Русские</h1>", "<td class=\"name\">Иван</td>"});
    group.format = ReportFormat::kJson;
    tables = Tables();
    tables.persons[0].name = c.name;
    std::string document = Page(group, tables, "", c.charset);
    ExpectContains(document, {"\"description\": \"Русские\"", "{\"name\": \"Иван\""});
  }
}

}  // namespace
}  // namespace tarnik
