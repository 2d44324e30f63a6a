#include "msgbase/squish_base.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/clock.h"
#include "common/file_opener.h"
#include "common/file_system.h"
#include "support/base_builder.h"
#include "support/base_inspect.h"
#include "support/manifest_json.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::DateArrived;
using testing::DateWritten;

using namespace squish;

LocalTime Moment() {
  LocalTime t;
  t.year = 2024;
  t.month = 6;
  t.day = 17;
  t.hour = 21;
  t.minute = 45;
  t.second = 30;
  t.hundredths = 7;
  return t;
}

// One frame of a hand-made base; the overrides damage single fields.
struct RawMessage {
  std::uint32_t umsgid = 1;
  std::uint32_t attr = kAttrUid;
  std::string from = "Writer";
  std::string to = "All";
  std::string subject = "Subject";
  std::string control;
  std::string text;
  std::uint16_t dateWritten[2] = {0, 0};
  std::uint32_t frameId = kFrameIdValue;
  std::uint16_t frameType = kFrameTypeMessage;
  std::optional<std::uint32_t> msgLength;
  std::optional<std::uint32_t> clen;
  std::optional<std::uint32_t> indexOfs;
};

struct RawBase {
  std::string sqd;
  std::string sqi;
};

RawBase BuildBase(const std::vector<RawMessage>& messages, std::uint32_t uid) {
  ByteWriter frames;
  ByteWriter index;
  std::uint32_t offset = kBaseHeaderSize;
  std::uint32_t last = 0;
  for (std::size_t i = 0; i < messages.size(); ++i) {
    const RawMessage& m = messages[i];
    std::uint32_t length =
        static_cast<std::uint32_t>(kMsgHeaderSize + m.control.size() + m.text.size());
    std::uint32_t next = i + 1 < messages.size()
                             ? offset + static_cast<std::uint32_t>(kFrameHeaderSize) + length
                             : 0;
    frames.U32(m.frameId);
    frames.U32(next);
    frames.U32(last);
    frames.U32(length);
    frames.U32(m.msgLength.value_or(length));
    frames.U32(m.clen.value_or(static_cast<std::uint32_t>(m.control.size())));
    frames.U16(m.frameType);
    frames.U16(0);
    frames.U32(m.attr);
    frames.Field(m.from, kMsgFromSize);
    frames.Field(m.to, kMsgToSize);
    frames.Field(m.subject, kMsgSubjSize);
    frames.Zeros(16);
    frames.U16(m.dateWritten[0]);
    frames.U16(m.dateWritten[1]);
    frames.Zeros(4 + 2 + 4 + 36);
    frames.U32(m.umsgid);
    frames.Zeros(kMsgFtscDateSize);
    frames.Bytes(m.control);
    frames.Bytes(m.text);
    index.U32(m.indexOfs.value_or(offset));
    index.U32(m.umsgid);
    index.U32(SquishHash(m.to));
    last = offset;
    offset += static_cast<std::uint32_t>(kFrameHeaderSize) + length;
  }
  ByteWriter header;
  header.U16(kBaseHeaderSize);
  header.U16(0);
  header.U32(static_cast<std::uint32_t>(messages.size()));
  header.U32(static_cast<std::uint32_t>(messages.size()));
  header.U32(0);
  header.U32(0);
  header.U32(uid);
  header.Zeros(kBaseNameSize);
  header.U32(messages.empty() ? 0 : kBaseHeaderSize);
  header.U32(last);
  header.U32(0);
  header.U32(0);
  header.U32(offset);
  header.U32(0);
  header.U16(0);
  header.U16(28);
  header.Zeros(kBaseHeaderSize - header.size());
  return {header.Take() + frames.Take(), index.Take()};
}

void WriteBase(const testing::TempDir& dir, const std::string& name, const RawBase& base) {
  dir.Write(name + ".sqd", base.sqd);
  dir.Write(name + ".sqi", base.sqi);
}

