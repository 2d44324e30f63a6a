#include "msgbase/kludge.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(ParseCharsetKludge, FormsOfTheCharsetKludges) {
  struct Case {
    std::string line;
    bool isCharset;
    std::string charset;
  } cases[] = {
      {"\x01"
       "CHRS: CP866 2",
       true, "CP866"},
      {"\x01"
       "CHRS: UTF-8 4",
       true, "UTF-8"},
      {"\x01"
       "CHRS: LATIN-1 2",
       true, "LATIN-1"},
      {"\x01"
       "CHRS: +7_FIDO",
       true, "+7_FIDO"},
      {"\x01"
       "chrs:koi8-r",
       true, "koi8-r"},
      {"\x01"
       "  Chrs :\tKOI8-R\t 2 ",
       true, "KOI8-R"},
      {"\x01"
       "CHARSET: IBMPC",
       true, "IBMPC"},
      {"\x01"
       "CodePage: 866",
       true, "866"},
      {"\x01"
       "CHRS:",
       true, ""},
      {"CHRS: CP866 2", false, ""},
      {"\x01"
       "CHRSX: CP866 2",
       false, ""},
      {"\x01"
       "MSGID: 2:5020/1 12345678",
       false, ""},
      {"\x01"
       "CHRS CP866 2",
       false, ""},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.line));
    std::string_view charset = "unchanged";
    EXPECT_EQ(ParseCharsetKludge(c.line, charset), c.isCharset);
    EXPECT_EQ(charset, c.isCharset ? c.charset : "unchanged");
  }
}

}  // namespace
}  // namespace tarnik
