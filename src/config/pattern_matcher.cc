#include "config/pattern_matcher.h"

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "common/cp866.h"

namespace tarnik {
namespace {

// Node program in the classic style: every node links to its successor by a relative offset
// (0 = none), so a node can be inserted in front of an operand that is already compiled.
enum class Op : std::uint8_t {
  kEnd,      // the match succeeded
  kBol,      // start of the subject
  kEol,      // end of the subject
  kAny,      // any one character
  kAnyOf,    // one character of the set
  kAnyBut,   // one character not in the set
  kBranch,   // try the operand (the next node), else the branch linked by next
  kBack,     // no-op link that points backwards
  kExactly,  // a literal run
  kNothing,  // matches the empty text
  kStar,     // the simple operand (next node) zero or more times, greedy
  kPlus,     // the simple operand one or more times, greedy
  kOpen,     // start of group number `group`
  kClose,    // end of group number `group`
};

struct Node {
  Op op = Op::kNothing;
  int next = 0;
  int group = 0;
  std::string text;      // kExactly: the literal bytes
  std::bitset<256> set;  // kAnyOf, kAnyBut
};

struct Program {
  std::vector<Node> nodes;
  bool anchored = false;  // the only top-level alternative starts with "^"
  bool hasStart = false;  // the only top-level alternative starts with a literal
  char start = 0;
};

// Flags of a compiled piece.
constexpr int kWorst = 0;
constexpr int kHasWidth = 1;  // never matches the empty text
constexpr int kSimple = 2;    // one character wide, so it can be the operand of kStar/kPlus
constexpr int kSpStart = 4;   // starts with * or +

// More "(" than this in one pattern is an error; only the first nine groups can match.
constexpr int kMaxParens = 128;
constexpr int kMatchableGroups = 10;
// Program size in the classic units: 3 bytes per node, operand bytes plus a terminator.
constexpr std::size_t kMaxProgramSize = 32767;
constexpr std::size_t kNodeSize = 3;

constexpr std::string_view kMeta = "^$.[()|?*+\\";

bool IsMult(char c) { return c == '*' || c == '+' || c == '?'; }
bool IsMeta(char c) { return kMeta.find(c) != std::string_view::npos; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

class Compiler {
 public:
  explicit Compiler(std::string_view pattern) : pattern_(pattern) {}

  // Builds the program; false with error set when the pattern is invalid.
  bool Compile(Program& program, std::string& error) {
    int flags = 0;
    if (Reg(false, flags) < 0 || size_ >= kMaxProgramSize) {
      if (error_.empty()) error_ = "regexp too big";
      error = error_;
      return false;
    }
    program.nodes = std::move(nodes_);
    const std::vector<Node>& nodes = program.nodes;
    if (NextOf(nodes, 0) >= 0 && nodes[static_cast<std::size_t>(NextOf(nodes, 0))].op == Op::kEnd) {
      const Node& first = nodes[1];
      if (first.op == Op::kExactly && !first.text.empty() && first.text[0] != '\0') {
        program.hasStart = true;
        program.start = first.text[0];
      } else if (first.op == Op::kBol) {
        program.anchored = true;
      }
    }
    return true;
  }

  static int NextOf(const std::vector<Node>& nodes, int p) {
    int offset = nodes[static_cast<std::size_t>(p)].next;
    return offset == 0 ? -1 : p + offset;
  }

 private:
  char Peek() const { return pos_ < pattern_.size() ? pattern_[pos_] : '\0'; }
  bool AtEnd() const { return pos_ >= pattern_.size(); }

  int Fail(const char* text) {
    if (error_.empty()) error_ = text;
    return -1;
  }

  Node& At(int p) { return nodes_[static_cast<std::size_t>(p)]; }

  int AddNode(Op op) {
    Node node;
    node.op = op;
    nodes_.push_back(std::move(node));
    size_ += kNodeSize;
    return static_cast<int>(nodes_.size()) - 1;
  }

  // Puts a node in front of the operand at p; the operand's links are relative, and nothing
  // outside it links into it yet, so they stay valid.
  void Insert(Op op, int p) {
    Node node;
    node.op = op;
    nodes_.insert(nodes_.begin() + p, std::move(node));
    size_ += kNodeSize;
  }

  int Next(int p) { return NextOf(nodes_, p); }

  // Links the last node of the chain starting at p to val.
  void Tail(int p, int val) {
    int scan = p;
    for (int next = Next(scan); next >= 0; next = Next(scan)) scan = next;
    At(scan).next = val - scan;
  }

  // Tail on the operand of a branch; nothing for other nodes.
  void OpTail(int p, int val) {
    if (p < 0 || At(p).op != Op::kBranch) return;
    Tail(p + 1, val);
  }

  // pattern: alternatives separated by "|", inside a group when paren is true.
  int Reg(bool paren, int& flags) {
    flags = kHasWidth;
    int ret = -1;
    int group = 0;
    if (paren) {
      if (parens_ >= kMaxParens) return Fail("too many ()");
      group = parens_++;
      ret = AddNode(Op::kOpen);
      At(ret).group = group;
    }
    int branchFlags = 0;
    int branch = Branch(branchFlags);
    if (branch < 0) return -1;
    if (ret >= 0) {
      Tail(ret, branch);
    } else {
      ret = branch;
    }
    if (!(branchFlags & kHasWidth)) flags &= ~kHasWidth;
    flags |= branchFlags & kSpStart;
    while (Peek() == '|') {
      ++pos_;
      branch = Branch(branchFlags);
      if (branch < 0) return -1;
      Tail(ret, branch);
      if (!(branchFlags & kHasWidth)) flags &= ~kHasWidth;
      flags |= branchFlags & kSpStart;
    }
    int ender = AddNode(paren ? Op::kClose : Op::kEnd);
    At(ender).group = group;
    Tail(ret, ender);
    for (int p = ret; p >= 0; p = Next(p)) OpTail(p, ender);
    if (paren) {
      if (Peek() != ')') return Fail("unmatched ()");
      ++pos_;
    } else if (!AtEnd()) {
      return Fail(Peek() == ')' ? "unmatched ()" : "junk on end");
    }
    return ret;
  }

  // One alternative: a sequence of pieces (an empty one matches the empty text).
  int Branch(int& flags) {
    flags = kWorst;
    int ret = AddNode(Op::kBranch);
    int chain = -1;
    while (!AtEnd() && Peek() != '|' && Peek() != ')') {
      int pieceFlags = 0;
      int latest = Piece(pieceFlags);
      if (latest < 0) return -1;
      flags |= pieceFlags & kHasWidth;
      if (chain < 0) {
        flags |= pieceFlags & kSpStart;
      } else {
        Tail(chain, latest);
      }
      chain = latest;
    }
    if (chain < 0) AddNode(Op::kNothing);
    return ret;
  }

  // An atom with an optional repetition. Simple operands get kStar/kPlus; others are built
  // from branches looping back: x* as (x&|), x+ as x(&|), x? as (x|).
  int Piece(int& flags) {
    int atomFlags = 0;
    int ret = Atom(atomFlags);
    if (ret < 0) return -1;
    char op = Peek();
    if (!IsMult(op)) {
      flags = atomFlags;
      return ret;
    }
    if (!(atomFlags & kHasWidth) && op != '?') return Fail("*+ operand could be empty");
    flags = op != '+' ? (kWorst | kSpStart) : (kWorst | kHasWidth);
    if (op == '*' && (atomFlags & kSimple)) {
      Insert(Op::kStar, ret);
    } else if (op == '*') {
      Insert(Op::kBranch, ret);
      OpTail(ret, AddNode(Op::kBack));
      OpTail(ret, ret);
      Tail(ret, AddNode(Op::kBranch));
      Tail(ret, AddNode(Op::kNothing));
    } else if (op == '+' && (atomFlags & kSimple)) {
      Insert(Op::kPlus, ret);
    } else if (op == '+') {
      int next = AddNode(Op::kBranch);
      Tail(ret, next);
      Tail(AddNode(Op::kBack), ret);
      Tail(next, AddNode(Op::kBranch));
      Tail(ret, AddNode(Op::kNothing));
    } else {
      Insert(Op::kBranch, ret);
      Tail(ret, AddNode(Op::kBranch));
      int next = AddNode(Op::kNothing);
      Tail(ret, next);
      OpTail(ret, next);
    }
    ++pos_;
    if (IsMult(Peek())) return Fail("nested *?+");
    return ret;
  }

  // The character after a backslash (pos_ is on it, and it exists).
  char Escape() {
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
      case 'x': {
        int value = 0;
        int digits = 0;
        while (digits < 2 && !AtEnd() && HexValue(Peek()) >= 0) {
          value = value * 16 + HexValue(pattern_[pos_++]);
          ++digits;
        }
        return digits == 0 ? 'x' : static_cast<char>(value);
      }
      default:
        break;
    }
    if (c >= '0' && c <= '7') {
      int value = c - '0';
      for (int digits = 1; digits < 3 && !AtEnd() && Peek() >= '0' && Peek() <= '7'; ++digits) {
        value = value * 8 + (pattern_[pos_++] - '0');
      }
      // Three octal digits reach 0777; only the low byte is a character.
      return static_cast<char>(value & 0xFF);
    }
    return c;
  }

  int Atom(int& flags) {
    flags = kWorst;
    if (AtEnd()) return Fail("internal urp");
    char c = pattern_[pos_++];
    switch (c) {
      case '^':
        return AddNode(Op::kBol);
      case '$':
        return AddNode(Op::kEol);
      case '.':
        flags |= kHasWidth | kSimple;
        return AddNode(Op::kAny);
      case '[':
        flags |= kHasWidth | kSimple;
        return Set();
      case '(': {
        int groupFlags = 0;
        int ret = Reg(true, groupFlags);
        if (ret < 0) return -1;
        flags |= groupFlags & (kHasWidth | kSpStart);
        return ret;
      }
      case '|':
      case ')':
        return Fail("internal urp");
      case '?':
      case '+':
      case '*':
        return Fail("?+* follows nothing");
      case '\\': {
        if (AtEnd()) return Fail("trailing \\");
        int ret = AddNode(Op::kExactly);
        At(ret).text.assign(1, Escape());
        size_ += 2;
        flags |= kHasWidth | kSimple;
        return ret;
      }
      default:
        break;
    }
    --pos_;
    std::size_t length = 0;
    while (pos_ + length < pattern_.size() && !IsMeta(pattern_[pos_ + length])) ++length;
    if (length == 0) return Fail("internal disaster");
    // A repetition applies to one character: leave the last one of the run for it.
    if (length > 1 && IsMult(pos_ + length < pattern_.size() ? pattern_[pos_ + length] : '\0')) {
      --length;
    }
    flags |= kHasWidth;
    if (length == 1) flags |= kSimple;
    int ret = AddNode(Op::kExactly);
    At(ret).text.assign(pattern_.substr(pos_, length));
    size_ += length + 1;
    pos_ += length;
    return ret;
  }

  // Reads one member of a set, decoding an escape.
  char SetChar() {
    char c = pattern_[pos_++];
    if (c == '\\' && !AtEnd()) return Escape();
    return c;
  }

  // "[" has been read. A "]" or "-" first is a member; "a-z" adds a range of byte values; a
  // range starts after the previous member (or range end), so "a-c-e" is a, b, c, d, e.
  int Set() {
    int ret = AddNode(Op::kAnyOf);
    if (Peek() == '^') {
      At(ret).op = Op::kAnyBut;
      ++pos_;
    }
    std::bitset<256> members;
    int last = -1;
    auto add = [&](int value) {
      members[static_cast<std::size_t>(value)] = true;
      last = value;
      ++size_;
    };
    if (!AtEnd() && (Peek() == ']' || Peek() == '-'))
      add(static_cast<unsigned char>(pattern_[pos_++]));
    while (!AtEnd() && Peek() != ']') {
      if (Peek() == '-') {
        ++pos_;
        if (AtEnd() || Peek() == ']') {
          add('-');
          continue;
        }
        int end = static_cast<unsigned char>(SetChar());
        int first = last + 1;
        if (first > end + 1) return Fail("invalid [] range");
        for (int value = first; value <= end; ++value) add(value);
        last = end;
      } else {
        add(static_cast<unsigned char>(SetChar()));
      }
    }
    if (AtEnd()) return Fail("unmatched []");
    ++pos_;
    ++size_;
    At(ret).set = members;
    return ret;
  }

  std::string_view pattern_;
  std::size_t pos_ = 0;
  std::vector<Node> nodes_;
  std::size_t size_ = 1;  // the classic program starts with a magic byte
  int parens_ = 1;
  std::string error_;
};

class Matcher {
 public:
  Matcher(const Program& program, std::string_view subject, MatchMode mode)
      : nodes_(program.nodes), subject_(subject), mode_(mode) {
    std::size_t cells = nodes_.size() * (subject_.size() + 1);
    if (cells <= kMaxMemoCells) failed_.assign(cells, false);
  }

