#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnik {

// Short strings hold at most this many bytes wherever the program cuts text.
inline constexpr std::size_t kShortStringMax = 255;

// The first 255 bytes of text: the one cut applied to lines, stored values and macro results.
std::string CutShort(std::string_view text);

inline constexpr std::string_view kBlanks = " \t";

// Word n (1-based) of text over a set of delimiter bytes: the n-th maximal run of
// non-delimiters; empty when there are fewer runs.
std::string_view WordOf(std::string_view text, int n, std::string_view delimiters);
int WordCount(std::string_view text, std::string_view delimiters);

// The text after the n-th blank (space or tab), each blank counting once; empty when the
// text has fewer blanks.
std::string_view RestAfterBlank(std::string_view text, int n = 1);

// Removes leading and trailing spaces (not tabs).
std::string_view Trim(std::string_view text);
std::string_view TrimLeft(std::string_view text);

// Integer value of a text: empty gives 0; optional leading spaces and sign, then decimal
// digits to the end; anything else (or a value outside 32 bits) gives 0.
std::int32_t IntValue(std::string_view text);

// As IntValue, but tells whether the text was a whole number (empty counts as 0, valid).
std::optional<std::int32_t> ParseInt(std::string_view text);

// The text in double quotes, as messages name a value (built by appending: GCC 12 at -O3
// warns falsely of an overlapping copy in '"' + text + '"').
std::string Quoted(std::string_view text);

// Decimal text of a number.
std::string Decimal(std::int64_t value);

// Replaces every "\" with "/": file names read from configuration files use DOS separators.
std::string ToLocalPath(std::string_view path);

// True when text ends in "/" or "\".
bool EndsWithSeparator(std::string_view text);
// The path with "/" appended unless it ends in a separator already.
std::string WithSeparator(std::string path);
// The stem of a base's file names: the path with a "." appended unless it ends in one, so a
// format adds only its extensions ("SQD", "JHR").
std::string WithFinalDot(std::string path);

// Decimal text with a leading "0" when it has a single digit (7 -> "07", 123 -> "123").
std::string TwoDigits(std::int64_t n);
// "," between groups of three digits from the right; a leading "-" stays in front.
std::string GroupThousands(std::string_view text);

}  // namespace tarnik
