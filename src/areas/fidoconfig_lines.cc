#include "areas/fidoconfig_lines.h"

#include "common/cp866.h"
#include "common/diagnostics.h"
#include "common/environment.h"
#include "common/file_system.h"
#include "common/line_reader.h"
#include "common/text.h"

namespace tarnik {
namespace {

// The characters Husky accepts after "commentChar".
constexpr std::string_view kCommentChars = "!#$%;";
// Every open file holds a read buffer; a chain of distinct files this deep is no real node.
constexpr std::size_t kMaxIncludeDepth = 32;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The text after the first word, without the blanks around it.
std::string_view AfterFirstWord(std::string_view text) {
  text = TrimBlanks(text);
  std::size_t end = 0;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  return TrimBlanks(text.substr(end));
}

// "*" matches any run of characters, "?" any one; letters match in either case.
bool MaskMatch(std::string_view mask, std::string_view text) {
  std::size_t m = 0, t = 0, starM = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    if (m < mask.size() && (mask[m] == '?' || UpperChar(mask[m]) == UpperChar(text[t]))) {
      ++m;
      ++t;
    } else if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starT = t;
    } else if (starM != std::string_view::npos) {
      m = starM + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

struct FidoconfigLines::Source {
  LineReader reader;
  std::string name;      // as named, for messages
  std::string identity;  // the canonical path, to recognise a file already being read
  int lineNumber = 0;
};

FidoconfigLines::FidoconfigLines(const Environment& environment, Diagnostics& diagnostics,
                                 const FileOpener& files)
    : environment_(environment), diagnostics_(diagnostics), files_(files) {
  variables_["OS"] = "UNIX";
  variables_["MODULE"] = "tarnik";
  // Husky's escapes: "[[]" gives "[", "[`]" a backquote that starts no command, and so on.
  for (std::string_view c : {"[", "`", "\"", "'", "#"}) variables_[std::string(c)] = c;
}

FidoconfigLines::~FidoconfigLines() = default;

bool FidoconfigLines::Open(const std::string& path) {
  auto source = std::make_unique<Source>();
  source->name = path;
  source->identity = files_.CanonicalName(path);
  if (!source->reader.Open(path, files_)) {
    openError_ = source->reader.ErrorText();
    return false;
  }
  sources_.push_back(std::move(source));
  return true;
}

bool FidoconfigLines::NextJoined(std::string& line) {
  while (!sources_.empty()) {
    Source& source = *sources_.back();
    if (source.reader.Next(line)) {
      ++source.lineNumber;
      place_ = FileLine(source.name, source.lineNumber);
      std::string more;
      while (line.size() >= 2 && line.back() == '\\' && IsBlank(line[line.size() - 2]) &&
             source.reader.Next(more)) {
        ++source.lineNumber;
        line.pop_back();
        line += more;
      }
      return true;
    }
    sources_.pop_back();
  }
  return false;
}

bool FidoconfigLines::Next(std::string& line) {
  std::string raw;
  while (NextJoined(raw)) {
    if (raw.empty() || raw[0] == '%' || raw[0] == '/' || raw[0] == ';') continue;
    std::string_view text = CutComment(raw);
    if (text.empty()) continue;
    std::string keyword = LowerCase(WordOf(text, 1, kBlanks));
    std::string_view rest = AfterFirstWord(text);
    if (Conditionals(keyword, rest) || !Active(conditionals_.size())) continue;
    if (keyword == "set") {
      Set(Expand(rest));
    } else if (keyword == "include") {
      Include(Expand(rest));
    } else if (keyword == "commentchar") {
      SetCommentChar(rest);
    } else {
      line = std::string(TrimBlanks(Expand(text)));
      return true;
    }
  }
  for (const Conditional& open : conditionals_) {
    diagnostics_.Error(open.place, "\"if\" without \"endif\"");
  }
  conditionals_.clear();
  return false;
}

std::string_view FidoconfigLines::CutComment(std::string_view text) const {
  text = TrimBlanks(text);
  if (!text.empty() && text[0] == commentChar_) return {};
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == commentChar_ && IsBlank(text[i - 1]) && IsBlank(text[i + 1])) {
      return TrimBlanks(text.substr(0, i));
    }
  }
  return text;
}

std::string FidoconfigLines::Expand(std::string_view text) {
  std::string expanded;
  bool command = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    std::size_t close = std::string_view::npos;
    if (c == '`') close = text.find('`', i + 1);
    if (c == '[') close = text.find(']', i + 1);
    if (close == std::string_view::npos) {
      expanded += c;
      continue;
    }
    if (c == '`') {
      expanded.append(text.substr(i, close - i + 1));
      command = true;
    } else {
      expanded += Value(text.substr(i + 1, close - i - 1));
    }
    i = close;
  }
  if (command) {
    diagnostics_.Warning(place_, "`command` is not run; the line is read with the text as written");
  }
  return expanded;
}

std::string FidoconfigLines::Value(std::string_view name) const {
  auto found = variables_.find(UpperCase(name));
  if (found != variables_.end()) return found->second;
  return environment_.Get(std::string(name));
}

bool FidoconfigLines::Defined(std::string_view name) const {
  return variables_.count(UpperCase(name)) != 0 || !environment_.Get(std::string(name)).empty();
}

