#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnik {

enum class MatchMode {
  kCaseInsensitive,  // the echo import's mode: CP866 / Latin folding rules of the matcher
  kExact,            // every byte compared exactly
};

// The regular-expression matcher that selects echo tags: each call compiles the pattern into
// a node program, searches the subject with a backtracking match and discards the program.
// The text of the last error is kept here; nothing is written anywhere.
class PatternMatcher {
 public:
  // True when pattern matches some part of subject (from its first position up to just after
  // its last character). False when it does not, or when the pattern is invalid (LastError
  // then tells why). A NUL byte ends the subject, and also the pattern. Every valid pattern
  // gets the right answer: the search never gives up, and its time and memory grow with
  // program nodes x (subject length + 1) (patterns and tags of at most 255 bytes keep a call
  // to milliseconds at worst).
  bool Match(std::string_view pattern, std::string_view subject, MatchMode mode);

  // The text recorded by the last failing compile; empty before the first. A later error
  // overwrites it; a successful call leaves it alone.
  const std::string& LastError() const { return lastError_; }

 private:
  std::string lastError_;
};

}  // namespace tarnik
