#include "scan/message_analysis.h"

#include <gtest/gtest.h>

#include "core/calendar.h"
#include "core/ftn_address.h"
#include "msgbase/kludge.h"
#include "msgbase/message_base.h"
#include "msgbase/message_text.h"

namespace tarnik {
namespace {

TEST(NormalizeSubject, DropsOnePrefixAndMapsLookAlikes) {
  struct Case {
    std::string_view in;
    std::string_view out;
  } cases[] = {
      {"Re: Hello", "Hello"},
      {"RE: Hello", "Hello"},
      {"Re^2: Hello", "Hello"},
      {"Re[3]: Hello", "Hello"},
      {"Re:Hello", ""},
      {"Report on X", "on X"},
      {"Re: Re: X", "Re: X"},
      {"Hello", "Hello"},
      {"", ""},
      {"r", "r"},
      {"\x8D\xA5\xE2 \xAE\xE2\xA2\xA5\xE2\xA0 \xAD\xA0 \xA2\xAE\xAF\xE0\xAE\xE1",
       "H\xA5\xE2 \xAE\xE2\xA2\xA5\xE2\xA0 \xAD\xA0 \xA2\xAE\xAFp\xAE\xE1"},
      // CP866 capital ER + small ie: "Re" in Cyrillic look-alikes is not a prefix.
      {"\x90\xA5: x", "\x90\xA5: x"},
      // 0xE0 becomes "p" before the prefix test, so this is not a reply.
      {"\xE0"
       "e: x",
       "pe: x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.in));
    EXPECT_EQ(NormalizeSubject(c.in), c.out);
  }
}

TEST(DeliveryHours, NeverNegativeIgnoresMinutes) {
  std::int32_t d = DayNumber(2024, 5, 1);
  EXPECT_EQ(DeliveryHours(d, 10, d, 10), 0);
  EXPECT_EQ(DeliveryHours(d, 10, d, 13), 3);
  EXPECT_EQ(DeliveryHours(d, 23, d + 1, 1), 2);  // across midnight
  EXPECT_EQ(DeliveryHours(d, 1, d + 1, 23), 46);
  EXPECT_EQ(DeliveryHours(d + 2, 5, d, 5), 48);  // arrival before writing (clock skew)
  EXPECT_EQ(DeliveryHours(d + 1, 1, d, 23), 2);
}

TEST(DayOfWeek, KnownDates) {
  EXPECT_EQ(DayOfWeek(1970, 1, 1), 4);   // Thursday
  EXPECT_EQ(DayOfWeek(2000, 2, 29), 2);  // Tuesday
  EXPECT_EQ(DayOfWeek(2024, 12, 29), 0);
  EXPECT_EQ(DayOfWeek(2026, 12, 10), 4);
  for (std::int32_t n = DayNumber(1990, 1, 1); n < DayNumber(2030, 1, 1); n += 13) {
    std::int32_t day, month, year;
    DateOfDayNumber(n, day, month, year);
    ASSERT_EQ(DayOfWeek(year, month, day), (n + 1) % 7) << year << "-" << month << "-" << day;
  }
}

TEST(LineRules, CountedAndQuoted) {
  struct Case {
    std::string_view line;
    bool counted;
    bool quoted;
  } cases[] = {
      {"plain", true, false},
      {"--- ", false, false},
      {"---", false, false},
      {"-- ", true, false},
      {" * Origin: x (2:1/2)", false, false},
      {"* Origin", true, false},
      {"@REPLY x", false, false},
      {"MB> text", true, true},
      {"          >x", true, true},
      {"           >x", true, false},
      {"@ > quoted too", false, true},
      {"", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    EXPECT_EQ(CountsAsTextLine(c.line), c.counted);
    EXPECT_EQ(IsQuotedLine(c.line), c.quoted);
  }
}

TEST(CountTextLines, AppliesTheRulesToEveryLine) {
  struct Case {
    std::string text;
    std::int32_t lines;
    std::int32_t quoted;
  };
  const Case cases[] = {
      {"", 0, 0},
      {"\r", 1, 0},
      {"A\r\nB\r", 2, 0},
      {"A\r\rB", 3, 0},
      {"MB> quote\r--- tear\r * Origin: x (1:2/3)\r@PATH 1\rlast", 2, 1},
      {std::string("a>\0\n>b\n\n> c\r\n", 13), 3, 3},
      {"0123456789>" + std::string(300, 'x') + "\r01234567890>\r", 2, 1},
      // A quote mark just past a short line, or past the 11th byte, belongs to no head.
      {"ab\r> c\r01234567890>" + std::string(40, 'x') + "\r" + std::string(40, 'y'), 4, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    std::int32_t lines = -1;
    std::int32_t quoted = -1;
    CountTextLines(c.text, lines, quoted);
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(quoted, c.quoted);
  }
}

TEST(CountTextLines, DestinationFromTheKludgeLinesOfTheSamePass) {
  struct Case {
    std::string text;
    std::string dest;  // FormatAddress of the result
  };
  const Case cases[] = {
      {"", "0:0/0"},
      {"\x01MSGID: 2:5020/1 1\rHello\r", "0:0/0"},
      {"\x01INTL 2:5020/1 1:2/3\r\x01TOPT 7\rtext\r", "2:5020/1.7"},
      {"\x01TOPT 7\r\n\x01INTL 2:5020/1 1:2/3", "2:5020/1.7"},
      // Only a byte 1 that starts a line is a kludge; CR LF, LF LF and NUL end lines.
      {"text \x01INTL 2:5020/1 1:2/3\r", "0:0/0"},
      {std::string("a\0\x01INTL 3:4/5 1:2/3\n\n\x01TOPT 9", 28), "3:4/5.9"},
      // A kludge read stops after 255 bytes, so the address past that is never seen.
      {"\x01INTL" + std::string(260, ' ') + "2:5020/1 1:2/3\r", "0:0/0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    // The reference: every line as a kludge read returns it, applied in order.
    MessageText reference;
    reference.Write(c.text);
    reference.Seek(0);
    FtnAddress expected;
    ClearAddress(expected);
    while (!reference.AtEnd()) ParseDestKludge(expected, reference.ReadLine(kReadLineBuffer - 1));
    std::int32_t lines = -1;
    std::int32_t quoted = -1;
    FtnAddress dest;
    ClearAddress(dest);
    CountTextLines(c.text, lines, quoted, dest);
    EXPECT_EQ(FormatAddress(dest), FormatAddress(expected));
    EXPECT_EQ(FormatAddress(dest), c.dest);
    std::int32_t plainLines = -1;
    std::int32_t plainQuoted = -1;
    CountTextLines(c.text, plainLines, plainQuoted);
    EXPECT_EQ(lines, plainLines);
    EXPECT_EQ(quoted, plainQuoted);
  }
}

TEST(NormalizeSubject, LookAlikesOfTheReportCharset) {
  struct Case {
    std::string charset;
    std::string in;
    std::string out;
  } cases[] = {
      // «Re: Нет ответа» and «Пpивет это тест» with Cyrillic р: Н and р are Latin H and p after.
      {"UTF-8", "Re: \xD0\x9D\xD0\xB5\xD1\x82", "H\xD0\xB5\xD1\x82"},
      {"UTF-8", "\xD0\x9F\xD1\x80\xD0\xB8 \xD1\x8D\xD1\x82\xD0\xBE",
       "\xD0\x9Fp\xD0\xB8 \xD1\x8D\xD1\x82\xD0\xBE"},
      // The UTF-8 bytes of э (D1 8D) are no look-alike there.
      {"UTF-8", "\xD1\x8D", "\xD1\x8D"},
      {"UTF-8", "rE: x", "x"},
      {"UTF-8",
       "\xD1\x80"
       "e: x",
       "pe: x"},
      {"KOI8-R", "RE: \xEE\xC5\xD4", "H\xC5\xD4"},
      {"KOI8-R", "\xF0\xD2\xC9", "\xF0p\xC9"},
      {"KOI8-R", "\x8D\xE0", "\x8D\xE0"},
      {"CP866", "\x8D\xE0", "Hp"},
      // A charset without Cyrillic letters has no look-alikes.
      {"LATIN-1", "\x8D\xE0 Re", "\x8D\xE0 Re"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.charset + " " + c.in);
    std::string normalized;
    NormalizeSubject(c.in, normalized, LookAlikesIn(c.charset));
    EXPECT_EQ(normalized, c.out);
  }
  EXPECT_EQ(LookAlikesIn("CP866").capitalEn, LookAlikes{}.capitalEn);
  EXPECT_EQ(LookAlikesIn("CP866").smallEr, LookAlikes{}.smallEr);
}

TEST(CountTextLines, CharsetOfTheFirstCharsetKludge) {
  struct Case {
    std::string text;
    std::string charset;
  } cases[] = {
      {"", ""},
      {"Hello\r", ""},
      {"\x01MSGID: 2:5020/1 1\r\x01"
       "CHRS: UTF-8 4\rHello\r",
       "UTF-8"},
      {"\x01"
       "CHARSET: KOI8-R\r\x01"
       "CHRS: CP866 2\r",
       "KOI8-R"},
      {"text\r\x01"
       "CODEPAGE: 866",
       "866"},
      // Not at the start of a line, or without byte 1: no kludge.
      {"text \x01"
       "CHRS: UTF-8 4\rCHRS: UTF-8 4\r",
       ""},
      // A kludge without a name counts, and leaves the default charset.
      {"\x01"
       "CHRS:\r\x01"
       "CHRS: UTF-8 4\r",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    for (bool withDest : {false, true}) {
      TextLineCounts counts;
      FtnAddress dest;
      ClearAddress(dest);
      CountTextLines(c.text, counts, withDest ? &dest : nullptr);
      EXPECT_EQ(counts.charset, c.charset);
      std::int32_t lines = -1;
      std::int32_t quoted = -1;
      CountTextLines(c.text, lines, quoted);
      EXPECT_EQ(counts.lines, lines);
      EXPECT_EQ(counts.quoted, quoted);
    }
  }
}

TEST(StatTables, RecordsFoundByExactNameAndOrdered) {
  StatTables tables;
  FindOrAddPerson(tables, "John Doe").written = 1;
  FindOrAddPerson(tables, "JOHN DOE").written = 2;
  FindOrAddPerson(tables, "").written = 3;
  FindOrAddPerson(tables, "John").written = 4;
  FindOrAddPerson(tables, "John Doe").written += 10;
  SortPersonsByName(tables);
  std::string order;
  for (const PersonStat& p : tables.persons)
    order += p.name + "=" + std::to_string(p.written) + ";";
  EXPECT_EQ(order, " =3;JOHN DOE=2;John=4;John Doe=11;");

  FindOrAddDay(tables, 2024, 3, 1).count++;
  FindOrAddDay(tables, 2023, 12, 31).count++;
  FindOrAddDay(tables, 2024, 3, 1).count++;
  ASSERT_EQ(tables.days.size(), 2u);
  EXPECT_EQ(tables.days[0].year, 2023);
  EXPECT_EQ(tables.days[1].count, 2u);

  FindOrAddSubject(tables, "b").count++;
  FindOrAddSubject(tables, "").count++;
  FindOrAddSubject(tables, "b").count++;
  ASSERT_EQ(tables.subjects.size(), 2u);
  EXPECT_EQ(tables.subjects[0].subject, "b");
  EXPECT_EQ(tables.subjects[0].count, 2);
  EXPECT_EQ(tables.subjects[1].subject, " ");
}

}  // namespace
}  // namespace tarnik
