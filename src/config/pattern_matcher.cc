#include "config/pattern_matcher.h"

// A match runs in three stages. The compiler turns the pattern into a node program: a vector of
// nodes, each one test (a literal run, a set, a group boundary, a choice between alternatives)
// linked to the node after it. The backtracker then follows that program along the subject,
// keeping the choices it has not tried yet on an explicit stack, so deep nesting in a pattern
// never becomes deep recursion. It remembers every (node, subject position) it has entered: with
// no back-references the outcome from there depends on nothing else, so meeting one again means
// it has already failed. That bounds a search by nodes x (subject length + 1) entries, each a few
// steps, however the pattern nests.

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/cp866.h"

namespace tarnik {
namespace {

// Links are offsets relative to the node itself (0 = none), so the compiler can insert a node in
// front of an operand it has already emitted without touching the operand's own links.
enum class NodeKind : std::uint8_t {
  kMatched,       // the whole pattern has matched
  kSubjectStart,  // "^"
  kSubjectEnd,    // "$"
  kAnyChar,       // "."
  kInSet,         // "[...]"
  kNotInSet,      // "[^...]"
  kAlternative,   // operand is the next node; the link leads to the next alternative, if any
  kLoopBack,      // matches nothing; its link goes back to the start of a repeated operand
  kLiteral,       // a run of literal bytes
  kEmpty,         // matches the empty text
  kZeroOrMore,    // a one-character operand (the next node) repeated, greedy
  kOneOrMore,     // likewise, at least once
  kGroupStart,
  kGroupEnd,
};

struct Node {
  NodeKind kind = NodeKind::kEmpty;
  int link = 0;
  int group = 0;
  std::string literal;
  std::bitset<256> set;
};

struct Program {
  std::vector<Node> nodes;
  // Where a match can begin, known when the pattern has a single top-level alternative.
  bool anchoredAtStart = false;
  std::optional<char> firstChar;
};

// The node that node `index` links to, or -1.
int LinkedNode(const std::vector<Node>& nodes, int index) {
  int offset = nodes[static_cast<std::size_t>(index)].link;
  return offset == 0 ? -1 : index + offset;
}

// What a compiled piece of the pattern can match.
constexpr int kNoFlags = 0;
constexpr int kConsumesInput = 1;  // never the empty text, so it may be repeated
constexpr int kSingleChar = 2;     // exactly one character, so a repetition needs no loop nodes

// Group numbers 1 to 127 compile; there are slots to record nine of them while matching.
constexpr int kMaxGroups = 127;
constexpr int kMaxRecordedGroup = 9;
// The "too big" limit is counted in a compact byte encoding of the program (3 bytes a node, a
// literal's or set's bytes plus one, one leading byte), not in our node vector, so which patterns
// are rejected does not depend on how nodes are stored.
constexpr std::size_t kMaxProgramBytes = 32767;
constexpr std::size_t kBytesPerNode = 3;

constexpr std::string_view kMetaChars = "^$.[()|?*+\\";

bool IsRepeatOp(char c) { return c == '*' || c == '+' || c == '?'; }
bool IsMetaChar(char c) { return kMetaChars.find(c) != std::string_view::npos; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

class Compiler {
 public:
  explicit Compiler(std::string_view pattern) : pattern_(pattern) {
    // Patterns rarely need more than two nodes a byte; one allocation instead of regrowing
    // matters when every tag meets every pattern.
    nodes_.reserve(2 * pattern.size() + 2);
  }

  // Builds the program; false with error set when the pattern is invalid.
  bool Compile(Program& program, std::string& error) {
    int flags = kNoFlags;
    if (ParseAlternation(false, flags) < 0 || programBytes_ >= kMaxProgramBytes) {
      error = error_.empty() ? "regexp too big" : error_;
      return false;
    }
    program.nodes = std::move(nodes_);
    FindStartHints(program);
    return true;
  }

 private:
  // With a single top-level alternative, whose link then goes straight to kMatched, a leading
  // "^" or literal tells the search where a match can begin.
  static void FindStartHints(Program& program) {
    const std::vector<Node>& nodes = program.nodes;
    int afterFirst = LinkedNode(nodes, 0);
    if (afterFirst < 0 || nodes[static_cast<std::size_t>(afterFirst)].kind != NodeKind::kMatched) {
      return;
    }
    const Node& first = nodes[1];
    if (first.kind == NodeKind::kLiteral && !first.literal.empty() && first.literal[0] != '\0') {
      program.firstChar = first.literal[0];
    } else if (first.kind == NodeKind::kSubjectStart) {
      program.anchoredAtStart = true;
    }
  }

  char Peek() const { return pos_ < pattern_.size() ? pattern_[pos_] : '\0'; }
  bool AtEnd() const { return pos_ >= pattern_.size(); }
  bool Accept(char c) {
    if (AtEnd() || pattern_[pos_] != c) return false;
    ++pos_;
    return true;
  }

  int Fail(const char* text) {
    if (error_.empty()) error_ = text;
    return -1;
  }

  Node& At(int index) { return nodes_[static_cast<std::size_t>(index)]; }
  int Linked(int index) const { return LinkedNode(nodes_, index); }

  int Append(NodeKind kind) {
    Node node;
    node.kind = kind;
    nodes_.push_back(std::move(node));
    programBytes_ += kBytesPerNode;
    return static_cast<int>(nodes_.size()) - 1;
  }

  // Nothing outside the operand at `index` links into it yet, and its own links are relative,
  // so they all stay valid.
  void InsertBefore(int index, NodeKind kind) {
    Node node;
    node.kind = kind;
    nodes_.insert(nodes_.begin() + index, std::move(node));
    programBytes_ += kBytesPerNode;
  }

  // Links the last node of the chain starting at `from` to `target`.
  void LinkChainEnd(int from, int target) {
    int last = from;
    for (int next = Linked(last); next >= 0; next = Linked(last)) last = next;
    At(last).link = target - last;
  }

  // Links the end of an alternative's operand to `target`; other nodes have no operand chain.
  void LinkOperandEnd(int alternative, int target) {
    if (alternative < 0 || At(alternative).kind != NodeKind::kAlternative) return;
    LinkChainEnd(alternative + 1, target);
  }

  // The whole pattern, or a group after its "(": alternatives separated by "|".
  int ParseAlternation(bool inGroup, int& flags) {
    int group = 0;
    int start = -1;
    if (inGroup) {
      if (groupCount_ >= kMaxGroups) return Fail("too many ()");
      group = ++groupCount_;
      start = Append(NodeKind::kGroupStart);
      At(start).group = group;
    }
    flags = kConsumesInput;
    do {
      int alternativeFlags = kNoFlags;
      int alternative = ParseSequence(alternativeFlags);
      if (alternative < 0) return -1;
      if (start < 0) {
        start = alternative;
      } else {
        LinkChainEnd(start, alternative);
      }
      if (!(alternativeFlags & kConsumesInput)) flags &= ~kConsumesInput;
    } while (Accept('|'));
    JoinAlternatives(start, inGroup ? NodeKind::kGroupEnd : NodeKind::kMatched, group);
    return ExpectEnd(inGroup) ? start : -1;
  }

  // Every alternative, and the chain of alternatives itself, continues at one closing node.
  void JoinAlternatives(int start, NodeKind closing, int group) {
    int end = Append(closing);
    At(end).group = group;
    LinkChainEnd(start, end);
    for (int node = start; node >= 0; node = Linked(node)) LinkOperandEnd(node, end);
  }

  bool ExpectEnd(bool inGroup) {
    if (inGroup ? Accept(')') : AtEnd()) return true;
    Fail(!inGroup && Peek() != ')' ? "junk on end" : "unmatched ()");
    return false;
  }

  // One alternative: the pieces up to "|", ")" or the end; an empty one matches the empty text.
  int ParseSequence(int& flags) {
    flags = kNoFlags;
    int start = Append(NodeKind::kAlternative);
    int last = -1;
    while (!AtEnd() && Peek() != '|' && Peek() != ')') {
      int pieceFlags = kNoFlags;
      int piece = ParsePiece(pieceFlags);
      if (piece < 0) return -1;
      flags |= pieceFlags & kConsumesInput;
      if (last >= 0) LinkChainEnd(last, piece);
      last = piece;
    }
    if (last < 0) Append(NodeKind::kEmpty);
    return start;
  }

  // An atom and the "*", "+" or "?" after it, if any.
  int ParsePiece(int& flags) {
    int atomFlags = kNoFlags;
    int piece = ParseAtom(atomFlags);
    if (piece < 0) return -1;
    char op = Peek();
    if (!IsRepeatOp(op)) {
      flags = atomFlags;
      return piece;
    }
    // A loop over something that can match nothing would never advance.
    if (!(atomFlags & kConsumesInput) && op != '?') return Fail("*+ operand could be empty");
    flags = op == '+' ? kConsumesInput : kNoFlags;
    if ((atomFlags & kSingleChar) && op != '?') {
      InsertBefore(piece, op == '*' ? NodeKind::kZeroOrMore : NodeKind::kOneOrMore);
    } else if (op == '*') {
      BuildZeroOrMoreLoop(piece);
    } else if (op == '+') {
      BuildOneOrMoreLoop(piece);
    } else {
      BuildOptional(piece);
    }
    ++pos_;
    if (IsRepeatOp(Peek())) return Fail("nested *?+");
    return piece;
  }

  // x* as a choice between x (looping back to the choice) and nothing.
  void BuildZeroOrMoreLoop(int piece) {
    InsertBefore(piece, NodeKind::kAlternative);
    LinkOperandEnd(piece, Append(NodeKind::kLoopBack));
    LinkOperandEnd(piece, piece);
    LinkChainEnd(piece, Append(NodeKind::kAlternative));
    LinkChainEnd(piece, Append(NodeKind::kEmpty));
  }

  // x+ as x followed by a choice between going back to x and nothing.
  void BuildOneOrMoreLoop(int piece) {
    int choice = Append(NodeKind::kAlternative);
    LinkChainEnd(piece, choice);
    LinkChainEnd(Append(NodeKind::kLoopBack), piece);
    LinkChainEnd(choice, Append(NodeKind::kAlternative));
    LinkChainEnd(piece, Append(NodeKind::kEmpty));
  }

  // x? as a choice between x and nothing.
  void BuildOptional(int piece) {
    InsertBefore(piece, NodeKind::kAlternative);
    LinkChainEnd(piece, Append(NodeKind::kAlternative));
    int empty = Append(NodeKind::kEmpty);
    LinkChainEnd(piece, empty);
    LinkOperandEnd(piece, empty);
  }

  int ParseAtom(int& flags) {
    flags = kNoFlags;
    if (AtEnd()) return Fail("internal urp");
    switch (pattern_[pos_++]) {
      case '^':
        return Append(NodeKind::kSubjectStart);
      case '$':
        return Append(NodeKind::kSubjectEnd);
      case '.':
        flags = kConsumesInput | kSingleChar;
        return Append(NodeKind::kAnyChar);
      case '[':
        flags = kConsumesInput | kSingleChar;
        return ParseSet();
      case '(': {
        int groupFlags = kNoFlags;
        int group = ParseAlternation(true, groupFlags);
        flags = groupFlags & kConsumesInput;
        return group;
      }
      case '|':
      case ')':
        return Fail("internal urp");
      case '?':
      case '+':
      case '*':
        return Fail("?+* follows nothing");
      case '\\':
        if (AtEnd()) return Fail("trailing \\");
        flags = kConsumesInput | kSingleChar;
        return AppendLiteral(std::string(1, DecodeEscape()));
      default:
        --pos_;
        return ParseLiteralRun(flags);
    }
  }

  int ParseLiteralRun(int& flags) {
    std::size_t length = 0;
    while (pos_ + length < pattern_.size() && !IsMetaChar(pattern_[pos_ + length])) ++length;
    if (length == 0) return Fail("internal disaster");
    // A repetition applies to one character: leave the last one of the run for it.
    if (length > 1 && pos_ + length < pattern_.size() && IsRepeatOp(pattern_[pos_ + length])) {
      --length;
    }
    flags = length == 1 ? kConsumesInput | kSingleChar : kConsumesInput;
    int node = AppendLiteral(pattern_.substr(pos_, length));
    pos_ += length;
    return node;
  }

  int AppendLiteral(std::string_view text) {
    int node = Append(NodeKind::kLiteral);
    At(node).literal.assign(text);
    programBytes_ += text.size() + 1;
    return node;
  }

  // The character a backslash stands for; pos_ is on the character after the backslash.
  char DecodeEscape() {
    char c = pattern_[pos_++];
    switch (c) {
      case 'n':
        return '\n';
      case 't':
        return '\t';
      case 'f':
        return '\f';
      case 'b':
        return '\b';
      case 'r':
        return '\r';
      case 'a':
        return '\a';
      case 'v':
        return '\v';
      case 'x':
        return DecodeHexDigits();
      default:
        break;
    }
    return c >= '0' && c <= '7' ? DecodeOctalDigits(c - '0') : c;
  }

  // Up to two digits after "\x"; with none the escape is the letter x.
  char DecodeHexDigits() {
    int value = 0;
    int digits = 0;
    while (digits < 2 && !AtEnd() && HexValue(Peek()) >= 0) {
      value = value * 16 + HexValue(pattern_[pos_++]);
      ++digits;
    }
    return digits == 0 ? 'x' : static_cast<char>(value);
  }

  // Up to two more octal digits after the first.
  char DecodeOctalDigits(int value) {
    for (int digits = 1; digits < 3 && !AtEnd() && Peek() >= '0' && Peek() <= '7'; ++digits) {
      value = value * 8 + (pattern_[pos_++] - '0');
    }
    // Three octal digits reach 0777; only the low byte is a character.
    return static_cast<char>(value & 0xFF);
  }

  char ParseSetMember() {
    char c = pattern_[pos_++];
    return c == '\\' && !AtEnd() ? DecodeEscape() : c;
  }

  // "[" has been read. A "]" or "-" first is a member; "a-z" adds a range of byte values; a
  // range starts after the previous member (or range end), so "a-c-e" is a, b, c, d, e.
  int ParseSet() {
    int node = Append(Accept('^') ? NodeKind::kNotInSet : NodeKind::kInSet);
    std::bitset<256> members;
    int last = -1;
    auto add = [&](int value) {
      members[static_cast<std::size_t>(value)] = true;
      last = value;
      ++programBytes_;
    };
    if (Peek() == ']' || Peek() == '-') add(static_cast<unsigned char>(pattern_[pos_++]));
    while (!AtEnd() && Peek() != ']') {
      if (!Accept('-')) {
        add(static_cast<unsigned char>(ParseSetMember()));
        continue;
      }
      if (AtEnd() || Peek() == ']') {
        add('-');
        continue;
      }
      int end = static_cast<unsigned char>(ParseSetMember());
      int first = last + 1;
      if (first > end + 1) return Fail("invalid [] range");
      for (int value = first; value <= end; ++value) add(value);
      last = end;
    }
    if (!Accept(']')) return Fail("unmatched []");
    ++programBytes_;
    At(node).set = members;
    return node;
  }

  std::string_view pattern_;
  std::size_t pos_ = 0;
  std::vector<Node> nodes_;
  std::size_t programBytes_ = 1;
  int groupCount_ = 0;
  std::string error_;
};

class Backtracker {
 public:
  Backtracker(const Program& program, std::string_view subject, MatchMode mode)
      : program_(program),
        subject_(subject),
        mode_(mode),
        entered_(program.nodes.size() * (subject.size() + 1), false) {}

  bool Search() {
    if (program_.anchoredAtStart) return SearchFrom(0);
    for (std::size_t start = 0; start <= subject_.size(); ++start) {
      if (program_.firstChar &&
          (start == subject_.size() || !SameFirstChar(*program_.firstChar, subject_[start]))) {
        continue;
      }
      if (SearchFrom(start)) return true;
    }
    return false;
  }

 private:
  // A way forward not tried yet: follow the program from `node` at `pos`.
  struct Choice {
    int node;
    std::size_t pos;
  };

  // A literal's first character folds the whole code page, the rest only a-z: selections made
  // with existing group patterns depend on that split.
  bool SameFirstChar(char pattern, char subject) const {
    return mode_ == MatchMode::kExact ? pattern == subject
                                      : UpperChar(pattern) == UpperChar(subject);
  }
  bool SameLaterChar(char pattern, char subject) const {
    return mode_ == MatchMode::kExact ? pattern == subject
                                      : UpperLatin(pattern) == UpperLatin(subject);
  }

  const Node& At(int index) const { return program_.nodes[static_cast<std::size_t>(index)]; }
  int Linked(int index) const { return LinkedNode(program_.nodes, index); }

  // False when the search has been at this node and position before: it failed from there.
  bool Enter(int node, std::size_t pos) {
    std::size_t cell = static_cast<std::size_t>(node) * (subject_.size() + 1) + pos;
    if (entered_[cell]) return false;
    entered_[cell] = true;
    return true;
  }

  // Every choice left after a failed search from an earlier start has failed too, so the
  // entered marks stay valid from one start to the next.
  bool SearchFrom(std::size_t start) {
    choices_.push_back(Choice{0, start});
    while (!choices_.empty()) {
      Choice choice = choices_.back();
      choices_.pop_back();
      if (Follow(choice.node, choice.pos)) return true;
    }
    return false;
  }

  // Runs the program from `node` at `pos` until it matches or fails, stacking each choice it
  // meets on the way.
  bool Follow(int node, std::size_t pos) {
    while (node >= 0) {
      if (!Enter(node, pos)) return false;
      const Node& current = At(node);
      switch (current.kind) {
        case NodeKind::kMatched:
          return true;
        case NodeKind::kAlternative:
          node = TakeFirstAlternative(node, pos);
          break;
        case NodeKind::kZeroOrMore:
        case NodeKind::kOneOrMore:
          StackRepetitionStops(node, pos);
          return false;
        default:
          if (!Step(current, pos)) return false;
          node = Linked(node);
          break;
      }
    }
    return false;
  }

  // Stacks the second and later alternatives so the second comes off first, and returns the
  // start of the first alternative's operand.
  int TakeFirstAlternative(int node, std::size_t pos) {
    std::size_t firstStacked = choices_.size();
    for (int next = Linked(node); next >= 0 && At(next).kind == NodeKind::kAlternative;
         next = Linked(next)) {
      choices_.push_back(Choice{next + 1, pos});
    }
    std::reverse(choices_.begin() + static_cast<std::ptrdiff_t>(firstStacked), choices_.end());
    return node + 1;
  }

  // Walks the operand one character at a time and stacks every place the repetition may stop,
  // so the longest comes off first. Nothing else ever follows the operand node, so its row of
  // entered marks is free to record the positions this walk has passed: a walk reaching one of
  // them has nothing new to stack, which keeps the work to one step per position.
  void StackRepetitionStops(int node, std::size_t pos) {
    const int operand = node + 1;
    if (At(node).kind == NodeKind::kOneOrMore && !Step(At(operand), pos)) return;
    int next = Linked(node);
    while (Enter(operand, pos)) {
      if (MayStopBefore(next, pos)) choices_.push_back(Choice{next, pos});
      if (!Step(At(operand), pos)) return;
    }
  }

  // When a literal follows a repetition, the subject must hold its first byte exactly, even when
  // folding: which tags existing group patterns select depends on it.
  bool MayStopBefore(int next, std::size_t pos) const {
    if (next < 0 || At(next).kind != NodeKind::kLiteral || At(next).literal[0] == '\0') return true;
    return pos < subject_.size() && subject_[pos] == At(next).literal[0];
  }

  // Sets compare bytes exactly in both modes, for the same reason as the literal look-ahead.
  static bool InSet(const Node& node, char c) {
    return node.set[static_cast<unsigned char>(c)] == (node.kind == NodeKind::kInSet);
  }

  // Matches a node that offers no choice; advances pos past what it consumed.
  bool Step(const Node& node, std::size_t& pos) const {
    const std::size_t length = subject_.size();
    switch (node.kind) {
      case NodeKind::kSubjectStart:
        return pos == 0;
      case NodeKind::kSubjectEnd:
        return pos == length;
      case NodeKind::kAnyChar:
      case NodeKind::kInSet:
      case NodeKind::kNotInSet:
        if (pos >= length || (node.kind != NodeKind::kAnyChar && !InSet(node, subject_[pos]))) {
          return false;
        }
        ++pos;
        return true;
      case NodeKind::kLiteral:
        return StepLiteral(node.literal, pos);
      case NodeKind::kGroupStart:
      case NodeKind::kGroupEnd:
        // A path through a group with no slot to record it fails.
        return node.group <= kMaxRecordedGroup;
      default:
        return true;
    }
  }

  bool StepLiteral(const std::string& text, std::size_t& pos) const {
    // The subject holds no NUL, so a NUL literal (from an escape) matches nothing.
    if (text.size() > subject_.size() - pos || !SameFirstChar(text[0], subject_[pos])) {
      return false;
    }
    for (std::size_t i = 1; i < text.size(); ++i) {
      if (!SameLaterChar(text[i], subject_[pos + i])) return false;
    }
    pos += text.size();
    return true;
  }

  const Program& program_;
  std::string_view subject_;
  MatchMode mode_;
  std::vector<bool> entered_;
  std::vector<Choice> choices_;
};

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

bool PatternMatcher::Match(std::string_view pattern, std::string_view subject, MatchMode mode) {
  Program program;
  if (!Compiler(UpToNul(pattern)).Compile(program, lastError_)) return false;
  return Backtracker(program, UpToNul(subject), mode).Search();
}

}  // namespace tarnik