// "<number> <status or lines joined by |>" per visited message.
std::vector<std::string> Walk(SquishBase& base) {
  std::vector<std::string> rows;
  std::string line;
  for (base.SeekFrom(0); base.SeekFound(); base.SeekNext()) {
    std::string row = std::to_string(base.GetCurrent());
    if (base.OpenMessage()) {
      std::string from;
      base.GetFrom(from);
      row += " " + from + ":";
      while (!base.EndOfText()) {
        base.ReadLine(line);
        row += "|" + line;
      }
    } else {
      char code[16];
      std::snprintf(code, sizeof code, " fail %#x", static_cast<unsigned>(base.GetStatus()));
      row += code;
    }
    base.CloseMessage();
    rows.push_back(row);
  }
  return rows;
}

TEST(SquishBase, OpensHandMadeBaseAndTurnsControlInformationIntoKludgeLines) {
  testing::TempDir dir;
  RawMessage a;
  a.umsgid = 1;
  a.from = "";
  a.control = std::string("\x01MSGID: 2:5020/1 12345678\x01PID: X\0", 32);
  a.text = "Hello\r\nthere\r";
  a.dateWritten[0] = static_cast<std::uint16_t>(17 | (6 << 5) | ((2024 - 1980) << 9));
  a.dateWritten[1] = static_cast<std::uint16_t>(15 | (45 << 5) | (21 << 11));
  RawMessage b;  // clen 0, text with the final 0 most writers put there
  b.umsgid = 2;
  b.from = "B";
  b.text = std::string("Body only\r\0", 11);
  RawMessage c;  // control information of only a 0 byte, as the Husky library writes it
  c.umsgid = 5;
  c.from = "C";
  c.control = std::string(1, '\0');
  c.text = "Last\r";
  RawMessage d;  // control information not starting with byte 1, and zeros inside
  d.umsgid = 7;
  d.from = "D";
  d.control = std::string(
      "junk\x01"
      "A\0\0\x01\x01"
      "B",
      11);
  d.text = "x";
  WriteBase(dir, "base", BuildBase({a, b, c, d}, 8));

  SquishBase base;
  ASSERT_TRUE(base.Open(dir.File("base")));
  EXPECT_EQ(base.Path(), dir.File("base."));
  EXPECT_EQ(base.GetHigh(), 7);
  EXPECT_EQ(base.GetCount(), 4);
  std::vector<std::string> expected = {
      "1 :|\x01MSGID: 2:5020/1 12345678|\x01PID: X|Hello|there",
      "2 B:|Body only",
      "5 C:|Last",
      "7 D:|junk|\x01"
      "A|\x01|\x01"
      "B|x",
  };
  EXPECT_EQ(Walk(base), expected);

  base.SeekFrom(1);
  ASSERT_TRUE(base.OpenMessage());
  EXPECT_EQ(base.GetTextSize(), 26 + 8 + 13);
  EXPECT_EQ(DateWritten(base), "2024-06-17 21:45:30");
  FtnAddress orig;
  base.GetOrigAddr(orig);
  EXPECT_EQ(FormatAddress4D(orig), "2:5020/1.0");
  EXPECT_TRUE(base.EndOfText());
  std::string to;
  base.GetTo(to);
  EXPECT_EQ(to, "All");

  ASSERT_TRUE(base.OpenHeader());
  EXPECT_EQ(base.GetText()->Bytes(), "\x01MSGID: 2:5020/1 12345678\r\x01PID: X\r");
}

