#include "msgbase/squish_format.h"

#include <gtest/gtest.h>

#include <string>

#include "msgbase/message_base.h"

namespace tarnik {
namespace {

using namespace squish;

TEST(SquishAttributeBits, KeepsTheFts0001BitsAndMovesTheRestUp) {
  struct Case {
    std::uint32_t code;
    std::uint32_t stored;
  } cases[] = {
      {kAttrPrivate, 0x0001},
      {kAttrHold, 0x0200},
      {kAttrPrivate | kAttrCrash | kAttrLocal, 0x0103},  // several low codes at once
      {kAttrFileRequest, 0x0800},
      {kAttrReturnReceiptRequest, 0x1000},
      {kAttrIsReturnReceipt, 0},
      {kAttrAuditRequest, 0x4000},
      {kAttrFileUpdateRequest, 0},
      {kAttrScanned, 0x10000},
      {kAttrPrivate | kAttrFileRequest, 0},
      {0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(SquishAttributeBits(c.code), c.stored);
  }
}

TEST(SquishControl, KludgeLinesSplitOffAndReadBack) {
  struct Case {
    std::string text;
    std::string control;  // without the final 0
    std::string body;
    std::string lines;  // the control information read back as kludge lines
  } cases[] = {
      {"", "", "", ""},
      {"body\r", "", "body\r", ""},
      {"\x01PID: X\r\x01MSGID: 1:2/3 4\rbody\r\x01PATH: 1\r", "\x01PID: X\x01MSGID: 1:2/3 4",
       "body\r\x01PATH: 1\r", "\x01PID: X\r\x01MSGID: 1:2/3 4\r"},
      {"\x01PID: X\r\n\x01"
       "A\n",
       "\x01PID: X\x01"
       "A",
       "",
       "\x01PID: X\r\x01"
       "A\r"},
      {"\x01"
       "A\r\rbody",
       "\x01"
       "A",
       "\rbody",
       "\x01"
       "A\r"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text));
    std::string control;
    std::string_view body;
    SplitSquishControl(c.text, control, body);
    EXPECT_EQ(control, c.control + std::string(1, '\0'));
    EXPECT_EQ(body, c.body);
    std::string lines;
    AppendSquishControlLines(control, lines);
    EXPECT_EQ(lines, c.lines);
  }
}

// Frame offsets and end_frame are dwords: the whole frame, its 28-byte header included, must
// end at or below 0xFFFFFFFF.
TEST(SquishFrameFits, AfterTheBaseHeaderAndWithinDwordOffsets) {
  struct Case {
    std::uint64_t end;
    std::uint64_t msgLength;
    bool fits;
  } cases[] = {
      {256, 239, true},
      {255, 239, false},
      {0, 239, false},
      {0xFFFFFFFFull - 28 - 239, 239, true},
      {0xFFFFFFFFull - 28 - 238, 239, false},
      {0xFFFFFFF0ull - 239, 239, false},  // the frame header would cross 4 GiB
      {256, kMaxMsgLength, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.end) + " " + std::to_string(c.msgLength));
    EXPECT_EQ(SquishFrameFits(c.end, c.msgLength), c.fits);
  }
}

}  // namespace
}  // namespace tarnik
