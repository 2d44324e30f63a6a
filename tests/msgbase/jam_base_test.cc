#include "msgbase/jam_base.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/clock.h"
#include "common/file_opener.h"
#include "common/file_system.h"
#include "support/base_inspect.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::DateArrived;
using testing::DateWritten;
using testing::Scan;
using testing::Text;

using testing::TempDir;

struct Sub {
  std::uint16_t id;
  std::string data;
};

struct Msg {
  std::vector<Sub> subs;
  std::string text;
  std::uint32_t attribute = jam::kMsgTypeEcho;
  std::uint32_t dateWritten = 0;
  std::uint32_t dateProcessed = 0;
  std::uint32_t timesRead = 0;
  bool deleted = false;  // index record 0xFFFFFFFF
};

// Offsets of what WriteJam laid out, for tests that damage one field.
struct Layout {
  std::vector<std::uint32_t> hdrOffsets;
};

// Writes base.JHR/JDX/JDT (no JLR) holding the messages in order.
Layout WriteJam(const TempDir& dir, const std::vector<Msg>& msgs, std::uint32_t baseMsgNum = 1,
                std::uint32_t activeMsgs = 0xFFFFFFFF) {
  ByteWriter jhr, jdx, jdt;
  jhr.Bytes(std::string_view("JAM\0", 4));
  jhr.U32(0);
  jhr.U32(0);
  jhr.U32(activeMsgs == 0xFFFFFFFF ? static_cast<std::uint32_t>(msgs.size()) : activeMsgs);
  jhr.U32(0xFFFFFFFF);
  jhr.U32(baseMsgNum);
  jhr.Zeros(1000);
  Layout layout;
  std::uint32_t number = baseMsgNum;
  for (const Msg& m : msgs) {
    ByteWriter subs;
    for (const Sub& s : m.subs) {
      subs.U16(s.id);
      subs.U16(0);
      subs.U32(static_cast<std::uint32_t>(s.data.size()));
      subs.Bytes(s.data);
    }
    const std::uint32_t offset = static_cast<std::uint32_t>(jhr.size());
    layout.hdrOffsets.push_back(offset);
    jhr.Bytes(std::string_view("JAM\0", 4));
    jhr.U16(1);
    jhr.U16(0);
    jhr.U32(static_cast<std::uint32_t>(subs.size()));
    jhr.U32(m.timesRead);
    jhr.U32(0xFFFFFFFF);
    jhr.U32(0xFFFFFFFF);
    jhr.Zeros(12);
    jhr.U32(m.dateWritten);
    jhr.U32(0);
    jhr.U32(m.dateProcessed);
    jhr.U32(number++);
    jhr.U32(m.attribute);
    jhr.U32(0);
    jhr.U32(static_cast<std::uint32_t>(jdt.size()));
    jhr.U32(static_cast<std::uint32_t>(m.text.size()));
    jhr.U32(0xFFFFFFFF);
    jhr.U32(0);
    jhr.Bytes(subs.bytes());
    jdt.Bytes(m.text);
    jdx.U32(m.deleted ? 0xFFFFFFFF : 0);
    jdx.U32(m.deleted ? 0xFFFFFFFF : offset);
  }
  dir.Write("base.jhr", jhr.bytes());
  dir.Write("base.jdx", jdx.bytes());
  dir.Write("base.jdt", jdt.bytes());
  return layout;
}

void PatchU32(const TempDir& dir, const std::string& name, std::size_t offset, std::uint32_t v) {
  std::string bytes = dir.Read(name);
  ASSERT_LE(offset + 4, bytes.size());
  StoreU32(bytes.data() + offset, v);
  dir.Write(name, bytes);
}

Msg Simple(const std::string& from, const std::string& text = "Body\r") {
  Msg m;
  m.subs = {{jam::kSenderName, from}, {jam::kReceiverName, "All"}, {jam::kSubject, "Subj " + from}};
  m.text = text;
  return m;
}

