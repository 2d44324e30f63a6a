#include "report/web_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnik {
namespace {

TEST(HtmlEscaped, EscapesMarkupAndControls) {
  struct Case {
    std::string text;
    std::string escaped;
  } cases[] = {
      {"", ""},
      {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
      {"\"><img src=x onerror=alert(1)>", "&quot;&gt;&lt;img src=x onerror=alert(1)&gt;"},
      {"&amp;", "&amp;amp;"},
      {"it's", "it&#39;s"},
      {"Ёж\ttab", "Ёж\ttab"},
      {std::string("a\0b\x1B\x7F", 5),
       "a\xEF\xBF\xBD"
       "b\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(HtmlEscaped(c.text), c.escaped);
  }
}

TEST(JsonString, QuotesAndEscapes) {
  struct Case {
    std::string text;
    std::string json;
  } cases[] = {
      {"", "\"\""},
      {"plain", "\"plain\""},
      {"say \"hi\" \\o/", "\"say \\\"hi\\\" \\\\o/\""},
      {"a\nb\rc\td", "\"a\\nb\\rc\\td\""},
      {std::string("\0\x01\x1F", 3), "\"\\u0000\\u0001\\u001F\""},
      {"</script> Ёж", "\"</script> Ёж\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(JsonString(c.text), c.json);
  }
}

TEST(IsoDate, PadsEveryField) {
  EXPECT_EQ(IsoDate(7, 3, 2001), "2001-03-07");
  EXPECT_EQ(IsoDate(31, 12, 99), "0099-12-31");
  EXPECT_EQ(IsoDate(1, 1, 10000), "10000-01-01");
}

}  // namespace
}  // namespace tarnik