TEST(SquishBase, SeeksOverTheIndexInFileOrder) {
  testing::TempDir dir;
  std::vector<RawMessage> messages(4);
  std::uint32_t ids[] = {10, 3, 12, 11};
  for (std::size_t i = 0; i < messages.size(); ++i) {
    messages[i].umsgid = ids[i];
    messages[i].from = "m" + std::to_string(ids[i]);
  }
  WriteBase(dir, "order", BuildBase(messages, 13));
  SquishBase base;
  ASSERT_TRUE(base.Open(dir.File("order")));
  std::vector<std::int32_t> visited;
  for (base.SeekFrom(0); base.SeekFound(); base.SeekNext()) visited.push_back(base.GetCurrent());
  EXPECT_EQ(visited, (std::vector<std::int32_t>{10, 3, 12, 11}));

  struct Case {
    std::int32_t from;
    std::int32_t current;
    std::int32_t position;
  };
  for (const Case& c : {Case{0, 10, 0}, Case{4, 10, 0}, Case{11, 12, 24}, Case{12, 12, 24},
                        Case{13, 0, 0}, Case{-5, 10, 0}}) {
    SCOPED_TRACE(c.from);
    base.SeekFrom(c.from);
    EXPECT_EQ(base.GetCurrent(), c.current);
    EXPECT_EQ(base.GetPosition(), c.position);
  }
  base.SetPosition(36);
  EXPECT_EQ(base.GetCurrent(), 11);
  base.SeekPrev();
  EXPECT_EQ(base.GetCurrent(), 12);
  base.SetPosition(48);
  EXPECT_FALSE(base.SeekFound());
  base.SetPosition(0);
  base.SeekPrev();
  EXPECT_FALSE(base.SeekFound());
  EXPECT_TRUE(base.MessageExists(3));
  EXPECT_FALSE(base.MessageExists(4));
}

TEST(SquishBase, EmptyAndMissingBases) {
  testing::TempDir dir;
  WriteBase(dir, "empty", BuildBase({}, 1));
  SquishBase base;
  ASSERT_TRUE(base.Open(dir.File("empty")));
  base.SeekFrom(0);
  EXPECT_FALSE(base.SeekFound());
  EXPECT_EQ(base.GetHigh(), 0);
  EXPECT_FALSE(base.OpenMessage());
  base.Close();

  dir.Write("nosqi.sqd", BuildBase({}, 1).sqd);
  dir.Write("short.sqd", std::string(100, '\0'));
  dir.Write("short.sqi", "");
  struct Case {
    std::string spec;
    std::int32_t error;
  };
  for (const Case& c :
       {Case{"S" + dir.File("missing"), kErrorNoSqd}, Case{"s" + dir.File("nosqi"), kErrorNoSqi},
        Case{"S" + dir.File("short"), kErrorOpenSqd},
        Case{"X" + dir.File("empty"), kErrorUnknownBaseKind}}) {
    SCOPED_TRACE(c.spec);
    std::unique_ptr<MessageBase> opened;
    std::int32_t lastError = 0;
    EXPECT_FALSE(OpenMessageBase(c.spec, opened, &lastError));
    EXPECT_EQ(opened, nullptr);
    EXPECT_EQ(lastError, c.error);
  }
  std::unique_ptr<MessageBase> opened;
  ASSERT_TRUE(OpenMessageBase("S" + dir.File("EMPTY."), opened));
  EXPECT_TRUE(opened->IsOpen());
  std::string path;
  opened->GetPath(path);
  EXPECT_EQ(path, dir.File("EMPTY."));
  CloseMessageBase(opened);
  EXPECT_TRUE(base.Exists(dir.File("empty")));
  EXPECT_FALSE(base.Exists(dir.File("nosqi")));
}

