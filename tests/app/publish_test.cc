// The three forms of one group's report, made from the sample node in one run, must carry the
// same figures: the built-in text layout, the HTML page and the JSON document (read by Python's
// strict parser, which rejects duplicate keys and anything that is not RFC 8259 JSON).

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "common/charset.h"
#include "common/text.h"
#include "core/language_table.h"
#include "core/text_ids.h"
#include "support/run_binary.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::RunCommand;
using testing::RunResult;
using testing::ShellQuote;

constexpr std::string_view kGroupBody =
    "define SAMPLE\\.\n"
    "description \"All\"\n"
    "statperiod *\n"
    "byfrom 1000\nbyto 1000\nbysubjects 1000\nbysize 1000\nbytotal 1000\n"
    "bydays\nbytime\nbydayofweek\n";

// One group three times: text in the built-in layout (its template does not exist), HTML, JSON.
std::string FiguresConfig() {
  std::string config = "AreaFile areasbbs areas.bbs\nTemplatePath templates/\n";
  config += std::string(kGroupBody) + "template None.Tpl\nout figures.txt\nend\n";
  config += std::string(kGroupBody) + "format html\nout figures.html\nend\n";
  config += std::string(kGroupBody) + "format json\nout figures.json\nend\n";
  return config;
}

// What a report says, one fact a line; persons are sorted, since each form lists them in its
// own order.
struct Figures {
  std::vector<std::string> totals, persons, subjects, days, weekdays, hours;

  std::string Text(bool withHours) const {
    std::vector<std::string> sorted = persons;
    std::sort(sorted.begin(), sorted.end());
    const std::vector<std::string>& sortedPersons = sorted;
    std::string text;
    for (const std::vector<std::string>* part :
         {&totals, &sortedPersons, &subjects, &days, &weekdays, &hours}) {
      if (part == &hours && !withHours) continue;
      for (const std::string& line : *part) text += line + "\n";
    }
    return text;
  }
};

std::string TrimRight(std::string_view text) {
  std::size_t end = text.find_last_not_of(' ');
  return std::string(end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1));
}

// The first count characters of UTF-8 text.
std::string FirstCharacters(std::string_view utf8, std::size_t count) {
  std::size_t at = 0;
  for (std::size_t seen = 0; at < utf8.size(); ++at) {
    if ((static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80) continue;
    if (seen++ == count) break;
  }
  return std::string(utf8.substr(0, at));
}

// "13.5" or "13.5%" (also "06.7%") as tenths.
std::string Tenths(std::string_view percent) {
  std::string digits;
  for (char c : percent) {
    if (c >= '0' && c <= '9') digits += c;
  }
  return Decimal(IntValue(digits));
}

std::string PersonFact(const std::string& written, const std::string& received,
                       const std::string& bytes, const std::string& quote,
                       const std::string& label) {
  return "person " + written + " " + received + " " + bytes + " " + quote + " " + label;
}

std::vector<std::string> SplitLines(const std::string& text, std::string_view end) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t stop = text.find(end, start);
    if (stop == std::string::npos) stop = text.size();
    lines.push_back(text.substr(start, stop - start));
    start = stop + end.size();
  }
  return lines;
}

// The lines after the one equal to heading, up to (not including) an empty line or stop.
std::vector<std::string> LinesAfter(const std::vector<std::string>& lines,
                                    const std::string& heading, const std::string& stop = "") {
  std::vector<std::string> block;
  auto at = std::find(lines.begin(), lines.end(), heading);
  if (at == lines.end()) {
    ADD_FAILURE() << "no line " << heading;
    return block;
  }
  for (++at; at != lines.end() && !at->empty() && *at != stop; ++at) block.push_back(*at);
  return block;
}

std::string Field(const std::string& line, std::size_t from, std::size_t to) {
  if (from >= line.size()) return {};
  return std::string(Trim(line.substr(from, to - from)));
}

// The built-in layout: fixed columns after the language file's headings.
Figures TextFigures(const std::string& report, const LanguageTable& language,
                    const CharsetConverter& toUtf8) {
  Figures figures;
  std::vector<std::string> lines = SplitLines(report, "\r\n");
  const std::pair<const char*, std::int32_t> totals[] = {{"messages", kMessagesText},
                                                         {"persons", kPersonsText},
                                                         {"days", kDaysText},
                                                         {"perday", kMessagesPerDayText},
                                                         {"delivery", kDeliveryTimeText}};
  for (const auto& [name, id] : totals) {
    std::string label = language.LanguageText(id);
    for (const std::string& line : lines) {
      if (line.compare(0, label.size(), label) == 0) {
        figures.totals.push_back(std::string(name) + " " + line.substr(label.size()));
        break;
      }
    }
  }
  for (const std::string& line : LinesAfter(lines, language.LanguageText(kByTotalRuleText))) {
    // "  1 Name (2:5020/1)       written received total bytes PP.T%"
    figures.persons.push_back(PersonFact(Field(line, 41, 47), Field(line, 48, 54),
                                         Field(line, 63, 71), Tenths(Field(line, 72, 80)),
                                         toUtf8.Convert(TrimRight(line.substr(4, 36)))));
  }
  for (const std::string& line : LinesAfter(lines, language.LanguageText(kTopSubjectsRuleText))) {
    std::size_t count = line.rfind(' ');
    figures.subjects.push_back("subject " + line.substr(count + 1) + " " +
                               toUtf8.Convert(TrimRight(line.substr(4, count - 4))));
  }
  for (const std::string& line : LinesAfter(lines, language.LanguageText(kByDaysRuleText),
                                            language.LanguageText(kByDaysFooterText))) {
    figures.days.push_back("day " + line.substr(1, 8) + " " + Field(line, 9, 13));
  }
  for (const std::string& line : LinesAfter(lines, language.LanguageText(kByDayOfWeekRuleText),
                                            language.LanguageText(kByDayOfWeekFooterText))) {
    figures.weekdays.push_back("weekday " + line.substr(2, 3) + " " + Field(line, 5, 11));
  }
  return figures;
}