TEST(JamBase, NumbersFromBaseMsgNumOverTheIndexAndSkipsDeletedRecords) {
  TempDir dir;
  Msg gone = Simple("B");
  gone.deleted = true;
  // ActiveMsgs garbled as crashmail leaves it: numbering never depends on it.
  WriteJam(dir, {Simple("A"), gone, Simple("C"), Simple("D")}, 5, 3941264022u);
  JamBase base;
  ASSERT_TRUE(base.Open(dir.File("base")));
  EXPECT_EQ(base.GetHigh(), 9);
  EXPECT_EQ(base.GetCount(), static_cast<std::int32_t>(3941264022u));
  EXPECT_EQ(Scan(base), (std::vector<std::int32_t>{5, 7, 8}));
  EXPECT_FALSE(base.MessageExists(4));
  EXPECT_FALSE(base.MessageExists(9));
  base.SeekFrom(6);
  EXPECT_EQ(base.GetCurrent(), 7);
}

// A damaged BaseMsgNum far up must neither make the walk try every number below it (a scan
// that never ends) nor hide the messages whose numbers run up to the largest 32-bit one.
TEST(JamBase, WalkCoversTheIndexWhereverBaseMsgNumPutsIt) {
  struct Case {
    std::uint32_t baseMsgNum;
    std::vector<std::int32_t> forward;
    std::vector<std::int32_t> backward;
  };
  const Case cases[] = {
      {5, {5, 6, 7}, {7, 6, 5}},
      {2000000000u, {2000000000, 2000000001, 2000000002}, {2000000002, 2000000001, 2000000000}},
      {2147483646u, {2147483646, 2147483647}, {2147483647, 2147483646}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.baseMsgNum);
    TempDir dir;
    WriteJam(dir, {Simple("A"), Simple("B"), Simple("C")}, c.baseMsgNum);
    JamBase base;
    ASSERT_TRUE(base.Open(dir.File("base")));
    EXPECT_EQ(Scan(base), c.forward);
    std::vector<std::int32_t> backward;
    for (base.SetPosition(c.forward.back()); base.SeekFound(); base.SeekPrev()) {
      backward.push_back(base.GetCurrent());
    }
    EXPECT_EQ(backward, c.backward);
  }
}

TEST(JamBase, EmptyBaseHasNothingToVisit) {
  TempDir dir;
  WriteJam(dir, {});
  JamBase base;
  ASSERT_TRUE(base.Open(dir.File("base")));
  EXPECT_EQ(base.GetHigh(), 1);
  EXPECT_TRUE(Scan(base).empty());
}

TEST(JamBase, OpenMessageTurnsSubfieldsIntoKludgeLinesAroundTheBody) {
  TempDir dir;
  Msg m;
  m.subs = {{jam::kPath2D, "5020/1 9999"},
            {jam::kSenderName, "John Doe"},
            {jam::kSeenBy2D, "5020/1 52"},
            {jam::kPid, "GoldED+ 1.1.5"},
            {jam::kTrace, "2:5020/1 @20230101"},
            {jam::kMsgId, "2:5020/1 12345678"},
            {jam::kOAddress, "2:5020/1.3"},
            {jam::kReceiverName, "All"},
            {jam::kFtsKludge, "CHRS: CP866 2"},
            {jam::kSeenBy2D, "5020/9999"},
            {jam::kReplyId, "2:5020/2 abcdef01"},
            {jam::kFlags, "DIR"},
            {jam::kSubject, "Hello"},
            {2004, "TZUTC 0300"}};
  m.text = "Line 1\rLine 2\r";
  WriteJam(dir, {m});
  JamBase base;
  ASSERT_TRUE(base.Open(dir.File("base")));
  base.SeekFrom(0);
  ASSERT_TRUE(base.OpenMessage());
  EXPECT_EQ(Text(base),
            "\x01PID: GoldED+ 1.1.5\r"
            "\x01MSGID: 2:5020/1.3 12345678\r"
            "\x01"
            "CHRS: CP866 2\r"
            "\x01REPLY: 2:5020/2 abcdef01\r"
            "\x01"
            "FLAGS: DIR\r"
            "Line 1\rLine 2\r"
            "\x01Via 2:5020/1 @20230101\r"
            "SEEN-BY: 5020/1 52\r"
            "SEEN-BY: 5020/9999\r"
            "\x01PATH: 5020/1 9999\r");
  EXPECT_EQ(base.GetTextPos(), 0);
  std::string s;
  base.GetFrom(s);
  EXPECT_EQ(s, "John Doe");
  base.GetTo(s);
  EXPECT_EQ(s, "All");
  base.GetSubject(s);
  EXPECT_EQ(s, "Hello");
  FtnAddress orig;
  base.GetOrigAddr(orig);
  EXPECT_EQ(FormatAddress(orig), "2:5020/1.3");

  ASSERT_TRUE(base.OpenHeader());
  EXPECT_EQ(Text(base),
            "\x01PID: GoldED+ 1.1.5\r"
            "\x01MSGID: 2:5020/1 12345678\r"
            "\x01"
            "CHRS: CP866 2\r"
            "\x01REPLY: 2:5020/2 abcdef01\r"
            "\x01"
            "FLAGS: DIR\r");
}

