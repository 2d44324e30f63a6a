#include "config/pattern_matcher.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/cp866.h"

namespace tarnik {
namespace {

constexpr MatchMode kFold = MatchMode::kCaseInsensitive;
constexpr MatchMode kExact = MatchMode::kExact;

struct Case {
  std::string pattern;
  std::string subject;
  MatchMode mode;
  bool expected;
};

void Check(const Case* cases, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE("pattern \"" + c.pattern + "\" subject \"" + c.subject + "\" " +
                 (c.mode == kFold ? "folded" : "exact"));
    PatternMatcher matcher;
    EXPECT_EQ(matcher.Match(c.pattern, c.subject, c.mode), c.expected);
    EXPECT_EQ(matcher.LastError(), "") << "a valid pattern recorded an error";
  }
}

// A deliberately plain second matcher for the same syntax, to judge the real one by: the pattern
// becomes a tree of pieces matched by recursive backtracking with continuations, with no memo, no
// start hints and no node program. It is exponential on hostile patterns, so it judges short ones.
// Sets only list members and an escape takes the next character literally: the checks below use
// no ranges and escape nothing with a meaning of its own.
class ReferenceMatcher {
 public:
  // False when the pattern is invalid.
  bool Parse(std::string_view pattern) {
    pattern_ = pattern;
    pos_ = 0;
    groups_ = 0;
    top_.clear();
    return ParseAlternatives(top_) && pos_ == pattern_.size();
  }

  bool Matches(std::string_view subject, MatchMode mode) {
    subject_ = subject;
    mode_ = mode;
    for (std::size_t start = 0; start <= subject.size(); ++start) {
      for (const Sequence& alternative : top_) {
        if (MatchSequence(alternative, 0, start, [](std::size_t) { return true; })) return true;
      }
    }
    return false;
  }

 private:
  struct Piece;
  using Sequence = std::vector<Piece>;
  using Then = std::function<bool(std::size_t)>;

  struct Piece {
    enum class Kind { kChar, kAny, kSet, kNotSet, kStart, kEnd, kGroup } kind = Kind::kChar;
    char c = 0;
    bool escaped = false;
    bool firstOfRun = true;  // folds the whole code page; later characters of a run fold a-z
    std::string members;
    int group = 0;
    std::vector<Sequence> alternatives;
    char repeat = 0;
    std::optional<char> exactlyAfter;  // the literal after a repeated character, byte for byte
  };

  static bool IsRepeat(char c) { return c == '*' || c == '+' || c == '?'; }
  bool At(char c) const { return pos_ < pattern_.size() && pattern_[pos_] == c; }

  bool ParseAlternatives(std::vector<Sequence>& alternatives) {
    do {
      alternatives.emplace_back();
      if (!ParseSequence(alternatives.back())) return false;
    } while (At('|') && ++pos_);
    return true;
  }

  bool ParseSequence(Sequence& sequence) {
    while (pos_ < pattern_.size() && !At('|') && !At(')')) {
      Piece piece;
      if (!ParseAtom(piece)) return false;
      if (pos_ < pattern_.size() && IsRepeat(pattern_[pos_])) {
        piece.repeat = pattern_[pos_++];
        if (pos_ < pattern_.size() && IsRepeat(pattern_[pos_])) return false;
        if (piece.repeat != '?' && CanBeEmpty(piece)) return false;
      }
      if (piece.kind == Piece::Kind::kChar && !piece.escaped && piece.repeat == 0 &&
          !sequence.empty()) {
        const Piece& before = sequence.back();
        piece.firstOfRun = before.kind != Piece::Kind::kChar || before.escaped || before.repeat;
      }
      sequence.push_back(std::move(piece));
    }
    for (std::size_t i = 0; i + 1 < sequence.size(); ++i) {
      Piece& piece = sequence[i];
      const Piece& after = sequence[i + 1];
      bool single = piece.kind != Piece::Kind::kGroup && piece.kind != Piece::Kind::kStart &&
                    piece.kind != Piece::Kind::kEnd;
      if (single && (piece.repeat == '*' || piece.repeat == '+') &&
          after.kind == Piece::Kind::kChar && after.repeat == 0) {
        piece.exactlyAfter = after.c;
      }
    }
    return true;
  }