TEST(SquishBase, DamagedFramesFailTheirMessageAndTheScanGoesOn) {
  testing::TempDir dir;
  auto good = [](std::uint32_t id) {
    RawMessage m;
    m.umsgid = id;
    m.from = "ok";
    m.control = std::string("\x01PID: Z\0", 8);
    m.text = "fine\r";
    return m;
  };
  std::vector<RawMessage> messages;
  messages.push_back(good(1));
  RawMessage badId = good(2);
  badId.frameId = 0x12345678;
  messages.push_back(badId);
  RawMessage freeFrame = good(3);
  freeFrame.frameType = kFrameTypeFree;
  messages.push_back(freeFrame);
  RawMessage hugeClen = good(4);
  hugeClen.clen = 65519;
  messages.push_back(hugeClen);
  RawMessage tooLongClen = good(5);
  tooLongClen.clen = 0xFFFFFFF0u;
  messages.push_back(tooLongClen);
  RawMessage shortLength = good(6);
  shortLength.msgLength = kMsgHeaderSize + 7;  // below 238 + clen
  messages.push_back(shortLength);
  RawMessage pastEnd = good(7);
  pastEnd.msgLength = 0x7FFFFFF0u;
  messages.push_back(pastEnd);
  RawMessage beyond = good(8);
  beyond.indexOfs = 0x7FFFFFF0u;
  messages.push_back(beyond);
  RawMessage atZero = good(9);
  atZero.indexOfs = 0;
  messages.push_back(atZero);
  messages.push_back(good(11));
  RawBase raw = BuildBase(messages, 12);
  // Message 10: a frame header at the very end of the data file, cut short.
  ByteWriter cut;
  cut.U32(static_cast<std::uint32_t>(raw.sqd.size()));
  cut.U32(10);
  cut.U32(0);
  raw.sqi += cut.Take();
  raw.sqd += std::string("\x53\x44\xae\xaf", 4);
  // A truncated last index record counts as absent.
  raw.sqi += std::string("\x01\x02\x03\x04\x05", 5);
  WriteBase(dir, "bad", raw);
  std::string sqdBefore = dir.Read("bad.sqd");
  std::string sqiBefore = dir.Read("bad.sqi");

  {
    SquishBase base;
    ASSERT_TRUE(base.Open(dir.File("bad")));
    std::vector<std::string> expected = {
        "1 ok:|\x01PID: Z|fine", "2 fail 0x3007",          "3 fail 0x3007",  "4 fail 0x3007",
        "5 fail 0x3007",         "6 fail 0x3007",          "7 fail 0x3007",  "8 fail 0x3008",
        "9 fail 0x3008",         "11 ok:|\x01PID: Z|fine", "10 fail 0x3008",
    };
    EXPECT_EQ(Walk(base), expected);
    base.SeekFrom(4);
    EXPECT_FALSE(base.OpenHeader());
    EXPECT_EQ(base.GetStatus(), kErrorBadFrame);
  }
  EXPECT_EQ(dir.Read("bad.sqd"), sqdBefore);
  EXPECT_EQ(dir.Read("bad.sqi"), sqiBefore);

  // The same bytes in memory read exactly as the files do.
  SquishBase onDisk;
  ASSERT_TRUE(onDisk.Open(dir.File("bad")));
  MemoryFileOpener memory;
  memory.Add("mem/bad.sqd", raw.sqd);
  memory.Add("mem/bad.sqi", raw.sqi);
  SquishBase inMemory(DefaultServices().clock, memory);
  ASSERT_TRUE(inMemory.Open("mem/BAD"));
  EXPECT_EQ(Walk(inMemory), Walk(onDisk));
  EXPECT_FALSE(inMemory.Open("mem/other"));
  EXPECT_EQ(inMemory.GetStatus(), kErrorNoSqd);
}

