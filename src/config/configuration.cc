#include "config/configuration.h"

#include <string_view>

#include "common/console.h"
#include "common/cp866.h"
#include "common/diagnostics.h"
#include "common/file_system.h"
#include "common/text.h"
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
    {"format", "\r\n"},      {"end", "\r\n"},
};

PeriodDate DateOfText(std::string_view text) {
  PeriodDate date;
  date.day = IntValue(WordOf(text, 1, " ."));
  date.month = IntValue(WordOf(text, 2, " ."));
  date.year = IntValue(WordOf(text, 3, " ."));
  return date;
}

}  // namespace

Configuration::Configuration(const std::string& name, const LanguageTable& language,
                             Console& console, Diagnostics& diagnostics)
    : fileName(name.empty() ? std::string("Tarnik.Cfg") : name),
      language_(language),
      console_(console),
      diagnostics_(diagnostics) {
  console_.Write("Loading configuration from \"" + fileName + "\"... \r\n");
  if (!reader_.Open(fileName)) {
    loaded = false;
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
  }
  if (templatePath.empty()) templatePath = WithSeparator(CurrentDirectory());
  if (dataFileName.empty()) dataFileName = "Tarnik.Dat";
  if (loaded) console_.Write(std::string(kLastMark) + "done.\r\n");
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
  if (keyword == "charset") {
    SetCharset(charset, value, true);
    return;
  }
  if (keyword == "defaultcharset") {
    SetCharset(defaultCharset, value, false);
    return;
  }
  if (keyword == "define") {
    if (value.empty()) {
      console_.Write(std::string(kBranchMark) + "Echotag is not defined at line " +
                     Decimal(lineNumber) + ".\n\r");
      return;
    }
    // A group still open is abandoned: it never reached its "end".
    currentGroup_ = std::make_unique<EchoGroup>(UpperCase(Trim(RestAfterBlank(line))));
    return;
  }
  for (const GroupKeyword& groupKeyword : kGroupKeywords) {
    if (keyword != groupKeyword.name) continue;
    if (!currentGroup_) {
      console_.Write(std::string(kBranchMark) + "Area is not defined." +
                     std::string(groupKeyword.lineEnd));
      return;
    }
    InterpretGroupKeyword(keyword, line, value);
    return;
  }
  console_.Write(std::string(kBranchMark) + "Unknown keyword \"" +
                 std::string(WordOf(line, 1, " ")) + "\" at line: " + Decimal(lineNumber) +
                 ".\r\n");
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
  } else if (keyword == "byfrom") {
    group.byFrom = IntValue(value);
  } else if (keyword == "byto") {
    group.byTo = IntValue(value);
  } else if (keyword == "bysubjects") {
    group.bySubjects = IntValue(value);
  } else if (keyword == "bysize") {
    group.bySize = IntValue(value);
  } else if (keyword == "bydays") {
    group.byDays = true;
  } else if (keyword == "bydayofweek") {
    group.byDayOfWeek = true;
  } else if (keyword == "bytime") {
    group.byTime = true;
  } else if (keyword == "bytotal") {
    group.byTotal = IntValue(value);
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
  } else if (keyword == "format") {
    InterpretFormat(group, value);
  } else if (keyword == "end") {
    CloseGroup();
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
    console_.Write(std::string(kBranchMark) + "Unknown report format \"" + std::string(value) +
                   "\" at line " + Decimal(lineNumber) + "; text is written.\r\n");
    group.format = ReportFormat::kText;
  }
}

void Configuration::CloseGroup() {
  EchoGroup& group = *currentGroup_;
  // An HTML page needs no template and a JSON document takes none.
  if (group.templateName.empty() && group.format == ReportFormat::kText) {
    console_.Write(std::string(kBranchMark) + "Template file name not defined for group [" +
                   UpperCase(group.description) + "].\r\n");
    console_.Write(std::string(kSubBranchMark) +
                   "File ~Default.Tpl~ will be used as template file.\r\n");
    group.templateName = "Default.Tpl";
  }
  if (group.description.empty()) {
    group.description = language_.LanguageText(kDefaultDescriptionText);
  }
  groups.push_back(std::move(currentGroup_));
}

}  // namespace tarnik