TEST(JamBase, AddsAMsgIdLineFromTheOriginAddress) {
  TempDir dir;
  Msg m = Simple("A", "Text\r");
  m.subs.push_back({jam::kOAddress, "2:345/6"});
  m.subs.push_back({jam::kPid, "X"});
  WriteJam(dir, {m});
  FixedClock clock({2024, 5, 6, 7, 8, 9, 10});
  JamBase base(clock);
  ASSERT_TRUE(base.Open(dir.File("base")));
  base.SeekFrom(0);
  ASSERT_TRUE(base.OpenMessage());
  const std::string text = Text(base);
  ASSERT_EQ(text.substr(0, 7), "\x01PID: X");
  const std::string added = "\r\x01MSGID: 2:345/6 ";
  EXPECT_EQ(text.substr(7, added.size()), added);
  FtnAddress orig;
  base.GetOrigAddr(orig);
  EXPECT_EQ(FormatAddress(orig), "2:345/6");
}

TEST(JamBase, EnclosedFileOrRequestNamesTheSubjectByAttribute) {
  struct Case {
    std::uint32_t attribute;
    const char* subject;
  } cases[] = {
      {0, "Plain"},
      {jam::kMsgFileAttach, "FILE.ZIP"},
      {jam::kMsgFileRequest, "REQ.TXT"},
      {jam::kMsgFileAttach | jam::kMsgFileRequest, "REQ.TXT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.subject);
    TempDir dir;
    Msg m;
    m.attribute = c.attribute;
    m.subs = {{jam::kSubject, "Plain"},
              {jam::kEnclosedFile, "FILE.ZIP"},
              {jam::kEnclosedFreq, "REQ.TXT"}};
    WriteJam(dir, {m});
    JamBase base;
    ASSERT_TRUE(base.Open(dir.File("base")));
    base.SeekFrom(0);
    ASSERT_TRUE(base.OpenMessage());
    std::string subject;
    base.GetSubject(subject);
    EXPECT_EQ(subject, c.subject);
  }
}

TEST(JamBase, DatesAreSecondsSince1970AndADeletedHeaderStillReads) {
  TempDir dir;
  Msg m = Simple("A");
  m.dateWritten = 1657307331;
  m.dateProcessed = 0;
  m.attribute |= 0x80000000u;  // deleted attribute; the index record is intact
  WriteJam(dir, {m});
  JamBase base;
  ASSERT_TRUE(base.Open(dir.File("base")));
  EXPECT_EQ(Scan(base), std::vector<std::int32_t>{1});
  base.SeekFrom(0);
  ASSERT_TRUE(base.OpenMessage());
  EXPECT_EQ(DateWritten(base), "2022-07-08 19:08:51");
  // A date of 0 was never filled in: it reads as no date at all.
  EXPECT_EQ(DateArrived(base), "0000-00-00 00:00:00");
}

TEST(JamBase, TimesReadIsTheReadMark) {
  TempDir dir;
  Msg read = Simple("A");
  read.timesRead = 3;
  WriteJam(dir, {read, Simple("B")});
  JamBase base;
  ASSERT_TRUE(base.Open(dir.File("base")));
  std::vector<bool> marks;
  for (base.SeekFrom(0); base.SeekFound(); base.SeekNext()) {
    ASSERT_TRUE(base.OpenHeader());
    marks.push_back(base.IsRead());
  }
  EXPECT_EQ(marks, (std::vector<bool>{true, false}));
}

TEST(JamBase, MissingFilesFailInOrderButLastreadIsOptional) {
  struct Case {
    const char* remove;
    std::int32_t status;
  } cases[] = {{"base.jhr", 0x2000}, {"base.jdx", 0x2001}, {"base.jdt", 0x2002}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.remove);
    TempDir dir;
    WriteJam(dir, {Simple("A")});
    ASSERT_TRUE(DeleteFile(dir.File(c.remove)));
    JamBase base;
    EXPECT_FALSE(base.Open(dir.File("base")));
    EXPECT_EQ(base.GetStatus(), c.status);
    EXPECT_FALSE(base.IsOpen());
  }
  TempDir dir;
  WriteJam(dir, {Simple("A")});
  dir.Write("short.jhr", "JAM");
  dir.Write("short.jdx", "");
  dir.Write("short.jdt", "");
  JamBase base;
  EXPECT_FALSE(base.Open(dir.File("short")));
  EXPECT_EQ(base.GetStatus(), 0x2006);
  ASSERT_TRUE(base.Open(dir.File("BASE")));  // names are found case-insensitively
  base.SeekFrom(0);
  EXPECT_TRUE(base.OpenMessage());
  base.Close();
  EXPECT_FALSE(FileExists(dir.File("base.jlr")));
}