TEST(SquishBase, SurvivesDamageAnywhereInTheFiles) {
  testing::TempDir dir;
  FixedClock clock(Moment());
  {
    SquishBase base(clock);
    ASSERT_TRUE(base.Create(dir.File("good")));
    for (int i = 0; i < 6; ++i) {
      ASSERT_TRUE(base.NewMessage());
      base.SetFrom("w" + std::to_string(i));
      base.SetAddrs(false, FtnAddress{2, 5020, 1, 0}, FtnAddress{2, 5020, 2, 0});
      base.WriteLine(std::string(static_cast<std::size_t>(40 * i), 'b'));
      ASSERT_TRUE(base.WriteMessage());
    }
  }
  const std::string sqd = dir.Read("good.SQD");
  const std::string sqi = dir.Read("good.SQI");
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
  for (int round = 0; round < 120; ++round) {
    std::string damagedSqd = sqd;
    std::string damagedSqi = sqi;
    for (int flips = 0; flips < 4; ++flips) {
      std::string& target = next() % 2 ? damagedSqd : damagedSqi;
      target[next() % target.size()] = static_cast<char>(next());
    }
    if (round % 7 == 0) damagedSqd.resize(next() % damagedSqd.size());
    if (round % 11 == 0) damagedSqi.resize(next() % damagedSqi.size());
    WriteBase(dir, "bad", RawBase{damagedSqd, damagedSqi});
    SquishBase base(clock);
    if (!base.Open(dir.File("bad"))) continue;
    int visited = 0;
    for (base.SeekFrom(0); base.SeekFound() && visited < 100; base.SeekNext(), ++visited) {
      if (base.OpenMessage()) {
        FtnAddress dest;
        FtnAddress orig;
        base.GetAddrs(dest, orig);
        std::string line;
        for (base.SeekText(0); !base.EndOfText();) base.ReadLine(line);
      }
      base.CloseMessage();
    }
    EXPECT_LE(visited, 6);
  }
}

TEST(SquishBase, LongControlInformationIsCutPerLine) {
  testing::TempDir dir;
  RawMessage m;
  m.control = "\x01X " + std::string(20000, 'x') + "\x01Y";
  m.text = "b";
  WriteBase(dir, "long", BuildBase({m}, 2));
  SquishBase base;
  ASSERT_TRUE(base.Open(dir.File("long")));
  base.SeekFrom(0);
  ASSERT_TRUE(base.OpenMessage());
  EXPECT_EQ(base.GetText()->Bytes(), "\x01X " + std::string(16380, 'x') + "\r\x01Y\rb");
}

TEST(SquishHash, MatchesThePublishedHash) {
  EXPECT_EQ(SquishHash(""), 0u);
  EXPECT_EQ(SquishHash("ALL"), 0x682cu);
  EXPECT_EQ(SquishHash("all"), 0x682cu);
  EXPECT_EQ(SquishHash("Vasya Pupkin"), SquishHash("vasya pupkin"));
  // Long names fold the high nibble back in and never set bit 31.
  EXPECT_EQ(SquishHash("Alexander Bartholomew Longname") & 0x80000000u, 0u);
}