  bool Search(const Program& program) {
    if (program.anchored) return Run(0, 0);
    for (std::size_t pos = 0; pos <= subject_.size() && !aborted_; ++pos) {
      if (program.hasStart &&
          (pos == subject_.size() || !FirstEqual(program.start, subject_[pos]))) {
        continue;
      }
      if (Run(0, pos)) return true;
    }
    return false;
  }

 private:
  // Bits for "this node fails at this position"; with no back-references the outcome of a
  // node at a position never changes, which keeps nested repetitions from going exponential.
  static constexpr std::size_t kMaxMemoCells = std::size_t{1} << 24;

  bool FirstEqual(char pattern, char subject) const {
    return mode_ == MatchMode::kExact ? pattern == subject
                                      : UpperChar(pattern) == UpperChar(subject);
  }
  bool RestEqual(char pattern, char subject) const {
    return mode_ == MatchMode::kExact ? pattern == subject
                                      : UpperLatin(pattern) == UpperLatin(subject);
  }

  int Next(int p) const { return Compiler::NextOf(nodes_, p); }
  const Node& At(int p) const { return nodes_[static_cast<std::size_t>(p)]; }

  bool Spend(std::size_t steps) {
    steps_ += steps;
    if (steps_ > PatternMatcher::kStepBudget) aborted_ = true;
    return !aborted_;
  }