std::string Unescaped(std::string text) {
  const std::pair<std::string_view, std::string_view> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& [entity, character] : entities) {
      if (text.compare(i, entity.size(), entity) == 0) {
        out += character;
        i += entity.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

// The text of each cell (td or th) of each row of the section's table body.
std::vector<std::vector<std::string>> HtmlRows(const std::string& page, const std::string& id) {
  std::vector<std::vector<std::string>> rows;
  std::size_t section = page.find("<section id=\"" + id + "\">");
  if (section == std::string::npos) {
    ADD_FAILURE() << "no section " << id;
    return rows;
  }
  std::size_t body = page.find("<tbody>", section);
  std::size_t end = page.find("</tbody>", body);
  for (std::size_t row = page.find("<tr", body); row < end; row = page.find("<tr", row + 1)) {
    std::size_t rowEnd = page.find("</tr>", row);
    std::vector<std::string> cells;
    for (std::size_t cell = page.find("<t", row + 3); cell < rowEnd;
         cell = page.find("<t", cell + 1)) {
      if (page.compare(cell, 4, "<td>") != 0 && page.compare(cell, 4, "<td ") != 0 &&
          page.compare(cell, 4, "<th ") != 0 && page.compare(cell, 4, "<th>") != 0) {
        continue;
      }
      std::size_t cellEnd = page.find("</" + page.substr(cell + 1, 2) + ">", cell);
      std::string text;
      bool inTag = false;
      for (std::size_t i = cell; i < cellEnd; ++i) {
        if (page[i] == '<') inTag = true;
        if (!inTag) text += page[i];
        if (page[i] == '>') inTag = false;
      }
      cells.push_back(Unescaped(text));
      cell = cellEnd;
    }
    rows.push_back(cells);
  }
  return rows;
}

std::string HtmlTotal(const std::string& page, const std::string& label) {
  std::string start = "<dt>" + label + "</dt><dd>";
  std::size_t at = page.find(start);
  if (at == std::string::npos) return "?";
  at += start.size();
  return page.substr(at, page.find("</dd>", at) - at);
}

// "01.09.2026" -> "01.09.26", the text layout's day.
std::string ShortDate(const std::string& longDate) {
  return longDate.size() == 10 ? longDate.substr(0, 6) + longDate.substr(8, 2) : longDate;
}

Figures HtmlFigures(const std::string& page, const LanguageTable& language,
                    const CharsetConverter& toUtf8) {
  Figures figures;
  auto label = [&language, &toUtf8](std::int32_t id) {
    std::string text = language.LanguageText(id);
    text.erase(text.find_last_not_of(" .") + 1);
    return toUtf8.Convert(Trim(text));
  };
  const std::pair<const char*, std::int32_t> totals[] = {{"messages", kMessagesText},
                                                         {"persons", kPersonsText},
                                                         {"days", kDaysText},
                                                         {"perday", kMessagesPerDayText},
                                                         {"delivery", kDeliveryTimeText}};
  for (const auto& [name, id] : totals) {
    figures.totals.push_back(std::string(name) + " " + HtmlTotal(page, label(id)));
  }
  for (const auto& cells : HtmlRows(page, "bytotal")) {
    if (cells.size() < 8) continue;
    // Rank, name, address, written, received, total, bytes, quote.
    figures.persons.push_back(
        PersonFact(cells[3], cells[4], cells[6], Tenths(cells[7]),
                   TrimRight(FirstCharacters(cells[1] + " (" + cells[2] + ")", 36))));
  }
  for (const auto& cells : HtmlRows(page, "topsubjects")) {
    if (cells.size() >= 3) {
      figures.subjects.push_back("subject " + cells[2] + " " + TrimRight(cells[1]));
    }
  }
  for (const auto& cells : HtmlRows(page, "bydays")) {
    if (cells.size() >= 3) figures.days.push_back("day " + ShortDate(cells[0]) + " " + cells[2]);
  }
  for (const auto& cells : HtmlRows(page, "bydayofweek")) {
    if (cells.size() >= 2) figures.weekdays.push_back("weekday " + cells[0] + " " + cells[1]);
  }
  for (const auto& cells : HtmlRows(page, "bytime")) {
    if (cells.empty() || cells[0] != "Messages") continue;
    for (std::size_t hour = 1; hour < cells.size(); ++hour) {
      figures.hours.push_back("hour " + Decimal(static_cast<std::int64_t>(hour - 1)) + " " +
                              cells[hour]);
    }
  }
  return figures;
}

// Loads the document strictly and prints its facts in the forms above.
constexpr std::string_view kJsonFacts = R"py(
import json, sys
def unique(pairs):
    keys = [k for k, _ in pairs]
    if len(keys) != len(set(keys)):
        raise ValueError("duplicate key")
    return dict(pairs)
def no_constant(name):
    raise ValueError(name)
with open(sys.argv[1], encoding="utf-8") as f:
    d = json.load(f, object_pairs_hook=unique, parse_constant=no_constant)
sys.stdout.reconfigure(encoding="utf-8")
assert d["version"] == 1
def whole(n):
    assert type(n) is int, n
    return n
t = d["totals"]
for name, key in (("messages", "messages"), ("persons", "persons"), ("days", "days"),
                  ("perday", "messagesPerDay"), ("delivery", "deliveryHours")):
    print("total", name, whole(t[key]))
for p in d["persons"]:
    label = (p["name"] + " (" + (p["address"] or "") + ")")[:36].rstrip(" ")
    print("person", whole(p["written"]), whole(p["received"]), whole(p["bytes"]),
          round(p["quotePercent"] * 10), label)
for s in d["subjects"]:
    print("subject", whole(s["messages"]), s["subject"].rstrip(" "))
for x in d["days"]:
    y, m, day = x["date"].split("-")
    print("day", day + "." + m + "." + y[2:], whole(x["messages"]))
for w in d["weekdays"]:
    print("weekday", w["day"], whole(w["messages"]))
for h, c in enumerate(d["hours"]):
    print("hour", h, whole(c))
)py";

Figures JsonFigures(const std::string& output) {
  Figures figures;
  for (const std::string& line : SplitLines(output, "\n")) {
    if (line.compare(0, 6, "total ") == 0) figures.totals.push_back(line.substr(6));
    if (line.compare(0, 7, "person ") == 0) figures.persons.push_back(line);
    if (line.compare(0, 8, "subject ") == 0) figures.subjects.push_back(line);
    if (line.compare(0, 4, "day ") == 0) figures.days.push_back(line);
    if (line.compare(0, 8, "weekday ") == 0) figures.weekdays.push_back(line);
    if (line.compare(0, 5, "hour ") == 0) figures.hours.push_back(line);
  }
  return figures;
}

TEST(Publish, TextHtmlAndJsonCarryTheSameFigures) {
  if (RunCommand("python3 -c 'import json' && echo yes").output != "yes\n") {
    GTEST_SKIP() << "python3 is not installed";
  }
  testing::TempDir dir;
  RunResult generated = RunCommand(ShellQuote(TARNIK_SAMPLE_BINARY) + " --out " +
                                   ShellQuote(dir.path()) + " --size small --seed 3");
  ASSERT_EQ(generated.exitCode, 0) << generated.output;
  dir.Write("Figures.Cfg", FiguresConfig());
  RunResult run = testing::RunTarnik("Figures.Cfg");
  // The text group's missing template, which gives the built-in layout, is the one problem.
  ASSERT_EQ(run.exitCode, 2) << run.errors;
  EXPECT_NE(run.errors.find("None.Tpl: cannot open the template"), std::string::npos) << run.errors;
  EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << run.errors;

  LanguageTable language;
  ASSERT_TRUE(LoadLanguageFile(TARNIK_LANGUAGE_FILE, language));
  CharsetConverter toUtf8("CP866", "UTF-8");
  Figures text = TextFigures(dir.Read("figures.txt"), language, toUtf8);
  Figures html = HtmlFigures(dir.Read("figures.html"), language, toUtf8);
  RunResult parsed = RunCommand("python3 -c " + ShellQuote(std::string(kJsonFacts)) + " " +
                                ShellQuote(dir.File("figures.json")) + " 2>&1");
  ASSERT_EQ(parsed.exitCode, 0) << parsed.output;
  Figures json = JsonFigures(parsed.output);

  // Not a comparison of empty lists: the sample has figures in every part.
  EXPECT_GT(text.persons.size(), 20u);
  EXPECT_GT(text.subjects.size(), 20u);
  EXPECT_GT(text.days.size(), 60u);
  EXPECT_EQ(text.weekdays.size(), 7u);
  EXPECT_EQ(json.hours.size(), 24u);
  EXPECT_EQ(html.Text(false), text.Text(false));
  EXPECT_EQ(json.Text(false), text.Text(false));
  // The text layout draws the hours only as a chart; the page and the document give counts.
  EXPECT_EQ(html.Text(true), json.Text(true));
}

}  // namespace
}  // namespace tarnik
