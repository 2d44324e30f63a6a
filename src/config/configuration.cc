#include "config/configuration.h"

#include <optional>
#include <string_view>

#include "common/console.h"
#include "common/cp866.h"
#include "common/diagnostics.h"
#include "common/file_system.h"
#include "common/text.h"
#include "config/pattern_matcher.h"
#include "core/language_table.h"
#include "core/text_ids.h"

namespace tarnik {
namespace {

struct GroupKeyword {
  std::string_view name;
  std::string_view lineEnd;  // of the "Area is not defined." message
};

// Group keywords; the line end of "Area is not defined." differs by keyword and is part of
// the message as sysops have always seen it.
constexpr GroupKeyword kGroupKeywords[] = {
    {"usedatafile", "\r\n"}, {"out", "\n\r"},    {"description", "\n\r"},
    {"statperiod", "\n\r"},  {"byfrom", "\n\r"}, {"byto", "\n\r"},
    {"bysubjects", "\n\r"},  {"bysize", "\r\n"}, {"bydays", "\r\n"},
    {"bydayofweek", "\r\n"}, {"bytime", "\r\n"}, {"bytotal", "\r\n"},
    {"template", "\r\n"},    {"alias", "\r\n"},  {"skipmessageifdateaftercurrent", "\r\n"},
    {"format", "\r\n"},      {"end", "\r\n"},    {"postarea", "\r\n"},
    {"postfrom", "\r\n"},    {"postto", "\r\n"}, {"postsubject", "\r\n"},
    {"postmaxsize", "\r\n"},
};

PeriodDate DateOfText(std::string_view text) {
  PeriodDate date;
  date.day = IntValue(WordOf(text, 1, " ."));
  date.month = IntValue(WordOf(text, 2, " ."));
  date.year = IntValue(WordOf(text, 3, " ."));
  return date;
}

constexpr std::string_view kPeriodForms =
    "year N, month N, day N, days N, * or DD.MM[.YYYY]-DD.MM[.YYYY] without blanks";

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// DD.MM or DD.MM.YYYY with a real day and month; the loose reading of DateOfText turns
// anything else into zeros, which select nothing.
bool IsPeriodDate(std::string_view text) {
  std::size_t first = text.find('.');
  if (first == std::string_view::npos) return false;
  std::size_t second = text.find('.', first + 1);
  std::string_view day = text.substr(0, first);
  std::string_view month = text.substr(
      first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
  std::string_view year =
      second == std::string_view::npos ? std::string_view("0") : text.substr(second + 1);
  if (!AllDigits(day) || !AllDigits(month) || !AllDigits(year)) return false;
  std::int32_t dayValue = IntValue(day);
  std::int32_t monthValue = IntValue(month);
  return dayValue >= 1 && dayValue <= 31 && monthValue >= 1 && monthValue <= 12;
}

bool IsLatinLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Why one pattern word cannot select what it says; empty when it can. Besides the matcher's
// own errors, two habits of other regular-expression dialects compile here to plain
// characters and so select next to nothing.
std::string PatternProblem(std::string_view word) {
  PatternMatcher matcher;
  matcher.Match(UpperCase(word), "", MatchMode::kCaseInsensitive);
  if (!matcher.LastError().empty()) return matcher.LastError();
  for (std::size_t i = 0; i + 1 < word.size(); ++i) {
    char next = word[i + 1];
    if (word[i] == '\\') {
      if (IsLatinLetter(next)) {
        return "\"\\" + std::string(1, next) + "\" is the letter " +
               std::string(1, UpperLatin(next)) + " here (no letter escapes or classes)";
      }
      ++i;
    } else if (word[i] == '{' && next >= '0' && next <= '9') {
      return "\"{\" is an ordinary character here (no counted repetition)";
    }
  }
  return {};
}

// The text between the first two double quotes of the line, so a value may hold blanks; the
// plain value when the line has no quote.
std::string QuotedValue(const std::string& line, std::string_view value) {
  if (line.find('"') == std::string::npos) return std::string(value);
  return std::string(WordOf(line, 2, "\""));
}

// A node address with zone, net and node (and maybe a point), as a post is signed with.
bool ParseNodeAddress(std::string_view text, FtnAddress& address) {
  FtnAddress parsed;
  if (text.find(':') == std::string_view::npos || text.find('/') == std::string_view::npos ||
      !ParseAddress(text, parsed)) {
    return false;
  }
  if (parsed.zone < 1 || parsed.net < 0 || parsed.node < 0 || parsed.point < 0) return false;
  address = parsed;
  return true;
}

}  // namespace

Configuration::Configuration(const std::string& name, const LanguageTable& language,
                             Console& console, Diagnostics& diagnostics, const FileOpener& files)
    : fileName(name.empty() ? std::string("Tarnik.Cfg") : name),
      language_(language),
      console_(console),
      diagnostics_(diagnostics) {
  console_.Write("Loading configuration from \"" + fileName + "\"... \r\n");
  if (!reader_.Open(fileName, files)) {
    loaded = false;
    diagnostics_.Error(fileName, "cannot open the configuration file: " + reader_.ErrorText());
    console_.Write(std::string(kBranchMark) + "Unable to open configuration file.\r\n");
    console_.Write(std::string(kLastMark) + "done.\r\n");
    console_.Write("Usage: Tarnik [<ConfigFile>]\r\n");
    console_.Write("       ConfigFile - configuration file name.\r\n");
  }
}

bool Configuration::Load() {
  if (loaded) {
    std::string line;
    while (reader_.Next(line)) {
      ++lineNumber;
      if (line.empty() || line[0] == '%' || line[0] == '/' || line[0] == ';') continue;
      Interpret(line);
    }
    reader_.Close();
    if (currentGroup_) ReportUnclosedGroup();
    CheckPostTargets();
  }
  if (templatePath.empty()) templatePath = WithSeparator(CurrentDirectory());
  if (dataFileName.empty()) dataFileName = "Tarnik.Dat";
  if (loaded) console_.Write(Mark(kLastMark) + "done.\r\n");
  return loaded;
}

void Configuration::Interpret(const std::string& line) {
  std::string keyword = LowerCase(WordOf(line, 1, kBlanks));
  std::string_view value = Trim(WordOf(line, 2, " \t\""));

  if (keyword == "areafile") {
    areaFileType = std::string(value);
    areaFilePath = ToLocalPath(Trim(WordOf(line, 3, " ")));
    return;
  }
  if (keyword == "datafile") {
    dataFileName = ToLocalPath(value);
    return;
  }
  if (keyword == "templatepath") {
    templatePath = WithSeparator(ToLocalPath(value));
    return;
  }
  if (keyword == "address") {
    if (!ParseNodeAddress(value, address)) {
      LineError("Address: not a node address: \"" + std::string(value) + "\"");
    }
    return;
  }
  if (keyword == "packetdir") {
    packetDir = ToLocalPath(QuotedValue(line, value));
    return;
  }
  if (keyword == "packetpassword") {
    if (value.size() > kPacketPasswordMax) {
      LineError("PacketPassword: longer than " + Decimal(kPacketPasswordMax) + " characters");
    } else {
      packetPassword = std::string(value);
    }
    return;
  }
  if (keyword == "origin") {
    origin = QuotedValue(line, value);
    return;
  }
  if (keyword == "charset") {
    SetCharset(charset, value, true);
    // The lines written from here on are in that charset, marks included.
    console_.SetTextCharset(charset);
    marks_ = std::make_unique<CharsetConverter>(kDesignCharset, charset);
    return;
  }
  if (keyword == "defaultcharset") {
    SetCharset(defaultCharset, value, false);
    return;
  }
  if (keyword == "define") {
    if (value.empty()) {
      console_.Write(Mark(kBranchMark) + "Echotag is not defined at line " + Decimal(lineNumber) +
                     ".\n\r");
      LineError("define without echo tag patterns; line ignored");
      return;
    }
    // A group still open is abandoned: it never reached its "end".
    if (currentGroup_) ReportUnclosedGroup();
    std::string_view patterns = Trim(RestAfterBlank(line));
    CheckPatterns(patterns);
    currentGroup_ = std::make_unique<EchoGroup>(UpperCase(patterns));
    currentGroup_->defineLine = lineNumber;
    return;
  }
  for (const GroupKeyword& groupKeyword : kGroupKeywords) {
    if (keyword != groupKeyword.name) continue;
    if (!currentGroup_) {
      console_.Write(Mark(kBranchMark) + "Area is not defined." +
                     std::string(groupKeyword.lineEnd));
      LineError("\"" + keyword + "\" outside a define ... end block; line ignored");
      return;
    }
    InterpretGroupKeyword(keyword, line, value);
    return;
  }
  console_.Write(Mark(kBranchMark) + "Unknown keyword \"" + std::string(WordOf(line, 1, " ")) +
                 "\" at line: " + Decimal(lineNumber) + ".\r\n");
  LineError("unknown keyword \"" + std::string(WordOf(line, 1, kBlanks)) + "\"; line ignored");
}

std::int32_t Configuration::ListLength(std::string_view keyword, std::string_view value) {
  if (value.empty() || !ParseInt(value)) {
    std::string problem = "\"";
    problem += keyword;
    problem += "\" needs a whole number (the list length), not \"";
    problem += value;
    problem += "\"; the section stays off";
    LineError(problem);
  }
  return IntValue(value);
}

void Configuration::LineError(std::string_view what) {
  diagnostics_.Error(FileLine(fileName, lineNumber), what);
}

void Configuration::ReportUnclosedGroup() {
  diagnostics_.Error(FileLine(fileName, currentGroup_->defineLine),
                     "group \"" + currentGroup_->tagPatterns +
                         "\" has no \"end\" before the next define or the end of the file; it "
                         "gets no report");
}

void Configuration::CheckPatterns(std::string_view patterns) {
  int count = WordCount(patterns, kBlanks);
  for (int i = 1; i <= count; ++i) {
    std::string_view word = WordOf(patterns, i, kBlanks);
    if (word[0] == '~') continue;
    std::string problem = PatternProblem(word);
    if (!problem.empty()) {
      LineError("invalid pattern \"" + std::string(word) + "\": " + problem);
    }
  }
}

void Configuration::CheckPeriod(const EchoGroup& group, std::string_view line,
                                std::string_view value) {
  std::string written(Trim(RestAfterBlank(TrimLeft(line))));
  auto bad = [&](std::string_view why) {
    LineError("bad statperiod \"" + written + "\": " + std::string(why) + "; accepted are " +
              std::string(kPeriodForms));
  };
  switch (group.periodKind) {
    case '*':
      return;
    case 'p':
      break;
    default:
      if (!ParseInt(WordOf(line, 3, kBlanks))) bad("the count is not a number");
      return;
  }
  std::size_t dash = value.find('-');
  if (value.empty()) {
    bad("no period given");
  } else if (dash == std::string_view::npos ||
             value.find('-', dash + 1) != std::string_view::npos ||
             !IsPeriodDate(value.substr(0, dash)) || !IsPeriodDate(value.substr(dash + 1))) {
    bad("not a period");
  } else if (group.periodFrom.day > group.periodTo.day ||
             group.periodFrom.month > group.periodTo.month ||
             (group.periodFrom.year >= 1 && group.periodTo.year >= 1 &&
              group.periodFrom.year > group.periodTo.year)) {
    // Day, month and year are compared each on its own, so a range across a month's end
    // selects nothing; the run goes on as configured.
    diagnostics_.Warning(FileLine(fileName, lineNumber),
                         "statperiod \"" + written +
                             "\" selects nothing: day, month and year are each compared on "
                             "their own, so the range cannot cross a month's or year's end");
  }
}

std::string Configuration::Mark(std::string_view mark) const {
  return marks_ ? marks_->Convert(mark) : std::string(mark);
}

void Configuration::SetCharset(std::string& field, std::string_view value, bool forOutput) {
  if (forOutput ? IsOutputCharset(value) : IsKnownCharset(value)) {
    field = std::string(value);
    return;
  }
  diagnostics_.Warning(FileLine(fileName, lineNumber),
                       "charset \"" + std::string(value) + "\" " +
                           (forOutput ? "cannot be used for reports" : "is unknown") + ", " +
                           field + " used");
}

void Configuration::InterpretGroupKeyword(const std::string& keyword, const std::string& line,
                                          std::string_view value) {
  EchoGroup& group = *currentGroup_;
  if (keyword == "usedatafile") {
    group.useDataFile = true;
  } else if (keyword == "out") {
    group.outputName = ToLocalPath(value);
  } else if (keyword == "description") {
    group.description = value.empty() ? language_.LanguageText(kDefaultDescriptionText)
                                      : std::string(WordOf(line, 2, "\""));
  } else if (keyword == "statperiod") {
    std::string kind = LowerCase(value);
    if (kind == "year" || kind == "month" || kind == "day" || kind == "days") {
      group.periodKind = kind == "year" ? 'y' : kind == "month" ? 'm' : kind == "day" ? 'd' : 's';
      group.periodCount = IntValue(WordOf(line, 3, kBlanks));
    } else if (kind == "*") {
      group.periodKind = '*';
    } else {
      group.periodKind = 'p';
      group.periodFrom = DateOfText(WordOf(value, 1, " -"));
      group.periodTo = DateOfText(WordOf(value, 2, " -"));
    }
    CheckPeriod(group, line, value);
  } else if (keyword == "byfrom") {
    group.byFrom = ListLength(keyword, value);
  } else if (keyword == "byto") {
    group.byTo = ListLength(keyword, value);
  } else if (keyword == "bysubjects") {
    group.bySubjects = ListLength(keyword, value);
  } else if (keyword == "bysize") {
    group.bySize = ListLength(keyword, value);
  } else if (keyword == "bydays") {
    group.byDays = true;
  } else if (keyword == "bydayofweek") {
    group.byDayOfWeek = true;
  } else if (keyword == "bytime") {
    group.byTime = true;
  } else if (keyword == "bytotal") {
    group.byTotal = ListLength(keyword, value);
  } else if (keyword == "template") {
    group.templateName = ToLocalPath(value);
  } else if (keyword == "alias") {
    // The count comes from the commas alone; names are split at quotes and commas.
    std::string_view list = RestAfterBlank(Trim(line));
    int count = WordCount(list, ",");
    for (int i = 1; i <= count; ++i) {
      std::string name(WordOf(list, i, "\","));
      group.aliases.push_back(i > 1 ? LowerCase(name) : name);
    }
  } else if (keyword == "skipmessageifdateaftercurrent") {
    group.skipFutureMessages = true;
  } else if (keyword == "postarea") {
    if (value.empty()) {
      LineError("PostArea: no echo tag");
    } else {
      group.postArea = std::string(value);
      group.postAreaLine = lineNumber;
    }
  } else if (keyword == "postfrom") {
    group.postFrom = QuotedValue(line, value);
  } else if (keyword == "postto") {
    group.postTo = QuotedValue(line, value);
  } else if (keyword == "postsubject") {
    group.postSubject = QuotedValue(line, value);
  } else if (keyword == "postmaxsize") {
    std::optional<std::int32_t> size = ParseInt(value);
    if (!size || *size <= 0) {
      LineError("PostMaxSize: not a positive number: \"" + std::string(value) + "\"");
    } else {
      group.postMaxSize = *size;
    }
  } else if (keyword == "format") {
    InterpretFormat(group, value);
  } else if (keyword == "end") {
    CloseGroup();
  }
}

void Configuration::CheckPostTargets() {
  for (const std::unique_ptr<EchoGroup>& group : groups) {
    if (group->postArea.empty()) continue;
    if (group->format != ReportFormat::kText) {
      // An echo carries plain text: a page or a JSON document would arrive as markup.
      diagnostics_.Error(FileLine(fileName, group->postAreaLine),
                         "PostArea posts text reports only; this group's Format is not text");
      group->postArea.clear();
    } else if (address.zone == 0 || packetDir.empty()) {
      diagnostics_.Error(FileLine(fileName, group->postAreaLine),
                         "PostArea needs Address and PacketDir in the configuration");
      group->postArea.clear();
    }
  }
}

void Configuration::InterpretFormat(EchoGroup& group, std::string_view value) {
  std::string name = LowerCase(value);
  if (name == "text") {
    group.format = ReportFormat::kText;
  } else if (name == "html") {
    group.format = ReportFormat::kHtml;
  } else if (name == "json") {
    group.format = ReportFormat::kJson;
  } else {
    LineError("\"format\" takes text, html or json, not \"" + std::string(value) +
              "\"; the report is text");
    group.format = ReportFormat::kText;
  }
}

void Configuration::CloseGroup() {
  EchoGroup& group = *currentGroup_;
  // An HTML page needs no template and a JSON document takes none.
  if (group.templateName.empty() && group.format == ReportFormat::kText) {
    // Code page 866's case mapping would break the letters of another charset; there only
    // Latin letters are upper-cased.
    std::string title = UpperCase(group.description);
    if (marks_ && !marks_->IsIdentity()) {
      title = group.description;
      for (char& c : title) c = UpperLatin(c);
    }
    console_.Write(Mark(kBranchMark) + "Template file name not defined for group [" + title +
                   "].\r\n");
    console_.Write(Mark(kSubBranchMark) + "File ~Default.Tpl~ will be used as template file.\r\n");
    group.templateName = "Default.Tpl";
  }
  if (group.description.empty()) {
    group.description = language_.LanguageText(kDefaultDescriptionText);
  }
  groups.push_back(std::move(currentGroup_));
}

}  // namespace tarnik