  bool Run(int scan, std::size_t pos) {
    if (aborted_ || scan < 0) return false;
    std::size_t cell = static_cast<std::size_t>(scan) * (subject_.size() + 1) + pos;
    bool memo = !failed_.empty();
    if (memo && failed_[cell]) return false;
    if (depth_ >= PatternMatcher::kMaxDepth) {
      aborted_ = true;
      return false;
    }
    ++depth_;
    bool matched = RunFrom(scan, pos);
    --depth_;
    if (!matched && memo && !aborted_) failed_[cell] = true;
    return matched;
  }

  // Follows the chain from scan; recurses only where there is a choice.
  bool RunFrom(int scan, std::size_t pos) {
    const std::size_t length = subject_.size();
    while (scan >= 0) {
      if (!Spend(1)) return false;
      const Node& node = At(scan);
      int next = Next(scan);
      switch (node.op) {
        case Op::kEnd:
          return true;
        case Op::kBol:
          if (pos != 0) return false;
          break;
        case Op::kEol:
          if (pos != length) return false;
          break;
        case Op::kAny:
          if (pos >= length) return false;
          ++pos;
          break;
        case Op::kExactly: {
          const std::string& text = node.text;
          // The subject holds no NUL, so a NUL literal (from an escape) matches nothing.
          if (text.size() > length - pos || !FirstEqual(text[0], subject_[pos])) return false;
          for (std::size_t i = 1; i < text.size(); ++i) {
            if (!RestEqual(text[i], subject_[pos + i])) return false;
          }
          pos += text.size();
          break;
        }
        case Op::kAnyOf:
        case Op::kAnyBut: {
          if (pos >= length) return false;
          bool member = node.set[static_cast<unsigned char>(subject_[pos])];
          if (member != (node.op == Op::kAnyOf)) return false;
          ++pos;
          break;
        }
        case Op::kNothing:
        case Op::kBack:
          break;
        case Op::kOpen:
        case Op::kClose:
          // Only nine groups are kept; reaching a later one ends the match.
          if (node.group >= kMatchableGroups) return false;
          break;
        case Op::kBranch: {
          if (next < 0 || At(next).op != Op::kBranch) {
            next = scan + 1;
            break;
          }
          // The last alternative continues this frame, so a chain of "x?" does not nest.
          int alt = scan;
          for (int following = Next(alt); following >= 0 && At(following).op == Op::kBranch;
               alt = following, following = Next(alt)) {
            if (Run(alt + 1, pos)) return true;
            if (aborted_) return false;
          }
          next = alt + 1;
          break;
        }
        case Op::kStar:
        case Op::kPlus: {
          // Continue only where the subject holds the next literal's first byte exactly.
          char nextChar = next >= 0 && At(next).op == Op::kExactly ? At(next).text[0] : '\0';
          std::size_t least = node.op == Op::kStar ? 0 : 1;
          std::size_t count = Repeat(At(scan + 1), pos);
          if (!Spend(count)) return false;
          for (; count >= least; --count) {
            std::size_t at = pos + count;
            if (nextChar == '\0' || (at < length && subject_[at] == nextChar)) {
              if (Run(next, at)) return true;
              if (aborted_) return false;
            }
            if (count == 0) break;
          }
          return false;
        }
      }
      scan = next;
    }
    return false;
  }

  // How many subject characters from pos the simple operand matches in a row.
  std::size_t Repeat(const Node& node, std::size_t pos) const {
    std::size_t end = pos;
    switch (node.op) {
      case Op::kAny:
        end = subject_.size();
        break;
      case Op::kExactly:
        while (end < subject_.size() && FirstEqual(node.text[0], subject_[end])) ++end;
        break;
      case Op::kAnyOf:
      case Op::kAnyBut:
        while (end < subject_.size() &&
               node.set[static_cast<unsigned char>(subject_[end])] == (node.op == Op::kAnyOf)) {
          ++end;
        }
        break;
      default:
        break;
    }
    return end - pos;
  }

  const std::vector<Node>& nodes_;
  std::string_view subject_;
  MatchMode mode_;
  std::vector<bool> failed_;
  std::size_t steps_ = 0;
  int depth_ = 0;
  bool aborted_ = false;
};

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

bool PatternMatcher::Match(std::string_view pattern, std::string_view subject, MatchMode mode) {
  Program program;
  if (!Compiler(UpToNul(pattern)).Compile(program, lastError_)) return false;
  return Matcher(program, UpToNul(subject), mode).Search(program);
}

}  // namespace tarnik
