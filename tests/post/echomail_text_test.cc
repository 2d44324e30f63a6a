#include "post/echomail_text.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace std::string_literals;

std::string Joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& part : parts) out += "[" + part + "]";
  return out;
}

TEST(SplitReportText, PartsAtLineEnds) {
  struct Case {
    std::string report;
    std::size_t maxBytes;
    std::string expected;
  };
  const Case cases[] = {
      {"", 100, "[]"},
      {"a\r\nb\r\n", 100, "[a\rb\r]"},
      {"a\r\nb\r\n", 4, "[a\rb\r]"},  // exactly the maximum
      {"a\r\nb\r\n", 3, "[a\r][b\r]"},
      {"one\r\ntwo\r\nthree\r\nfour\r\n", 10, "[one\rtwo\r][three\r][four\r]"},
      {"abcdef\r\nx\r\n", 3, "[abcdef\r][x\r]"},  // a longer line makes a part of its own
      {"x\r\nabcdef\r\ny\r\n", 3, "[x\r][abcdef\r][y\r]"},
      {"lf\nonly\n", 100, "[lf\ronly\r]"},
      {"no end", 100, "[no end\r]"},
      {"\r\n\r\nlast\r\n", 100, "[\r\rlast\r]"},  // empty lines stay
      {"in\rline\r\n", 100, "[in line\r]"},       // a lone CR would split the line
      {"ze\0ro\r\n"s, 100, "[ze ro\r]"},
      {"\x01"
       "FAKE: 1\r\nSEEN-BY: 1/2\r\nXSEEN-BY: 1\r\n",
       100,
       "[ \x01"
       "FAKE: 1\r SEEN-BY: 1/2\rXSEEN-BY: 1\r]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.report);
    EXPECT_EQ(Joined(SplitReportText(c.report, c.maxBytes)), c.expected);
  }
}

TEST(EchomailText, KludgesBodyTearlineOrigin) {
  EchomailHeader header;
  header.area = "TARNIK.STAT";
  header.address = {2, 5020, 1, 7};
  header.chrs = "CP866 2";
  header.utcOffsetMinutes = 180;
  header.origin = "Statistics node";
  EXPECT_EQ(EchomailText(header, "0badf00d", "line 1\rline 2\r"),
            "AREA:TARNIK.STAT\r"
            "\x01MSGID: 2:5020/1.7 0badf00d\r"
            "\x01PID: Tarnik/W32 0.3.4a\r"
            "\x01"
            "CHRS: CP866 2\r"
            "\x01TZUTC: 0300\r"
            "line 1\rline 2\r"
            "--- Tarnik/W32 0.3.4a\r"
            " * Origin: Statistics node (2:5020/1.7)\r");
}

TEST(EchomailText, OriginCutToItsLine) {
  EchomailHeader header;
  header.area = "A";
  header.address = {2, 5020, 1, 0};
  header.chrs = "UTF-8 4";
  header.origin = std::string(100, 'o');
  std::string text = EchomailText(header, "00000001", "");
  std::string origin = text.substr(text.rfind(" * Origin: "));
  EXPECT_EQ(origin.size(), 80u);  // 79 bytes and the CR
  EXPECT_EQ(origin.substr(origin.size() - 13), "o (2:5020/1)\r");
}

TEST(TzutcValue, SignOnlyWhenWest) {
  const std::pair<int, std::string> cases[] = {
      {0, "0000"}, {180, "0300"}, {-300, "-0500"}, {345, "0545"}, {-210, "-0330"}, {840, "1400"},
  };
  for (const auto& [offset, expected] : cases) {
    SCOPED_TRACE(offset);
    EXPECT_EQ(TzutcValue(offset), expected);
  }
}

TEST(ChrsValue, IconvNamesToFtnIdentifiers) {
  const std::pair<std::string, std::string> cases[] = {
      {"CP866", "CP866 2"},
      {"cp866", "CP866 2"},
      {"IBM866", "CP866 2"},
      {"UTF-8", "UTF-8 4"},
      {"utf8", "UTF-8 4"},
      {"ISO-8859-1", "LATIN-1 2"},
      {"latin1", "LATIN-1 2"},
      {"ISO-8859-2", "LATIN-2 2"},
      {"ISO-8859-9", "LATIN-5 2"},
      {"ISO-8859-15", "LATIN-9 2"},
      {"KOI8-R", "KOI8-R 2"},
      {"koi8-u", "KOI8-U 2"},
      {"WINDOWS-1251", "CP1251 2"},
      {"CP437", "CP437 2"},
      {"CP850", "CP850 2"},
      {"ASCII", "ASCII 1"},
      {"CP1125", "UKR 2"},
      {"UKR", "UKR 2"},
      {"IBMPC", "CP437 2"},
      {"+7_FIDO", "CP866 2"},
      {"LATIN-1", "LATIN-1 2"},
      {"LATIN-9", "LATIN-9 2"},
      {"MAC", "MAC 2"},
      {"cp1253", "CP1253 2"},
  };
  for (const auto& [charset, expected] : cases) {
    SCOPED_TRACE(charset);
    EXPECT_EQ(ChrsValue(charset), expected);
  }
}

TEST(PartSubject, NumberedAndCutToFit) {
  struct Case {
    std::string subject;
    int part;
    int parts;
    std::size_t maxBytes;
    TextMeasure measure;
    std::string expected;
  };
  const Case cases[] = {
      {"Stats", 1, 1, 71, TextMeasure::kBytes, "Stats"},
      {"Stats", 2, 3, 71, TextMeasure::kBytes, "Stats (2/3)"},
      {std::string(80, 's'), 1, 1, 71, TextMeasure::kBytes, std::string(71, 's')},
      {std::string(80, 's'), 10, 12, 71, TextMeasure::kBytes, std::string(63, 's') + " (10/12)"},
      {"abcdefghij", 1, 2, 12, TextMeasure::kBytes, "abcdef (1/2)"},
      {"abcdefghij", 1, 2, 11, TextMeasure::kBytes, "abcde (1/2)"},
      // Code page 866 bytes are cut anywhere; UTF-8 only between characters.
      {"ab\xD0\x9F\xD1\x80", 1, 1, 3, TextMeasure::kBytes, "ab\xD0"},
      {"ab\xD0\x9F\xD1\x80", 1, 1, 3, TextMeasure::kUtf8, "ab"},
      {"ab\xD0\x9F\xD1\x80", 1, 1, 4, TextMeasure::kUtf8, "ab\xD0\x9F"},
      {"ab\xE2\x80\x94x", 1, 1, 4, TextMeasure::kUtf8, "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.subject);
    EXPECT_EQ(PartSubject(c.subject, c.part, c.parts, c.maxBytes, c.measure), c.expected);
  }
}

TEST(HexSerial, EightLowerCaseDigits) {
  EXPECT_EQ(HexSerial(0), "00000000");
  EXPECT_EQ(HexSerial(0xBCDF9BB0u), "bcdf9bb0");
  EXPECT_EQ(HexSerial(0xFFFFFFFFu), "ffffffff");
}

}  // namespace
}  // namespace tarnik