bool FidoconfigLines::Evaluate(std::string_view condition, bool& result) const {
  condition = TrimBlanks(condition);
  bool negate = false;
  if (condition.size() > 3 && LowerCase(condition.substr(0, 3)) == "not" && IsBlank(condition[3])) {
    negate = true;
    condition = TrimBlanks(condition.substr(4));
  }
  // An operator inside double quotes belongs to the text being compared.
  bool quoted = false;
  std::size_t at = std::string_view::npos;
  for (std::size_t i = 0; i + 1 < condition.size() && at == std::string_view::npos; ++i) {
    if (condition[i] == '"') quoted = !quoted;
    if (!quoted && (condition[i] == '=' || condition[i] == '!') &&
        (condition[i + 1] == '=' || condition[i + 1] == '~')) {
      at = i;
    }
  }
  if (at == std::string_view::npos) return false;
  std::string_view left = TrimBlanks(condition.substr(0, at));
  std::string_view right = TrimBlanks(condition.substr(at + 2));
  bool match = condition[at + 1] == '~' ? MaskMatch(right, left) : EqualFolded(left, right);
  result = (match != (condition[at] == '!')) != negate;
  return true;
}

bool FidoconfigLines::Active(std::size_t levels) const {
  for (std::size_t i = 0; i < levels && i < conditionals_.size(); ++i) {
    if (!conditionals_[i].state) return false;
  }
  return true;
}

bool FidoconfigLines::Conditionals(std::string_view keyword, std::string_view rest) {
  if (keyword == "if" || keyword == "ifdef" || keyword == "ifndef") {
    Conditional opened;
    opened.place = place_;
    // Inside a false branch nothing is evaluated: no branch of this one is taken either.
    if (!Active(conditionals_.size())) {
      opened.wasTrue = true;
    } else if (keyword == "if") {
      std::string condition = Expand(rest);
      if (!Evaluate(condition, opened.state)) {
        diagnostics_.Error(
            place_, "cannot read the condition " + Quoted(condition) + "; it counts as false");
      }
    } else {
      std::string name = Expand(rest);
      if (name.empty()) {
        diagnostics_.Error(place_, Quoted(keyword) + " without a name; it counts as false");
      } else {
        opened.state = Defined(name) == (keyword == "ifdef");
      }
    }
    opened.wasTrue = opened.wasTrue || opened.state;
    conditionals_.push_back(opened);
    return true;
  }
  if (keyword == "elseif" || keyword == "elif" || keyword == "else") {
    if (conditionals_.empty() || conditionals_.back().inElse) {
      diagnostics_.Error(place_, Quoted(keyword) + " without \"if\"");
      return true;
    }
    Conditional& current = conditionals_.back();
    current.state = false;
    if (keyword == "else") {
      current.inElse = true;
      current.state = !current.wasTrue;
    } else if (!current.wasTrue && Active(conditionals_.size() - 1)) {
      std::string condition = Expand(rest);
      if (!Evaluate(condition, current.state)) {
        diagnostics_.Error(
            place_, "cannot read the condition " + Quoted(condition) + "; it counts as false");
      }
      current.wasTrue = current.state;
    }
    return true;
  }
  if (keyword == "endif") {
    if (conditionals_.empty()) {
      diagnostics_.Error(place_, "\"endif\" without \"if\"");
    } else {
      conditionals_.pop_back();
    }
    return true;
  }
  return false;
}

void FidoconfigLines::Set(std::string_view text) {
  std::size_t equals = text.find('=');
  std::string_view name = TrimBlanks(text.substr(0, equals));
  std::string_view value;
  if (equals != std::string_view::npos) value = TrimBlanks(text.substr(equals + 1));
  if (!value.empty() && value.front() == '"') {
    value.remove_prefix(1);
    if (!value.empty() && value.back() == '"') value.remove_suffix(1);
  }
  if (name.empty()) {
    diagnostics_.Error(place_, "\"set\" without a variable name");
    return;
  }
  variables_[UpperCase(name)] = std::string(value);
}

void FidoconfigLines::Include(std::string_view text) {
  std::string name = ToLocalPath(TrimBlanks(text));
  if (name.empty()) {
    diagnostics_.Error(place_, "\"include\" without a file name");
    return;
  }
  auto source = std::make_unique<Source>();
  source->name = name;
  source->identity = files_.CanonicalName(name);
  for (const std::unique_ptr<Source>& open : sources_) {
    if (!source->identity.empty() && open->identity == source->identity) {
      diagnostics_.Error(
          place_, "include loop: " + Quoted(name) + " is already being read; it is not read again");
      return;
    }
  }
  if (sources_.size() >= kMaxIncludeDepth) {
    diagnostics_.Error(place_, "includes nested more than " +
                                   Decimal(static_cast<std::int64_t>(kMaxIncludeDepth)) +
                                   " files deep; " + Quoted(name) + " is not read");
    return;
  }
  // Only plain files: a device such as /dev/zero would never end, so it is not even opened.
  if (!source->identity.empty() && !files_.FileExists(name) && !files_.DirectoryExists(name)) {
    diagnostics_.Error(place_,
                       "cannot read the included file " + Quoted(name) + ": not a plain file");
    return;
  }
  if (!source->reader.Open(name, files_)) {
    diagnostics_.Error(place_, "cannot open the included file " + Quoted(name) + ": " +
                                   source->reader.ErrorText());
    return;
  }
  sources_.push_back(std::move(source));
}

void FidoconfigLines::SetCommentChar(std::string_view text) {
  if (text.empty() || kCommentChars.find(text[0]) == std::string_view::npos) {
    diagnostics_.Error(place_,
                       "\"commentChar\" needs one of ! # $ % ; (the comment character "
                       "stays " +
                           Quoted(std::string(1, commentChar_)) + ")");
    return;
  }
  commentChar_ = text[0];
  variables_[std::string(1, commentChar_)] = std::string(1, commentChar_);
}

}  // namespace tarnik