  bool ParseAtom(Piece& piece) {
    char c = pattern_[pos_++];
    switch (c) {
      case '*':
      case '+':
      case '?':
        return false;
      case '^':
        piece.kind = Piece::Kind::kStart;
        return true;
      case '$':
        piece.kind = Piece::Kind::kEnd;
        return true;
      case '.':
        piece.kind = Piece::Kind::kAny;
        return true;
      case '(':
        piece.kind = Piece::Kind::kGroup;
        piece.group = ++groups_;
        if (!ParseAlternatives(piece.alternatives) || !At(')')) return false;
        ++pos_;
        return groups_ <= 127;
      case '[':
        piece.kind = At('^') && ++pos_ ? Piece::Kind::kNotSet : Piece::Kind::kSet;
        do {
          if (pos_ >= pattern_.size()) return false;
          piece.members += pattern_[pos_++];
        } while (!At(']'));
        ++pos_;
        return true;
      case '\\':
        if (pos_ >= pattern_.size()) return false;
        piece.c = pattern_[pos_++];
        piece.escaped = true;
        return true;
      default:
        piece.c = c;
        return true;
    }
  }

  // Whether the atom, leaving its own repetition aside, can match the empty text.
  static bool CanBeEmpty(const Piece& piece) {
    if (piece.kind == Piece::Kind::kStart || piece.kind == Piece::Kind::kEnd) return true;
    for (const Sequence& alternative : piece.alternatives) {
      bool empty = true;
      for (const Piece& inner : alternative) {
        empty = empty && (inner.repeat == '*' || inner.repeat == '?' || CanBeEmpty(inner));
      }
      if (empty) return true;
    }
    return false;
  }

  bool SameChar(const Piece& piece, char c) const {
    if (mode_ == MatchMode::kExact) return piece.c == c;
    return piece.firstOfRun ? UpperChar(piece.c) == UpperChar(c)
                            : UpperLatin(piece.c) == UpperLatin(c);
  }

  bool MatchSequence(const Sequence& sequence, std::size_t index, std::size_t pos,
                     const Then& then) {
    if (index == sequence.size()) return then(pos);
    return MatchPiece(sequence[index], pos, [&](std::size_t next) {
      return MatchSequence(sequence, index + 1, next, then);
    });
  }

  bool MatchPiece(const Piece& piece, std::size_t pos, const Then& then) {
    Then stop = then;
    if (piece.exactlyAfter) {
      stop = [&](std::size_t at) {
        return at < subject_.size() && subject_[at] == *piece.exactlyAfter && then(at);
      };
    }
    switch (piece.repeat) {
      case '?':
        return MatchAtom(piece, pos, then) || then(pos);
      case '*':
        return MatchStar(piece, pos, stop);
      case '+':
        return MatchAtom(piece, pos,
                         [&](std::size_t next) { return MatchStar(piece, next, stop); });
      default:
        return MatchAtom(piece, pos, then);
    }
  }

  bool MatchStar(const Piece& piece, std::size_t pos, const Then& then) {
    return MatchAtom(piece, pos, [&](std::size_t next) { return MatchStar(piece, next, then); }) ||
           then(pos);
  }