TEST(SquishBase, WritesTheHeaderFieldsOtherReadersUse) {
  testing::TempDir dir;
  FixedClock clock(Moment());
  {
    SquishBase base(clock);
    ASSERT_TRUE(base.Create(dir.File("net")));
    ASSERT_TRUE(base.NewMessage());
    base.SetMsgType(0);
    base.SetTo("Sysop");
    base.SetAddrs(false, FtnAddress{1, 261, 38, 4}, FtnAddress{2, 5020, 9999, 12});
    base.WriteLine("Hi");
    base.SetAttr(true, kAttrPrivate);
    base.SetAttr(true, kAttrFileRequest);
    base.SetAttr(true, kAttrIsReturnReceipt);
    ASSERT_TRUE(base.WriteMessage());
  }
  std::string sqd = dir.Read("net.SQD");
  std::string sqi = dir.Read("net.SQI");
  ASSERT_EQ(sqi.size(), kIndexRecordSize);
  ASSERT_GT(sqd.size(), kBaseHeaderSize + kFrameHeaderSize + kMsgHeaderSize);
  const char* h = sqd.data();
  EXPECT_EQ(LoadU16(h + kBaseLen), 256);
  EXPECT_EQ(LoadU32(h + kBaseNumMsg), 1u);
  EXPECT_EQ(LoadU32(h + kBaseHighMsg), 1u);
  EXPECT_EQ(LoadU32(h + kBaseUid), 2u);
  EXPECT_EQ(std::string(h + kBaseName), dir.File("net"));
  EXPECT_EQ(LoadU32(h + kBaseBeginFrame), 256u);
  EXPECT_EQ(LoadU32(h + kBaseLastFrame), 256u);
  EXPECT_EQ(LoadU32(h + kBaseEndFrame), sqd.size());
  EXPECT_EQ(LoadU32(h + kBaseMaxMsg), 65535u);
  EXPECT_EQ(LoadU16(h + kBaseKeepDays), 32767);
  EXPECT_EQ(LoadU16(h + kBaseSzSqhdr), 238);
  EXPECT_EQ(LoadU32(sqi.data() + kIndexOfs), 256u);
  EXPECT_EQ(LoadU32(sqi.data() + kIndexUmsgid), 1u);
  EXPECT_EQ(LoadU32(sqi.data() + kIndexHash), SquishHash("Sysop"));
  const char* f = h + 256;
  EXPECT_EQ(LoadU32(f + kFrameId), kFrameIdValue);
  EXPECT_EQ(LoadU32(f + kFrameNext), 0u);
  EXPECT_EQ(LoadU32(f + kFramePrev), 0u);
  std::uint32_t clen = LoadU32(f + kFrameClen);
  EXPECT_EQ(LoadU32(f + kFrameMsgLength), kMsgHeaderSize + clen + 3 + 1);
  EXPECT_EQ(LoadU32(f + kFrameLength), LoadU32(f + kFrameMsgLength));
  const char* m = f + kFrameHeaderSize;
  EXPECT_EQ(LoadU32(m + kMsgAttr), kAttrUid | 0x1u | 0x800u);
  EXPECT_EQ(LoadU16(m + kMsgOrig), 2);
  EXPECT_EQ(LoadU16(m + kMsgOrig + 2), 5020);
  EXPECT_EQ(LoadU16(m + kMsgOrig + 4), 9999);
  EXPECT_EQ(LoadU16(m + kMsgOrig + 6), 12);
  EXPECT_EQ(LoadU16(m + kMsgDest), 1);
  EXPECT_EQ(LoadU16(m + kMsgDest + 6), 4);
  EXPECT_EQ(LoadU32(m + kMsgUmsgid), 1u);
  EXPECT_EQ(std::string(m + kMsgFtscDate), "17 Jun 24  21:45:30");
  std::string control(m + kMsgHeaderSize, clen);
  EXPECT_EQ(control.substr(0, 23), "\x01MSGID: 2:5020/9999.12 ");
  EXPECT_EQ(control.substr(31), std::string("\x01INTL 1:261/38 2:5020/9999\x01"
                                            "FMPT 12\x01TOPT 4\0",
                                            42));
  EXPECT_EQ(sqd.substr(sqd.size() - 4), std::string("Hi\r\0", 4));

  SquishBase base(clock);
  ASSERT_TRUE(base.Open(dir.File("net")));
  base.SeekFrom(0);
  ASSERT_TRUE(base.OpenMessage());
  EXPECT_TRUE(base.GetAttr(kAttrPrivate));
  EXPECT_TRUE(base.GetAttr(kAttrFileRequest));
  EXPECT_FALSE(base.GetAttr(kAttrIsReturnReceipt));
  EXPECT_FALSE(base.GetAttr(kAttrCrash));
  EXPECT_FALSE(base.IsRead());
  FtnAddress dest;
  FtnAddress orig;
  base.GetAddrs(dest, orig);
  EXPECT_EQ(FormatAddress4D(dest), "1:261/38.4");
  EXPECT_EQ(FormatAddress4D(orig), "2:5020/9999.12");
}

