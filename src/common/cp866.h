#pragma once

#include <string>
#include <string_view>

namespace tarnik {

// Case mapping of code page 866: Latin A-Z/a-z, Cyrillic 0x80-0x8F/0xA0-0xAF,
// 0x90-0x9F/0xE0-0xEF and 0xF0/0xF1. Every other byte maps to itself.
char UpperChar(char c);
char LowerChar(char c);
// Folds only a-z onto A-Z (the pattern matcher's rule for the rest of a literal run).
char UpperLatin(char c);

std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);

// Byte-wise equality after CP866 upper-casing of both sides.
bool EqualFolded(std::string_view a, std::string_view b);
// Byte-wise equality after UpperLatin of both sides (file names, which DOS folds in ASCII only).
bool EqualLatinFolded(std::string_view a, std::string_view b);

}  // namespace tarnik