  bool MatchAtom(const Piece& piece, std::size_t pos, const Then& then) {
    bool more = pos < subject_.size();
    switch (piece.kind) {
      case Piece::Kind::kChar:
        return more && SameChar(piece, subject_[pos]) && then(pos + 1);
      case Piece::Kind::kAny:
        return more && then(pos + 1);
      case Piece::Kind::kSet:
      case Piece::Kind::kNotSet:
        return more &&
               (piece.members.find(subject_[pos]) != std::string::npos) ==
                   (piece.kind == Piece::Kind::kSet) &&
               then(pos + 1);
      case Piece::Kind::kStart:
        return pos == 0 && then(pos);
      case Piece::Kind::kEnd:
        return pos == subject_.size() && then(pos);
      case Piece::Kind::kGroup:
        if (piece.group > 9) return false;
        for (const Sequence& alternative : piece.alternatives) {
          if (MatchSequence(alternative, 0, pos, then)) return true;
        }
        return false;
    }
    return false;
  }

  std::string_view pattern_;
  std::size_t pos_ = 0;
  int groups_ = 0;
  std::vector<Sequence> top_;
  std::string_view subject_;
  MatchMode mode_ = MatchMode::kExact;
};

// Every text of up to maxLength items from alphabet, shortest first.
std::vector<std::string> AllTexts(const std::vector<std::string>& alphabet, int maxLength) {
  std::vector<std::string> texts = {""};
  for (std::size_t from = 0, length = 0; length < static_cast<std::size_t>(maxLength); ++length) {
    std::size_t to = texts.size();
    for (std::size_t i = from; i < to; ++i) {
      for (const std::string& item : alphabet) texts.push_back(texts[i] + item);
    }
    from = to;
  }
  return texts;
}

// Compares both matchers on every pattern and subject given, in both modes; stops after a few
// disagreements so one fault does not bury the output.
void CrossCheck(const std::vector<std::string>& patterns,
                const std::vector<std::string>& subjects) {
  int disagreements = 0;
  for (const std::string& pattern : patterns) {
    ReferenceMatcher reference;
    bool valid = reference.Parse(pattern);
    PatternMatcher matcher;
    matcher.Match(pattern, "", kExact);
    if (valid != matcher.LastError().empty()) {
      ADD_FAILURE() << "pattern \"" << pattern << "\" valid: reference " << valid
                    << ", matcher error \"" << matcher.LastError() << "\"";
      if (++disagreements >= 10) return;
    }
    if (!valid) continue;
    for (const std::string& subject : subjects) {
      for (MatchMode mode : {kExact, kFold}) {
        bool expected = reference.Matches(subject, mode);
        if (matcher.Match(pattern, subject, mode) == expected) continue;
        ADD_FAILURE() << "pattern \"" << pattern << "\" subject \"" << subject << "\" "
                      << (mode == kFold ? "folded" : "exact") << ": expected " << expected;
        if (++disagreements >= 10) return;
      }
    }
  }
}

TEST(PatternMatcher, SearchesAnywhereUnlessAnchored) {
  const Case cases[] = {
      {"ECHO", "ECHO", kFold, true},
      {"ECHO", "MY.ECHO", kFold, true},
      {"ECHO", "ECHOES", kFold, true},
      {"ECHO", "ECH", kFold, false},
      {"^ECHO$", "ECHO", kFold, true},
      {"^ECHO$", "MY.ECHO", kFold, false},
      {"^ECHO$", "ECHOES", kFold, false},
      {"^ECHO", "ECHOES", kFold, true},
      {"ECHO$", "MY.ECHO", kFold, true},
      // "$" alone matches after the last character, so every subject, the empty one too.
      {"$", "", kFold, true},
      {"$", "ANY.TAG", kFold, true},
      {"^$", "", kFold, true},
      {"^$", "X", kFold, false},
      {"^", "X", kFold, true},
      // "^" inside an alternative or group still means the start of the subject.
      {"X|^B", "AB", kFold, false},
      {"X|^B", "BA", kFold, true},
      {"A(^B)", "AB", kFold, false},
      {"(^A)B", "AB", kFold, true},
      {"B$|X", "AB", kFold, true},
      {"", "ANYTHING", kFold, true},
  };
  Check(cases, std::size(cases));
}

TEST(PatternMatcher, AtomsSetsAndEscapes) {
  const Case cases[] = {
      {"SU\\.GENERAL", "SU.GENERAL", kFold, true},
      {"SU\\.GENERAL", "SUXGENERAL", kFold, false},
      {"SU.GENERAL", "SUXGENERAL", kFold, true},
      {"SU.GENERAL", "SU.GENERAL", kFold, true},
      {"^.$", "", kFold, false},
      {"^[ABC]$", "B", kExact, true},
      {"^[ABC]$", "D", kExact, false},
      {"^[^ABC]$", "D", kExact, true},
      {"^[^ABC]$", "A", kExact, false},
      {"^[^ABC]", "", kExact, false},
      {"^[A-C]$", "B", kExact, true},
      {"^[A-C]$", "D", kExact, false},
      // A range starts after the previous member or range end: A-C-E is A to E.
      {"^[A-C-E]$", "D", kExact, true},
      {"^[C-C]$", "C", kExact, true},
      // "]" and "-" first, "-" last are members.
      {"^[]]$", "]", kExact, true},
      {"^[^]]$", "]", kExact, false},
      {"^[^]]$", "X", kExact, true},
      {"^[-A]$", "-", kExact, true},
      {"^[A-]$", "-", kExact, true},
      {"^[^-]$", "-", kExact, false},
      {"^[]-a]$", "^", kExact, true},  // "]" to "a" as a range includes "^"
      // Escapes inside a set: an escaped "]" or "-" is a plain member.
      {"^[\\]]$", "]", kExact, true},
      {"^[A\\-C]$", "-", kExact, true},
      {"^[A\\-C]$", "B", kExact, false},
      {"^[\\x41-\\x43]$", "B", kExact, true},
      {"^[\\101]$", "A", kExact, true},
      {"^[\\t]$", "\t", kExact, true},
      // Escapes in atoms: control letters, octal, hexadecimal, anything else literally.
      {"^\\n\\t\\f\\b\\r\\a\\v$", "\n\t\f\b\r\a\v", kExact, true},
      {"^\\101$", "A", kExact, true},
      {"^\\1011$", "A1", kExact, true},  // at most three octal digits
      {"^\\18$",
       "\x01"
       "8",
       kExact, true},
      {"^\\x41$", "A", kExact, true},
      {"^\\x4A$", "J", kExact, true},
      {"^\\x4a$", "J", kExact, true},
      {"^\\x414$", "A4", kExact, true},  // at most two hexadecimal digits
      {"^\\xG$", "xG", kExact, true},    // "x" without a digit is the letter x
      {"^\\x$", "x", kExact, true},
      {"^\\N$", "N", kExact, true},  // upper-cased n is the letter N
      {"^\\*\\+\\?\\(\\)\\[\\|\\$\\^\\\\$", "*+?()[|$^\\", kExact, true},
      // A NUL from an escape can never match: the subject ends at its first NUL.
      {"\\0", "", kExact, false},
      {"A\\0", "A", kExact, false},
      {"^[\\0A]$", "A", kExact, true},
      {"^[^\\0A]$", "B", kExact, true},
      {"^\\777$", "\xFF", kExact, true},  // only the low byte of 0777
  };
  Check(cases, std::size(cases));
}

TEST(PatternMatcher, RepetitionsGroupsAndAlternatives) {
  const Case cases[] = {
      {"^AB*C$", "AC", kExact, true},
      {"^AB*C$", "ABBBC", kExact, true},
      {"^AB+C$", "AC", kExact, false},
      {"^AB+C$", "ABBC", kExact, true},
      {"^AB?C$", "ABC", kExact, true},
      {"^AB?C$", "ABBC", kExact, false},
      // Only the last character of a run is repeated.
      {"^ABC*$", "AB", kExact, true},
      {"^ABC*$", "ABCABC", kExact, false},
      {"^(ABC)*$", "ABCABC", kExact, true},
      {"^(ABC)+$", "", kExact, false},
      {"^(AB|CD)+$", "ABCDAB", kExact, true},
      {"^(AB|CD)+$", "ABCDA", kExact, false},
      {"^(A|B)?C$", "C", kExact, true},
      {"^(A|)?C$", "C", kExact, true},
      {"^()$", "", kExact, true},
      {"^(A*)B$", "AAB", kExact, true},
      {"^.*X.*$", "AAXBB", kExact, true},
      // Greedy with backtracking.
      {"^A*AB$", "AAAB", kExact, true},
      {"^(A|AB)C$", "ABC", kExact, true},
      {"^[AB]*B$", "ABAB", kExact, true},
      {"^[^X]*X$", "ABX", kExact, true},
      {"FOO|BAR", "XBARX", kExact, true},
      {"FOO|BAR", "XBAX", kExact, false},
      {"^(A(B(C)))$", "ABC", kExact, true},
  };
  Check(cases, std::size(cases));
}

TEST(PatternMatcher, CaseInsensitiveModeFollowsItsOwnRules) {
  const std::string cyrA = "\x80";       // capital A (CP866)
  const std::string cyrSmallA = "\xA0";  // small a
  const std::string cyrBe = "\x81";
  const std::string cyrSmallBe = "\xA1";
  const Case cases[] = {
      {"ABC", "abc", kFold, true},
      {"ABC", "abc", kExact, false},
      {"ABC", "AbC", kFold, true},
      {"abc", "ABC", kFold, true},
      // Sets compare exactly, in either kind.
      {"[A-C]BC", "abc", kFold, false},
      {"[A-C]BC", "Abc", kFold, true},
      {"[^A]", "a", kFold, true},
      {"^[^A]$", "A", kFold, false},
      // After a starred literal the next literal must start exactly.
      {"A*B", "aab", kFold, false},
      {"A*B", "aaB", kFold, true},
      {"A+B", "aab", kFold, false},
      {"^A*B$", "AAB", kFold, true},
      // The starred character itself folds (CP866).
      {"^A*$", "aAa", kFold, true},
      {("^" + cyrA + "*$"), cyrSmallA + cyrA, kFold, true},
      {("^" + cyrA + "+$"), cyrSmallA, kFold, true},
      // First character of a run folds Cyrillic; the rest folds only a-z.
      {cyrA + "B", cyrSmallA + "b", kFold, true},
      {"B" + cyrA, "b" + cyrSmallA, kFold, false},
      {"B" + cyrA, "b" + cyrA, kFold, true},
      {cyrA + cyrBe, cyrSmallA + cyrSmallBe, kFold, false},
      {cyrA + cyrBe, cyrSmallA + cyrBe, kFold, true},
      // A run split by a repetition: the single last character is its own atom and folds.
      {"^" + cyrA + cyrBe + "?$", cyrA + cyrSmallBe, kFold, true},
      // An escaped character is a run of its own, so its first-character rule folds Cyrillic.
      {"^B\\" + cyrA + "$", "b" + cyrSmallA, kFold, true},
      // "." "^" "$" have no case.
      {"^.$", "a", kFold, true},
      // Where a match may start: the first character folds.
      {"XY", "axyb", kFold, true},
      {cyrA + "X", "1" + cyrSmallA + "x", kFold, true},
  };
  Check(cases, std::size(cases));
}

TEST(PatternMatcher, OnlyTheFirstNineGroupsCanMatch) {
  std::string nine;
  for (int i = 0; i < 9; ++i) nine += "(A)";
  PatternMatcher matcher;
  EXPECT_TRUE(matcher.Match("^" + nine + "$", std::string(9, 'A'), kExact));
  EXPECT_FALSE(matcher.Match("^" + nine + "(A)$", std::string(10, 'A'), kExact));
  // The tenth group fails only where the match reaches it.
  EXPECT_TRUE(matcher.Match(nine + "(B)|X", "X", kExact));
  EXPECT_FALSE(matcher.Match(nine + "(B)|X", std::string(9, 'A') + "B", kExact));
  // 127 groups compile; the match fails when it reaches group ten.
  std::string many;
  for (int i = 0; i < 127; ++i) many += "()";
  EXPECT_FALSE(matcher.Match(many, "", kExact));
  EXPECT_EQ(matcher.LastError(), "");
}

struct ErrorCase {
  std::string pattern;
  std::string error;
};

TEST(PatternMatcher, InvalidPatternsSelectNothingAndRecordWhy) {
  std::string tooMany;
  for (int i = 0; i < 128; ++i) tooMany += "(";
  std::string tooBig = "[";
  for (int i = 0; i < 130; ++i) tooBig += "\\x01-\\xFF";
  tooBig += "]";
  const ErrorCase cases[] = {
      {"(", "unmatched ()"},
      {"(AB", "unmatched ()"},
      {"AB)", "unmatched ()"},
      {")", "unmatched ()"},
      {"((A)", "unmatched ()"},
      {tooMany, "too many ()"},
      {"*A", "?+* follows nothing"},
      {"+", "?+* follows nothing"},
      {"?", "?+* follows nothing"},
      {"A|*B", "?+* follows nothing"},
      {"(*A)", "?+* follows nothing"},
      {"(A*)*", "*+ operand could be empty"},
      {"(A|)+", "*+ operand could be empty"},
      {"()*", "*+ operand could be empty"},
      {"^*", "*+ operand could be empty"},
      {"$+", "*+ operand could be empty"},
      {"(A?)+", "*+ operand could be empty"},
      {"A**", "nested *?+"},
      {"A*?", "nested *?+"},
      {"A+*", "nested *?+"},
      {"A?+", "nested *?+"},
      {"(AB)*+", "nested *?+"},
      {"[C-A]", "invalid [] range"},
      {"[A-C-B]", "invalid [] range"},
      {"[\\x43-A]", "invalid [] range"},
      {"[", "unmatched []"},
      {"[AB", "unmatched []"},
      {"[]", "unmatched []"},
      {"[^]", "unmatched []"},
      {"[A-", "unmatched []"},
      {"[A\\", "unmatched []"},
      {"[A\\]", "unmatched []"},
      {"A\\", "trailing \\"},
      {"\\", "trailing \\"},
      {tooBig, "regexp too big"},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE("pattern \"" + c.pattern.substr(0, 40) + "\"");
    PatternMatcher matcher;
    // An invalid pattern selects nothing, even where "$" alone would match.
    EXPECT_FALSE(matcher.Match(c.pattern, "A", kFold));
    EXPECT_FALSE(matcher.Match(c.pattern, "", kFold));
    EXPECT_EQ(matcher.LastError(), c.error);
  }
}

TEST(PatternMatcher, LastErrorIsKeptUntilTheNextError) {
  PatternMatcher matcher;
  EXPECT_FALSE(matcher.Match("(", "X", kFold));
  EXPECT_TRUE(matcher.Match("X", "X", kFold));
  EXPECT_EQ(matcher.LastError(), "unmatched ()");
  EXPECT_FALSE(matcher.Match("A\\", "X", kFold));
  EXPECT_EQ(matcher.LastError(), "trailing \\");
  PatternMatcher other;
  EXPECT_EQ(other.LastError(), "") << "each matcher keeps its own error";
}

TEST(PatternMatcher, NulEndsSubjectAndPattern) {
  PatternMatcher matcher;
  EXPECT_TRUE(matcher.Match("^AB$", std::string("AB\0CD", 5), kExact));
  EXPECT_FALSE(matcher.Match("CD", std::string("AB\0CD", 5), kExact));
  EXPECT_TRUE(matcher.Match(std::string("^AB\0(", 5), "AB", kExact));
  EXPECT_EQ(matcher.LastError(), "");
}

// Every short pattern over these tokens, valid or not, against every short subject. \A is a
// literal of its own, so it folds and, after a repeated character, must be there exactly.
TEST(PatternMatcher, AgreesWithTheReferenceOnEveryShortPattern) {
  const std::vector<std::string> tokens = {"a", "b", ".", "[^a]", "\\A", "*", "+",
                                           "?", "^", "$", "(",    "|",   ")"};
  CrossCheck(AllTexts(tokens, 4), AllTexts({"a", "b", "A"}, 4));
  // Five tokens, "(a" one of them, for loops over groups: only anchored ones show how much
  // they matched.
  CrossCheck(AllTexts({"^", "$", "a", "(a", ")", "|", "*", "+"}, 5), AllTexts({"a", "b"}, 4));
}

// Slow but valid searches must still answer rightly. "[^B]*" cannot cross a B, so no match of
// the 40-star pattern (202 bytes) begins in the A's before the B; one begins at the A after it,
// and its stars reach the C. The 246-byte loop goes through all 48 stars for every "AB".
TEST(PatternMatcher, LongSearchesGetTheRightAnswer) {
  std::string starred = "A";
  for (int i = 0; i < 40; ++i) starred += "[^B]*";
  starred += "C";
  std::string loop = "^(";
  for (int i = 0; i < 48; ++i) loop += "[^B]*";
  loop += "B)*$";
  std::string abs;
  for (int i = 0; i < 127; ++i) abs += "AB";
  const std::string as(120, 'A');
  const Case cases[] = {
      {starred, as + "B" + as + "C", kFold, true},
      {starred, as + "B" + as + "C", kExact, true},
      {starred, as + "B" + as, kFold, false},
      {starred, as + "BC", kFold, false},
      {loop, abs, kExact, true},
      {loop, abs + "A", kExact, false},
  };
  Check(cases, std::size(cases));

  // The same shapes, small enough for the reference matcher to judge.
  std::vector<std::string> patterns;
  for (int stars = 1; stars <= 4; ++stars) {
    std::string pattern = "A";
    for (int i = 0; i < stars; ++i) pattern += "[^B]*";
    patterns.push_back(pattern + "C");
    patterns.push_back("^(" + pattern.substr(1) + "B)*$");
  }
  CrossCheck(patterns, AllTexts({"A", "B", "C"}, 6));
}

// Nested repetitions that a plain backtracking search would take exponential time over. The
// answers must be right (failed positions are remembered) and the calls must return.
TEST(PatternMatcher, HostilePatternsStayBounded) {
  const std::string as(254, 'A');
  const Case cases[] = {
      {"^(A+)+B$", as, kExact, false},
      {"^(A+)+$", as, kExact, true},
      // The match lies after a long stretch that fails slowly from every start before it.
      {"(A+)+C", as.substr(0, 200) + "BAC", kExact, true},
      {"(A|AA)+C", as.substr(0, 200) + "BAC", kFold, true},
      {"^(A|AA)+B", as, kExact, false},
      {"(A|A)*B", as, kFold, false},
      {"^(.*A)*B$", as, kExact, false},
      {"^(((A+)+)+)+C", as + "C", kExact, true},
      {"^(A|B)*$", as, kExact, true},
  };
  Check(cases, std::size(cases));

  // Long chains of stars over a long subject, and a 255-byte pattern of optional groups.
  std::string stars;
  for (int i = 0; i < 60; ++i) stars += ".*A";
  stars += "B";
  PatternMatcher matcher;
  EXPECT_FALSE(matcher.Match(stars, as, kExact));
  std::string optional;
  while (optional.size() + 5 <= 255) optional += "(A?)?";
  EXPECT_FALSE(matcher.Match(optional + "B", as.substr(0, 200), kFold));
  EXPECT_TRUE(matcher.Match("^((((((((A|B)|C)|D)|E)|F)|G)|H)|I)*$", as, kExact));
  // Every "X?" is a choice; a long chain of them inside a loop must not nest too deeply.
  std::string chain = "^(";
  while (chain.size() < 240) chain += "X?";
  EXPECT_TRUE(matcher.Match(chain + "A)*$", as, kExact));
}

}  // namespace
}  // namespace tarnik