TEST(SquishBase, ReadOnlyUseLeavesTheFilesAlone) {
  testing::TempDir dir;
  FixedClock clock(Moment());
  {
    SquishBase base(clock);
    ASSERT_TRUE(base.Create(dir.File("ro")));
    ASSERT_TRUE(base.NewMessage());
    base.WriteLine("text");
    ASSERT_TRUE(base.WriteMessage());
  }
  // A header that differs from what this program would write back.
  std::string sqd = dir.Read("ro.SQD");
  sqd[kBaseHighWater] = 7;
  dir.Write("ro.SQD", sqd);
  std::string sqi = dir.Read("ro.SQI");
  {
    std::unique_ptr<MessageBase> base;
    ASSERT_TRUE(OpenMessageBase("S" + dir.File("ro"), base, nullptr, clock));
    for (base->SeekFrom(0); base->SeekFound(); base->SeekNext()) {
      ASSERT_TRUE(base->OpenMessage());
      FtnAddress orig;
      base->GetOrigAddr(orig);
      base->CloseMessage();
    }
    CloseMessageBase(base);
  }
  EXPECT_EQ(dir.Read("ro.SQD"), sqd);
  EXPECT_EQ(dir.Read("ro.SQI"), sqi);
  EXPECT_FALSE(FileExists(dir.File("ro.SQL")));
}

TEST(SquishBase, DosDatesAndReadMark) {
  testing::TempDir dir;
  FixedClock clock(Moment());
  SquishBase base(clock);
  ASSERT_TRUE(base.Create(dir.File("dates")));
  ASSERT_TRUE(base.NewMessage());
  MsgDateTime date{23, 59, 59, 0, 31, 12, 2107};
  base.SetDateArrived(date);
  EXPECT_EQ(DateArrived(base), "2107-12-31 23:59:58");
  EXPECT_EQ(DateWritten(base), "2024-06-17 21:45:30");
  // A year before 1980 cannot be stored: it becomes 1980 instead of wrapping to 2107.
  base.SetDateArrived(testing::At(1979, 12, 31, 23, 59, 58));
  EXPECT_EQ(DateArrived(base), "1980-12-31 23:59:58");
  base.SetAttr(true, kAttrScanned);
  EXPECT_TRUE(base.GetAttr(kAttrScanned));
  base.SetAttr(false, kAttrScanned);
  EXPECT_FALSE(base.GetAttr(kAttrScanned));

  RawMessage read;
  read.attr = kAttrUid | kAttrRead;
  RawMessage unread;
  unread.umsgid = 2;
  WriteBase(dir, "marks", BuildBase({read, unread}, 3));
  SquishBase reader;
  ASSERT_TRUE(reader.Open(dir.File("marks")));
  std::vector<bool> marks;
  for (reader.SeekFrom(0); reader.SeekFound(); reader.SeekNext()) {
    ASSERT_TRUE(reader.OpenHeader());
    marks.push_back(reader.IsRead());
  }
  EXPECT_EQ(marks, (std::vector<bool>{true, false}));
}

// Bases written by the Husky message API read back as their manifests record them.
class SquishFixtures : public ::testing::TestWithParam<const char*> {};

