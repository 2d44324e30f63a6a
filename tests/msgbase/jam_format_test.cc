#include "msgbase/jam_format.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "msgbase/kludge.h"
#include "msgbase/message_base.h"
#include "support/base_inspect.h"

namespace tarnik {
namespace {

using testing::Render;

std::string Render(const std::vector<jam::Subfield>& fields) {
  std::string out;
  for (const jam::Subfield& f : fields)
    out += std::to_string(f.loId) + "=" + std::string(f.data) + ";";
  return out;
}

void Subfield(ByteWriter& w, std::uint16_t id, std::string_view data, std::uint32_t datLen) {
  w.U16(id);
  w.U16(0);
  w.U32(datLen);
  w.Bytes(data);
}

void Subfield(ByteWriter& w, std::uint16_t id, std::string_view data) {
  Subfield(w, id, data, static_cast<std::uint32_t>(data.size()));
}

TEST(JamCrc, IsReflectedCrc32WithoutFinalInversionOverLoweredText) {
  EXPECT_EQ(JamCrc(""), 0xFFFFFFFFu);
  // CRC-32 of "a" is 0xE8B7BE43; JAM keeps it uninverted.
  EXPECT_EQ(JamCrc("a"), ~0xE8B7BE43u);
  EXPECT_EQ(JamCrc("John Doe"), JamCrc("john doe"));
  // Only A-Z are lowered: CP866 capitals keep their own value.
  EXPECT_NE(JamCrc("\x8D"), JamCrc("\xAD"));
  // The value a JAM writer stored for the recipient "All" in the fixtures (smapi).
  EXPECT_EQ(JamCrc("All"), JamCrc("all"));
}

TEST(JamSubfields, WalksUpToSubfieldLenAndTheBytesRead) {
  ByteWriter w;
  Subfield(w, jam::kSenderName, "John");
  Subfield(w, jam::kSubject, "Hi");
  const std::string area = w.Take();
  std::vector<jam::Subfield> fields;

  JamSubfields(area, static_cast<std::uint32_t>(area.size()), fields);
  EXPECT_EQ(Render(fields), "2=John;6=Hi;");

  // SubfieldLen ends after the first subfield: the second is not looked at.
  JamSubfields(area, 12, fields);
  EXPECT_EQ(Render(fields), "2=John;");

  // A damaged, huge SubfieldLen is bounded by what was read.
  JamSubfields(area, 0xFFFFFFF0u, fields);
  EXPECT_EQ(Render(fields), "2=John;6=Hi;");

  JamSubfields(area, 0, fields);
  EXPECT_EQ(Render(fields), "");
}

TEST(JamSubfields, DropsASubfieldReachingPastTheBytesRead) {
  ByteWriter w;
  Subfield(w, jam::kSenderName, "John");
  Subfield(w, jam::kSubject, "Hi", 5000);
  const std::string area = w.Take();
  std::vector<jam::Subfield> fields;
  JamSubfields(area, 0xFFFFFFFFu, fields);
  EXPECT_EQ(Render(fields), "2=John;");
  // A DatLen near 2^32 must not wrap around the bounds check.
  ByteWriter huge;
  Subfield(huge, jam::kSubject, "Hi", 0xFFFFFFFEu);
  JamSubfields(huge.bytes(), 0xFFFFFFFFu, fields);
  EXPECT_EQ(Render(fields), "");
  // A subfield header cut short ends the walk too.
  const std::string cut = area.substr(0, 15);
  JamSubfields(cut, 0xFFFFFFFFu, fields);
  EXPECT_EQ(Render(fields), "2=John;");
}

TEST(JamSubfields, StopsAtTheNextMessageHeader) {
  ByteWriter w;
  Subfield(w, jam::kSenderName, "John");
  w.Bytes(std::string_view("JAM\0", 4));
  w.U16(1);  // Revision, read as a DatLen of 1 by a walker that does not stop
  w.U16(0);
  Subfield(w, jam::kSenderName, "Garbage");
  std::vector<jam::Subfield> fields;
  JamSubfields(w.bytes(), 0xFFFFFFFFu, fields);
  EXPECT_EQ(Render(fields), "2=John;");
}

TEST(JamSubfields, CutsDataTo255BytesAndLooksAt16384BytesAtMost) {
  ByteWriter w;
  Subfield(w, jam::kSubject, std::string(300, 'x'));
  std::vector<jam::Subfield> fields;
  JamSubfields(w.bytes(), 0xFFFFFFFFu, fields);
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(fields[0].data, std::string(255, 'x'));

  ByteWriter big;
  Subfield(big, jam::kPid, std::string(16384 - 8 - 8, 'p'));  // ends 8 bytes before the limit
  Subfield(big, jam::kSenderName, "");                        // ends exactly at 16384
  Subfield(big, jam::kSubject, "beyond");
  JamSubfields(big.bytes(), 0xFFFFFFFFu, fields);
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[1].loId, jam::kSenderName);
}

TEST(JamSecondsToDate, GoesThroughTheDayNumber) {
  struct Case {
    std::uint32_t seconds;
    const char* expected;
  } cases[] = {
      {0, "0000-00-00 00:00:00"},          {1, "1970-01-01 00:00:01"},
      {86399, "1970-01-01 23:59:59"},      {951782400, "2000-02-29 00:00:00"},
      {1657307331, "2022-07-08 19:08:51"}, {4294967295u, "2106-02-07 06:28:15"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seconds);
    MsgDateTime date;
    JamSecondsToDate(c.seconds, date);
    EXPECT_EQ(Render(date), c.expected);
    EXPECT_EQ(JamDateToSeconds(date), c.seconds);
  }
}

TEST(JamAttributeBits, MapsInterfaceCodes) {
  EXPECT_EQ(JamAttributeBits(kAttrPrivate), 0x4u);
  EXPECT_EQ(JamAttributeBits(kAttrFileAttached), 0x2000u);
  EXPECT_EQ(JamAttributeBits(kAttrFileRequest), 0x1000u);
  EXPECT_EQ(JamAttributeBits(kAttrLocal), 0x1u);
  EXPECT_EQ(JamAttributeBits(0x1000000), 0x1000000u);
  EXPECT_EQ(JamAttributeBits(kAttrIsReturnReceipt), 0u);
  EXPECT_EQ(JamAttributeBits(kAttrScanned), 0u);
}

// Every kludge a subfield stands for is read back from the line it is shown as.
TEST(JamKludgeSubfield, NamesAndLinesMapBothWays) {
  for (std::uint16_t loId : {jam::kMsgId, jam::kReplyId, jam::kPid, jam::kTrace, jam::kSeenBy2D,
                             jam::kPath2D, jam::kFlags}) {
    SCOPED_TRACE(loId);
    const std::string line = KludgeLine(JamKludgeName(loId), "value 1");
    std::uint16_t found = 0;
    std::string_view value;
    ASSERT_TRUE(JamKludgeSubfield(line, found, value));
    EXPECT_EQ(found, loId);
    EXPECT_EQ(value, "value 1");
  }
  for (std::uint16_t loId : {jam::kOAddress, jam::kSubject, jam::kFtsKludge}) {
    EXPECT_EQ(JamKludgeName(loId), "");
  }
  std::uint16_t found = 0;
  std::string_view value;
  EXPECT_FALSE(JamKludgeSubfield("\x01MSGID:x", found, value));
  EXPECT_FALSE(
      JamKludgeSubfield("\x01"
                        "CHRS: CP866 2",
                        found, value));
  EXPECT_FALSE(JamKludgeSubfield("body", found, value));
}

TEST(AppendJamSubfield, WritesWhatJamSubfieldsReadsWithinItsLimits) {
  std::string area;
  AppendJamSubfield(area, jam::kSenderName, "John");
  AppendJamSubfield(area, jam::kSubject, std::string(300, 's'));
  std::vector<jam::Subfield> fields;
  JamSubfields(area, static_cast<std::uint32_t>(area.size()), fields);
  EXPECT_EQ(Render(fields), "2=John;6=" + std::string(255, 's') + ";");
  // A subfield that would take the area past what a reader looks at is left out.
  while (area.size() + jam::kSubfieldHeaderSize + 255 <= jam::kSubfieldAreaMax) {
    AppendJamSubfield(area, jam::kPid, std::string(255, 'p'));
  }
  const std::size_t full = area.size();
  AppendJamSubfield(area, jam::kPid, std::string(255, 'p'));
  EXPECT_EQ(area.size(), full);
  AppendJamSubfield(area, jam::kPid, "");
  EXPECT_EQ(area.size(), full + jam::kSubfieldHeaderSize);
}

}  // namespace
}  // namespace tarnik
