#include "common/console.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

// «Привет» and the console's tree mark in the charsets the tests use.
const std::string kPrivetCp866 = "\x8F\xE0\xA8\xA2\xA5\xE2 \xC0\xC4";
const std::string kPrivetUtf8 =
    "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE2\x94\x94\xE2\x94\x80";
const std::string kPrivetKoi8 = "\xF0\xD2\xC9\xD7\xC5\xD4 \x84\x80";

TEST(LocaleConsole, ConvertsIntoTheLocaleCharset) {
  struct Case {
    std::string locale;
    std::string textCharset;
    std::string text;
    std::string shown;
  } cases[] = {
      // The C locale: the program's bytes as they are.
      {"", "CP866", kPrivetCp866, kPrivetCp866},
      {"", "UTF-8", kPrivetUtf8, kPrivetUtf8},
      {"UTF-8", "CP866", kPrivetCp866, kPrivetUtf8},
      {"utf8", "CP866", kPrivetCp866, kPrivetUtf8},
      {"KOI8-R", "CP866", kPrivetCp866, kPrivetKoi8},
      {"IBM866", "CP866", kPrivetCp866, kPrivetCp866},
      {"UTF-8", "UTF-8", kPrivetUtf8, kPrivetUtf8},
      {"KOI8-R", "UTF-8", kPrivetUtf8, kPrivetKoi8},
      // A malformed text in a UTF-8 locale still passes as it is.
      {"UTF-8", "UTF-8", "a\xFF", "a\xFF"},
      {"ANSI_X3.4-1968", "CP866", kPrivetCp866 + "!", std::string(6, '?') + " " + "??" + "!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.locale + " " + c.textCharset + " " + c.text);
    StringConsole out;
    {
      LocaleConsole console(out, c.locale);
      console.SetTextCharset(c.textCharset);
      console.Write(c.text);
    }
    EXPECT_EQ(out.text(), c.shown);
  }
}

TEST(LocaleConsole, CharactersSplitBetweenWritesArriveWhole) {
  StringConsole out;
  {
    LocaleConsole console(out, "KOI8-R");
    console.SetTextCharset("UTF-8");
    for (char byte : kPrivetUtf8) console.Write(std::string(1, byte));
    EXPECT_EQ(out.text(), kPrivetKoi8);
    // A character cut off by the end of the output is shown as one "?".
    console.Write("x\xD0");
    EXPECT_EQ(out.text(), kPrivetKoi8 + "x");
  }
  EXPECT_EQ(out.text(), kPrivetKoi8 + "x?");
}

TEST(LocaleConsole, TextCharsetChangesBetweenWrites) {
  StringConsole out(true);
  LocaleConsole console(out, "UTF-8");
  EXPECT_TRUE(console.IsTerminal());
  console.Write("\xC0\xC4 ");
  console.SetTextCharset("KOI8-R");
  console.Write(kPrivetKoi8);
  console.SetTextCharset("CP866");
  console.Write("\xC0");
  EXPECT_EQ(out.text(), "\xE2\x94\x94\xE2\x94\x80 " + kPrivetUtf8 + "\xE2\x94\x94");
}

}  // namespace
}  // namespace tarnik