std::vector<std::string> SplitAtCr(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      lines.emplace_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

TEST_P(SquishFixtures, ReadBackAsTheManifestRecords) {
  const std::string folder = std::string(TARNIK_FIXTURES_DIR) + "/smapi/squish/";
  if (!DirectoryExists(folder)) GTEST_SKIP() << "fixture folder " << folder << " is absent";
  testing::JsonValue manifest;
  ASSERT_TRUE(testing::LoadJsonFile(folder + GetParam() + ".json", manifest));
  const testing::JsonValue& info = manifest["base_info"];
  const testing::JsonValue& stored = manifest["stored"];

  std::string sqdBefore;
  std::string sqiBefore;
  ASSERT_TRUE(ReadWholeFile(folder + GetParam() + ".sqd", sqdBefore));
  ASSERT_TRUE(ReadWholeFile(folder + GetParam() + ".sqi", sqiBefore));

  std::unique_ptr<MessageBase> base;
  ASSERT_TRUE(OpenMessageBase(std::string("S") + folder + GetParam(), base));
  EXPECT_EQ(base->GetHigh(), info["uid"].Int() - 1);
  EXPECT_EQ(base->GetCount(), info["num_msg"].Int());

  std::size_t i = 0;
  std::string text;
  for (base->SeekFrom(0); base->SeekFound(); base->SeekNext(), ++i) {
    ASSERT_LT(i, stored.items.size());
    const testing::JsonValue& m = stored[i];
    SCOPED_TRACE(std::string(GetParam()) + " record " + std::to_string(i));
    EXPECT_EQ(static_cast<std::uint32_t>(base->GetCurrent()),
              static_cast<std::uint32_t>(m["umsgid"].Int()));
    EXPECT_EQ(base->GetPosition(), m["index_position"].Int() * 12);
    bool opened = base->OpenMessage();
    if (m["frame_offset"].Int() == 0) {
      EXPECT_FALSE(opened);
      base->CloseMessage();
      continue;
    }
    ASSERT_TRUE(opened);
    base->GetFrom(text);
    EXPECT_EQ(text, m["from"].text);
    base->GetTo(text);
    EXPECT_EQ(text, m["to"].text);
    char hash[9];
    std::snprintf(hash, sizeof hash, "%08x", SquishHash(text));
    EXPECT_EQ(hash, m["index_hash"].text);
    base->GetSubject(text);
    EXPECT_EQ(text, m["subject"].text);
    EXPECT_EQ(DateWritten(*base), m["date_written"].text);
    EXPECT_EQ(DateArrived(*base), m["date_arrived"].text);

    std::vector<std::string> expected;
    std::string control = m["control_info"].text;
    std::string kludge;
    for (char c : control) {
      if (c == 1 && !kludge.empty()) expected.push_back(kludge), kludge.clear();
      if (c != 0) kludge += c;
    }
    if (!kludge.empty()) expected.push_back(kludge);
    std::size_t kludgeBytes = 0;
    for (const std::string& k : expected) kludgeBytes += k.size() + 1;
    std::size_t bodyBytes = 0;
    for (const testing::JsonValue& line : m["text_lines"].items) {
      expected.push_back(line.text);
      bodyBytes += line.text.size() + 1;
    }
    EXPECT_EQ(SplitAtCr(base->GetText()->Bytes()), expected);
    EXPECT_EQ(base->GetTextSize(), static_cast<std::int32_t>(kludgeBytes + bodyBytes));

    std::vector<std::string> lines;
    while (!base->EndOfText()) {
      base->ReadLine(text);
      lines.push_back(text);
    }
    for (std::string& line : expected) line = line.substr(0, 255);
    EXPECT_EQ(lines, expected);

    FtnAddress orig;
    base->GetOrigAddr(orig);
    if (control.find("\x01MSGID:") != std::string::npos) {
      const testing::JsonValue& o = m["orig"];
      EXPECT_EQ(FormatAddress4D(orig),
                FormatAddress4D(FtnAddress{
                    static_cast<std::int16_t>(o[0].Int()), static_cast<std::int16_t>(o[1].Int()),
                    static_cast<std::int16_t>(o[2].Int()), static_cast<std::int16_t>(o[3].Int())}));
    } else {
      EXPECT_EQ(orig.zone, 0);
    }
    base->CloseMessage();
  }
  EXPECT_EQ(i, stored.items.size());
  CloseMessageBase(base);
  std::string after;
  ASSERT_TRUE(ReadWholeFile(folder + GetParam() + ".sqd", after));
  EXPECT_EQ(after, sqdBefore);
  ASSERT_TRUE(ReadWholeFile(folder + GetParam() + ".sqi", after));
  EXPECT_EQ(after, sqiBefore);
}

INSTANTIATE_TEST_SUITE_P(Smapi, SquishFixtures, ::testing::Values("smsqtalk", "SMALL", "killed"));

}  // namespace
}  // namespace tarnik
