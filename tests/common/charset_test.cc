#include "common/charset.h"

#include <gtest/gtest.h>

#include <thread>

#include "common/console.h"
#include "common/diagnostics.h"

namespace tarnik {
namespace {

// «Привет» in the charsets the tests use.
const std::string kPrivetUtf8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
const std::string kPrivetCp866 = "\x8F\xE0\xA8\xA2\xA5\xE2";
const std::string kPrivetKoi8 = "\xF0\xD2\xC9\xD7\xC5\xD4";
const std::string kPrivetCp1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";

TEST(IconvCharsetName, MapsFidoNamesAndKeepsOthers) {
  struct Case {
    std::string name;
    std::string expected;
  } cases[] = {
      {"IBMPC", "CP437"},
      {"ibmpc", "CP437"},
      {"LATIN-1", "ISO-8859-1"},
      {"+7_FIDO", "CP866"},
      {"+7", "CP866"},
      {"UKR", "CP1125"},
      {"LATIN-2", "ISO-8859-2"},
      {"LATIN-5", "ISO-8859-9"},
      {"LATIN-9", "ISO-8859-15"},
      {"MAC", "MACINTOSH"},
      {"CP10000", "MACINTOSH"},
      {"CP848", "IBM848"},
      {"GERMAN", "ISO646-DE"},
      {"UK", "ISO646-GB"},
      {"ISO-11", "ISO646-SE2"},
      {"cp866", "CP866"},
      {" koi8-r ", "KOI8-R"},
      {"UTF-8", "UTF-8"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IconvCharsetName(c.name), c.expected);
  }
}

TEST(IsOutputCharset, KnownReadableAndWritableCharsets) {
  struct Case {
    std::string name;
    bool known;
    bool output;
  } cases[] = {
      {"CP866", true, true},   {"utf-8", true, true},
      {"UTF8", true, true},    {"KOI8-R", true, true},
      {"IBMPC", true, true},   {"LATIN-1", true, true},
      {"CP1251", true, true},  {"UKR", true, true},
      {"GERMAN", true, false}, {"SHIFT_JIS", true, false},
      {"UTF-16", true, false}, {"NO-SUCH", false, false},
      {"", false, false},      {"CP866//IGNORE", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsKnownCharset(c.name), c.known);
    EXPECT_EQ(IsOutputCharset(c.name), c.output);
  }
}

TEST(CharsetConverter, ConvertsBetweenCharsets) {
  struct Case {
    std::string from;
    std::string to;
    std::string input;
    std::string expected;
  } cases[] = {
      {"CP866", "UTF-8", kPrivetCp866 + " 1", kPrivetUtf8 + " 1"},
      {"UTF-8", "CP866", kPrivetUtf8, kPrivetCp866},
      {"KOI8-R", "UTF-8", kPrivetKoi8, kPrivetUtf8},
      {"KOI8-R", "CP866", kPrivetKoi8, kPrivetCp866},
      {"CP1251", "KOI8-R", kPrivetCp1251, kPrivetKoi8},
      {"LATIN-1", "UTF-8", "caf\xE9", "caf\xC3\xA9"},
      {"IBMPC", "UTF-8", "caf\x82", "caf\xC3\xA9"},
      {"CP866", "UTF-8", "\xDC\xDA\xB3", "\xE2\x96\x84\xE2\x94\x8C\xE2\x94\x82"},
      // What the target cannot hold, and what is no character of the source, become "?".
      {"UTF-8", "CP866", "\xE6\x97\xA5\xE6\x9C\xAC x", "?? x"},
      {"UTF-8", "CP866",
       "a\xFF"
       "b\xD0",
       "a?b?"},
      {"UTF-8", "UTF-8",
       "a\xC0\xAF"
       "b",
       "a??b"},
      {"UTF-8", "UTF-8", "\xED\xA0\x80", "???"},
      {"CP866", "LATIN-1", kPrivetCp866, "??????"},
      {"CP1251", "UTF-8",
       "a\x98"
       "b",
       "a?b"},
      {"SHIFT_JIS", "UTF-8", "\x93\xFA\x96\x7B", "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"SHIFT_JIS", "CP866",
       "a\x93\xFA"
       "b",
       "a?b"},
      {"SHIFT_JIS", "UTF-8", "a\x93", "a?"},
      {"CP866", "CP866", "\x8D\xE0\xFF", "\x8D\xE0\xFF"},
      {"UTF-8", "UTF-8", kPrivetUtf8, kPrivetUtf8},
      {"GERMAN", "UTF-8", "[", "\xC3\x84"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from + " -> " + c.to + ": " + c.input);
    CharsetConverter converter(c.from, c.to);
    ASSERT_TRUE(converter.ok());
    EXPECT_EQ(converter.Convert(c.input), c.expected);
  }
}

TEST(CharsetConverter, IdentityOnlyForOneSingleByteCharset) {
  EXPECT_TRUE(CharsetConverter("CP866", "cp866").IsIdentity());
  EXPECT_TRUE(CharsetConverter("+7_FIDO", "CP866").IsIdentity());
  EXPECT_FALSE(CharsetConverter("CP866", "UTF-8").IsIdentity());
  // UTF-8 into UTF-8 still replaces malformed sequences.
  EXPECT_FALSE(CharsetConverter("UTF-8", "UTF-8").IsIdentity());
  EXPECT_FALSE(CharsetConverter("NO-SUCH", "UTF-8").ok());
  EXPECT_FALSE(CharsetConverter("CP866", "SHIFT_JIS").ok());
  EXPECT_FALSE(CharsetConverter("CP866", "GERMAN").ok());
}

TEST(CharsetConverter, SharedByThreads) {
  CharsetConverter converter("SHIFT_JIS", "UTF-8");
  auto work = [&converter](bool& same) {
    same = true;
    for (int i = 0; i < 2000; ++i) {
      same = same && converter.Convert("\x93\xFA\x96\x7B") == "\xE6\x97\xA5\xE6\x9C\xAC";
    }
  };
  bool first = false;
  bool second = false;
  std::thread other(work, std::ref(second));
  work(first);
  other.join();
  EXPECT_TRUE(first);
  EXPECT_TRUE(second);
}

TEST(CharsetCache, OneConverterPerCharsetAndOneWarningPerUnknownName) {
  StringConsole errors;
  Diagnostics diagnostics(errors);
  CharsetCache cache("UTF-8", "CP866", diagnostics);
  const CharsetConverter& ibm = cache.For("IBMPC", "ECHO.A");
  EXPECT_EQ(&cache.For("cp437", "ECHO.A"), &ibm);
  EXPECT_EQ(&cache.For("", "ECHO.A"), &cache.ForDefault());
  EXPECT_EQ(&cache.For("+7_fido", "ECHO.A"), &cache.ForDefault());
  EXPECT_EQ(cache.ForDefault().Convert(kPrivetCp866), kPrivetUtf8);

  EXPECT_EQ(&cache.For("X-MARTIAN", "ECHO.A"), &cache.ForDefault());
  EXPECT_EQ(&cache.For("x-martian", "ECHO.B"), &cache.ForDefault());
  EXPECT_EQ(&cache.For("X-VENUSIAN", "ECHO.B"), &cache.ForDefault());
  EXPECT_EQ(errors.text(),
            "tarnik: ECHO.A: warning: unknown charset \"X-MARTIAN\", read as CP866\n"
            "tarnik: ECHO.B: warning: unknown charset \"X-VENUSIAN\", read as CP866\n");
}

TEST(CharsetCache, UnusableDefaultFallsBackToTheDesignCharset) {
  StringConsole errors;
  Diagnostics diagnostics(errors);
  CharsetCache cache("UTF-8", "NO-SUCH", diagnostics);
  EXPECT_EQ(cache.ForDefault().Convert(kPrivetCp866), kPrivetUtf8);
}

TEST(DecodeUtf8, WellFormedAndMalformedSequences) {
  struct Case {
    std::string input;
    std::size_t length;
    char32_t c;
  } cases[] = {
      {"", 0, 0},
      {"A", 1, 'A'},
      {"\xD0\x96", 2, 0x416},
      {"\xE6\x97\xA5", 3, 0x65E5},
      {"\xF0\x9F\x98\x80", 4, 0x1F600},
      {"\xC0\xAF", 1, 0xFFFD},          // overlong
      {"\xE0\x80\xAF", 1, 0xFFFD},      // overlong
      {"\xED\xA0\x80", 1, 0xFFFD},      // surrogate
      {"\xF4\x90\x80\x80", 1, 0xFFFD},  // past U+10FFFF
      {"\xD0", 1, 0xFFFD},              // cut short
      {"\xE6\x97"
       "A",
       1, 0xFFFD},  // continuation missing
      {"\x80", 1, 0xFFFD},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    char32_t decoded = 0;
    EXPECT_EQ(DecodeUtf8(c.input, decoded), c.length);
    EXPECT_EQ(decoded, c.c);
  }
  std::string encoded;
  for (char32_t c : {U'A', U'\u0416', U'\u65E5', U'\U0001F600'}) AppendUtf8(c, encoded);
  EXPECT_EQ(encoded, "A\xD0\x96\xE6\x97\xA5\xF0\x9F\x98\x80");
  EXPECT_TRUE(IsValidUtf8(encoded));
  EXPECT_FALSE(IsValidUtf8(encoded.substr(0, encoded.size() - 1)));
  EXPECT_EQ(Utf8Length(encoded), 4u);
}

TEST(TextWidth, ColumnsOfCharacters) {
  struct Case {
    std::string text;
    std::size_t width;
  } cases[] = {
      {"", 0},
      {"abc", 3},
      {kPrivetUtf8, 6},
      {"\xE6\x97\xA5\xE6\x9C\xAC", 4},  // two CJK ideographs
      {"e\xCC\x81", 1},                 // e + combining acute
      {"\xEF\xBC\xA1", 2},              // fullwidth A
      {"\xED\x95\x9C", 2},              // Hangul syllable
      {"\xF0\x9F\x98\x80", 2},          // emoji
      {"\xE2\x96\x84\xE2\x94\x8C", 2},  // block and box drawing
      {"a\xFF"
       "b",
       3},  // a stray byte takes a column
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TextWidth(c.text, TextMeasure::kUtf8), c.width);
  }
  EXPECT_EQ(TextWidth(kPrivetUtf8, TextMeasure::kBytes), 12u);
  EXPECT_EQ(CharacterWidth(0x302A), 0);
  EXPECT_EQ(CharacterWidth(0x303F), 1);
  EXPECT_EQ(CharacterWidth(0x3000), 2);
}

TEST(PrefixBytes, NeverSplitsACharacter) {
  const std::string cjk =
      "a\xE6\x97\xA5"
      "b";  // a, one wide ideograph, b
  struct Case {
    std::string text;
    std::size_t width;
    std::size_t bytes;
  } cases[] = {
      {cjk, 0, 0},         {cjk, 1, 1},          {cjk, 2, 1},  // the ideograph needs two columns
      {cjk, 3, 4},         {cjk, 4, 5},          {cjk, 99, 5},
      {kPrivetUtf8, 3, 6}, {"e\xCC\x81x", 1, 3},  // the mark stays with its letter
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + " " + std::to_string(c.width));
    EXPECT_EQ(PrefixBytes(c.text, c.width, TextMeasure::kUtf8), c.bytes);
  }
  EXPECT_EQ(PrefixBytes(kPrivetUtf8, 3, TextMeasure::kBytes), 3u);
  EXPECT_EQ(SkipColumns(cjk, 1, TextMeasure::kUtf8), 1u);
  EXPECT_EQ(SkipColumns(cjk, 2, TextMeasure::kUtf8), 4u);  // inside the ideograph: after it
  EXPECT_EQ(SkipColumns("e\xCC\x81x", 1, TextMeasure::kUtf8), 3u);
  EXPECT_EQ(SkipColumns(kPrivetUtf8, 2, TextMeasure::kBytes), 2u);
}

TEST(CutShort, CutsAt255BytesOnACharacterBoundary) {
  const std::string letter = "\xD0\x96";  // two bytes
  struct Case {
    std::string text;
    std::size_t utf8Size;
  } cases[] = {
      {std::string(255, 'a'), 255},
      {std::string(256, 'a'), 255},
      {std::string(254, 'a') + letter, 254},
      {std::string(253, 'a') + letter, 255},
      {std::string(253, 'a') + letter + "b", 255},
      {std::string(252, 'a') + "\xE6\x97\xA5" + "b", 255},
      {std::string(253, 'a') + "\xE6\x97\xA5", 253},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.size());
    std::string cut = CutShort(c.text, TextMeasure::kUtf8);
    EXPECT_EQ(cut.size(), c.utf8Size);
    EXPECT_TRUE(IsValidUtf8(cut));
    EXPECT_EQ(CutShort(c.text, TextMeasure::kBytes).size(),
              std::min<std::size_t>(255, c.text.size()));
  }
}

}  // namespace
}  // namespace tarnik
