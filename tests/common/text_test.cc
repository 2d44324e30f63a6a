#include "common/text.h"

#include <gtest/gtest.h>

#include "common/cp866.h"

namespace tarnik {
namespace {

TEST(WordOf, CountsMaximalRunsOfNonDelimiters) {
  struct Case {
    std::string_view text;
    int n;
    std::string_view delimiters;
    std::string_view expected;
  } cases[] = {
      {"", 1, " ", ""},
      {"one two", 1, " ", "one"},
      {"  one   two  ", 2, " ", "two"},
      {"one two", 3, " ", ""},
      {"a\tb c", 2, " \t", "b"},
      {"a\tb c", 2, " ", "c"},
      {"\"quoted value\" x", 1, "\"", "quoted value"},
      {"a b", 1, "", "a b"},
      {"2:5020/1.5", 3, ":/.", "1"},
      {"2:5020/1.5", 5, ":/.", ""},
      {"::5020", 1, ":/.", "5020"},
      {std::string_view("a\0\0b", 4), 2, std::string_view("\0", 1), "b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(WordOf(c.text, c.n, c.delimiters), c.expected);
  }
  EXPECT_EQ(WordCount("  a  b c ", " "), 3);
  EXPECT_EQ(WordCount("", " "), 0);
}

TEST(RestAfterBlank, EachBlankCountsOnce) {
  EXPECT_EQ(RestAfterBlank("alias a, b"), "a, b");
  EXPECT_EQ(RestAfterBlank("alias  a"), " a");
  EXPECT_EQ(RestAfterBlank("@f\tname rest of it", 2), "rest of it");
  EXPECT_EQ(RestAfterBlank("noblank"), "");
}

TEST(Trim, SpacesOnlyNotTabs) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\t"), "\ta\t");
  EXPECT_EQ(Trim("   "), "");
}

TEST(IntValue, WholeNumbersOnly) {
  struct Case {
    std::string_view text;
    std::int32_t expected;
  } cases[] = {{"", 0},           {"42", 42},
               {"  -7", -7},      {"12x", 0},
               {"x", 0},          {"-", 0},
               {"+5", 5},         {"2147483647", 2147483647},
               {"2147483648", 0}, {"-2147483648", -2147483647 - 1},
               {"1 ", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(IntValue(c.text), c.expected);
  }
}

TEST(CutShort, KeepsAtMost255Bytes) {
  EXPECT_EQ(CutShort(std::string(255, 'a')).size(), 255u);
  EXPECT_EQ(CutShort(std::string(256, 'a')).size(), 255u);
  EXPECT_EQ(CutShort("abc"), "abc");
}

TEST(Cp866Case, MapsLatinAndCyrillicPairsOnly) {
  EXPECT_EQ(UpperCase("abcXYZ019"), "ABCXYZ019");
  EXPECT_EQ(UpperCase("\xA0\xAF\xE0\xEF\xF1"), "\x80\x8F\x90\x9F\xF0");
  EXPECT_EQ(LowerCase("\x80\x8F\x90\x9F\xF0"), "\xA0\xAF\xE0\xEF\xF1");
  // Box drawing and other bytes are left alone.
  EXPECT_EQ(UpperCase("\xB0\xC4\xF2\xF3"), "\xB0\xC4\xF2\xF3");
  EXPECT_EQ(LowerCase("\xB0\xC4\xF2\xF3"), "\xB0\xC4\xF2\xF3");
  EXPECT_EQ(UpperLatin('\xA0'), '\xA0');
  EXPECT_EQ(UpperLatin('q'), 'Q');
}

TEST(NumberText, TwoDigitsAndThousands) {
  EXPECT_EQ(TwoDigits(7), "07");
  EXPECT_EQ(TwoDigits(0), "00");
  EXPECT_EQ(TwoDigits(12), "12");
  EXPECT_EQ(TwoDigits(123), "123");
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"1234567", "1,234,567"}, {"-123456", "-123,456"}, {"123", "123"},
               {"100000", "100,000"},    {"-100", "-100"},        {"", ""},
               {"1000", "1,000"},        {"-1000", "-1,000"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(GroupThousands(c.in), c.out);
  }
}

}  // namespace
}  // namespace tarnik
