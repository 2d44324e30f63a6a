#include "common/cp866.h"

#include <array>

namespace tarnik {
namespace {

struct Tables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
};

constexpr Tables MakeTables() {
  Tables t;
  for (int i = 0; i < 256; ++i) {
    t.upper[i] = static_cast<unsigned char>(i);
    t.lower[i] = static_cast<unsigned char>(i);
  }
  auto pair = [&t](int capital, int small) {
    t.upper[small] = static_cast<unsigned char>(capital);
    t.lower[capital] = static_cast<unsigned char>(small);
  };
  for (int i = 0; i < 26; ++i) pair('A' + i, 'a' + i);
  for (int i = 0; i < 16; ++i) pair(0x80 + i, 0xA0 + i);
  for (int i = 0; i < 16; ++i) pair(0x90 + i, 0xE0 + i);
  pair(0xF0, 0xF1);
  return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

char UpperChar(char c) { return static_cast<char>(kTables.upper[static_cast<unsigned char>(c)]); }

char LowerChar(char c) { return static_cast<char>(kTables.lower[static_cast<unsigned char>(c)]); }

char UpperLatin(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperChar(c);
  return out;
}

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerChar(c);
  return out;
}

bool EqualFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  }
  return true;
}

bool EqualLatinFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperLatin(a[i]) != UpperLatin(b[i])) return false;
  }
  return true;
}

}  // namespace tarnik