TEST(JamBase, AScanChangesNoByteAndCreatesNoFile) {
  TempDir dir;
  WriteJam(dir, {Simple("A"), Simple("B")});
  const std::string jhr = dir.Read("base.jhr"), jdx = dir.Read("base.jdx"),
                    jdt = dir.Read("base.jdt");
  {
    JamBase base;
    ASSERT_TRUE(base.Open(dir.File("base")));
    for (base.SeekFrom(0); base.SeekFound(); base.SeekNext()) {
      ASSERT_TRUE(base.OpenMessage());
      base.CloseMessage();
    }
    base.Close();
  }
  EXPECT_EQ(dir.Read("base.jhr"), jhr);
  EXPECT_EQ(dir.Read("base.jdx"), jdx);
  EXPECT_EQ(dir.Read("base.jdt"), jdt);
  EXPECT_EQ(ListFiles(dir.path(), "*").size(), 3u);
}

// Per visited message its sender, or "fail <status>".
std::vector<std::string> Froms(JamBase& base) {
  std::vector<std::string> froms;
  for (base.SeekFrom(0); base.SeekFound(); base.SeekNext()) {
    std::string from;
    if (base.OpenMessage()) {
      base.GetFrom(from);
    } else {
      from = "fail " + std::to_string(base.GetStatus());
    }
    froms.push_back(from);
    base.CloseMessage();
  }
  return froms;
}

