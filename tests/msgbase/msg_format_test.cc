#include "msgbase/msg_format.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/calendar.h"
#include "msgbase/message_base.h"
#include "support/base_builder.h"
#include "support/base_inspect.h"

namespace tarnik {
namespace {

using testing::Render;

TEST(ParseMsgDateTime, ReadsTheThreeFormsAndTheYearRule) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"01 Jan 86  02:34:56", "1986-01-01 02:34:56"},
      {"01 Jan 86 02:34:56", "1986-01-01 02:34:56"},
      {"31 dec 99  23:59:58", "1999-12-31 23:59:58"},
      {"29 FEB 00  12:00:01", "2000-02-29 12:00:01"},
      {"01 Jan 05  00:00:00", "2005-01-01 00:00:00"},
      {"01 Jan 70  00:00:00", "2070-01-01 00:00:00"},
      {"01 Jan 71  00:00:00", "1971-01-01 00:00:00"},
      {"Thu  1 Jun 23 12:27", "2023-06-01 12:27:00"},
      {"Tue 21 Mar 23 21:44", "2023-03-21 21:44:00"},
      {"21-03-23 21:44:18", "2023-03-21 21:44:18"},
      // Unknown month name, and words that are not numbers, give 0 for their fields.
      {"01 Foo 86  02:34:56", "1986-00-01 02:34:56"},
      {"0x Jan 86  02:3a:56", "1986-01-00 02:00:56"},
      {"-1 Jan 86  02:34:56", "1986-01-00 02:34:56"},
      // Nothing recognisable: everything 0, the year rule still applies.
      {"", "2000-00-00 00:00:00"},
      {"1986-01-01T02:34", "2000-00-00 00:00:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    MsgDateTime date;
    date.Sec100 = 99;
    ParseMsgDateTime(c.text, date);
    EXPECT_EQ(Render(date), c.expected);
    EXPECT_EQ(date.Sec100, 0);
  }
}

TEST(FormatMsgDateTime, WritesTheFts0001Form) {
  MsgDateTime date = testing::At(2005, 3, 7, 9, 5, 1);
  EXPECT_EQ(FormatMsgDateTime(date), "07 Mar 05  09:05:01");
  date.Year = 1999;
  date.Month = 13;
  EXPECT_EQ(FormatMsgDateTime(date), "07 ??? 99  09:05:01");
  date.Month = 3;
  MsgDateTime back;
  ParseMsgDateTime(FormatMsgDateTime(date), back);
  EXPECT_EQ(Render(back), "1999-03-07 09:05:01");
}

TEST(DosDateTime, DecodesAndEncodes) {
  MsgDateTime date;
  // 2023-05-19 01:30:22 as smapi stored it.
  DecodeDosDateTime(static_cast<std::uint16_t>((43 << 9) | (5 << 5) | 19),
                    static_cast<std::uint16_t>((1 << 11) | (30 << 5) | 11), date);
  EXPECT_EQ(Render(date), "2023-05-19 01:30:22");
  std::uint16_t d = 0, t = 0;
  EncodeDosDateTime(date, d, t);
  MsgDateTime back;
  DecodeDosDateTime(d, t, back);
  EXPECT_EQ(Render(back), "2023-05-19 01:30:22");
  DecodeDosDateTime(0, 0, date);
  EXPECT_EQ(Render(date), "1980-00-00 00:00:00");

  // The stored year counts from 1980 in seven bits: earlier years become 1980 (Squish and
  // *.MSG alike), later ones reach 2107.
  struct Case {
    MsgDateTime date;
    const char* stored;
  } cases[] = {
      {testing::At(1979, 12, 31, 23, 59, 59), "1980-12-31 23:59:58"},
      {testing::At(1970, 1, 1, 0, 0, 0), "1980-01-01 00:00:00"},
      {testing::At(1980, 1, 1, 0, 0, 1), "1980-01-01 00:00:00"},
      {testing::At(2107, 12, 31, 23, 59, 58), "2107-12-31 23:59:58"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    EncodeDosDateTime(c.date, d, t);
    DecodeDosDateTime(d, t, back);
    EXPECT_EQ(Render(back), c.stored);
  }
}

TEST(MsgFileNumber, AcceptsPositiveDecimalStemsOnly) {
  struct Case {
    const char* name;
    std::int32_t expected;  // 0: none
  } cases[] = {
      {"1.MSG", 1},
      {"10.msg", 10},
      {"007.msg", 7},
      {"70000.MSG", 70000},
      {"0.MSG", 0},
      {"abc.MSG", 0},
      {"1a.MSG", 0},
      {".MSG", 0},
      {"-1.MSG", 0},
      {"+1.MSG", 0},
      {"5.x.msg", 5},
      {"99999999999.MSG", 0},
      {"2147483647.MSG", 2147483647},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MsgFileNumber(c.name).value_or(0), c.expected);
  }
}

TEST(MsgAttributeBits, MapsInterfaceCodes) {
  EXPECT_EQ(MsgAttributeBits(kAttrPrivate), 0x0001);
  EXPECT_EQ(MsgAttributeBits(kAttrHold), 0x0200);
  EXPECT_EQ(MsgAttributeBits(kAttrFileRequest), 0x0800);
  EXPECT_EQ(MsgAttributeBits(kAttrFileUpdateRequest), 0x8000);
  EXPECT_EQ(MsgAttributeBits(kAttrScanned), 0);
}

TEST(ZeroTerminated, StopsAtTheFirstZeroOrTheFieldEnd) {
  EXPECT_EQ(ZeroTerminated(std::string_view("All\0junk", 8)), "All");
  EXPECT_EQ(ZeroTerminated("Full"), "Full");
}

}  // namespace
}  // namespace tarnik