// Damage one field of the middle message; it fails with its code (or reads what is sound)
// while its neighbours read normally.
TEST(JamBase, DamagedRecordsFailAloneWithoutReadingOutsideTheFiles) {
  struct Case {
    const char* what;
    const char* file;  // file patched
    int field;         // -1: index HdrOffset of message 2; else header field offset
    std::uint32_t value;
    std::int32_t status;  // 0: opens
    const char* from;     // expected from when it opens
  } cases[] = {
      {"HdrOffset beyond the file", "base.jdx", -1, 1000000, 0x2007, nullptr},
      {"HdrOffset negative", "base.jdx", -1, 0x80000000u, 0x2007, nullptr},
      {"TxtOffset beyond", "base.jhr", jam::kHdrTxtOffset, 1000000, 0x2008, nullptr},
      {"TxtOffset negative", "base.jhr", jam::kHdrTxtOffset, 0xFFFFFFF0u, 0x2008, nullptr},
      {"TxtLen beyond", "base.jhr", jam::kHdrTxtLen, 1000, 0x2008, nullptr},
      {"TxtLen huge", "base.jhr", jam::kHdrTxtLen, 0xFFFFFFEBu, 0x2008, nullptr},
      {"SubfieldLen huge", "base.jhr", jam::kHdrSubfieldLen, 0xFFFFFFB9u, 0, "B"},
      {"SubfieldLen zero", "base.jhr", jam::kHdrSubfieldLen, 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const Layout layout = WriteJam(dir, {Simple("A"), Simple("B"), Simple("C")});
    if (c.field < 0) {
      PatchU32(dir, c.file, 8 + jam::kIdxHdrOffset, c.value);
    } else {
      PatchU32(dir, c.file, layout.hdrOffsets[1] + static_cast<std::size_t>(c.field), c.value);
    }
    JamBase base;
    ASSERT_TRUE(base.Open(dir.File("base")));
    const std::string middle =
        c.status != 0 ? "fail " + std::to_string(c.status) : std::string(c.from);
    EXPECT_EQ(Froms(base), (std::vector<std::string>{"A", middle, "C"}));
    // The same bytes in memory read exactly as the files do.
    MemoryFileOpener memory;
    for (const char* name : {"base.jhr", "base.jdx", "base.jdt"}) {
      memory.Add(std::string("mem/") + name, dir.Read(name));
    }
    JamBase inMemory(DefaultServices().clock, memory);
    ASSERT_TRUE(inMemory.Open("mem/base"));
    EXPECT_EQ(Froms(inMemory), (std::vector<std::string>{"A", middle, "C"}));
  }
}

TEST(JamBase, SubfieldReachingPastTheHeaderFileIsDropped) {
  TempDir dir;
  Msg m = Simple("A");
  m.subs.push_back({jam::kPid, "Tail"});
  WriteJam(dir, {m});
  // The last subfield's DatLen points past the end of name.JHR.
  std::string jhr = dir.Read("base.jhr");
  StoreU32(jhr.data() + jhr.size() - 4 - 4, 500);
  dir.Write("base.jhr", jhr);
  JamBase base;
  ASSERT_TRUE(base.Open(dir.File("base")));
  base.SeekFrom(0);
  ASSERT_TRUE(base.OpenMessage());
  std::string from;
  base.GetFrom(from);
  EXPECT_EQ(from, "A");
  EXPECT_EQ(Text(base), "Body\r");
}

TEST(JamBase, TruncatedIndexEndsTheNumbering) {
  TempDir dir;
  WriteJam(dir, {Simple("A"), Simple("B"), Simple("C")});
  dir.Write("base.jdx", dir.Read("base.jdx").substr(0, 12));  // one and a half records
  JamBase base;
  ASSERT_TRUE(base.Open(dir.File("base")));
  EXPECT_EQ(base.GetHigh(), 2);
  EXPECT_EQ(Scan(base), std::vector<std::int32_t>{1});
}

}  // namespace
}  // namespace tarnik

namespace tarnik {
namespace {

// Scrambled bytes anywhere in the header and index files never crash a scan or make it read
// outside the files (the sanitizer build checks the latter).
TEST(JamBase, ScansBasesWithScrambledBytes) {
  TempDir dir;
  Msg m = Simple("A", "Line\rLine\r");
  m.subs.push_back({jam::kOAddress, "2:5020/1"});
  m.subs.push_back({jam::kMsgId, "2:5020/1 1234abcd"});
  m.subs.push_back({jam::kSeenBy2D, "5020/1"});
  WriteJam(dir, {m, Simple("B"), m});
  const std::string jhr = dir.Read("base.jhr"), jdx = dir.Read("base.jdx");
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  for (int round = 0; round < 300; ++round) {
    std::string h = jhr, x = jdx;
    for (int k = 0; k < 4; ++k) {
      // Mostly the message headers (past the base header), sometimes the index.
      if (next() % 4 == 0) {
        x[next() % x.size()] = static_cast<char>(next());
      } else {
        h[1024 + next() % (h.size() - 1024)] = static_cast<char>(next() % 2 ? next() : 0xFF);
      }
    }
    dir.Write("base.jhr", h);
    dir.Write("base.jdx", x);
    JamBase base;
    ASSERT_TRUE(base.Open(dir.File("base")));
    int visited = 0;
    for (base.SeekFrom(0); base.SeekFound(); base.SeekNext()) {
      ASSERT_LE(++visited, 3);
      if (base.OpenMessage()) {
        FtnAddress dest, orig;
        base.GetAddrs(dest, orig);
        base.SeekText(0);
        while (!base.EndOfText()) base.ReadLineView();
      }
      base.CloseMessage();
    }
  }
}

}  // namespace
}  // namespace tarnik
