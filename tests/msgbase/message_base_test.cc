#include "msgbase/message_base.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "common/clock.h"

namespace tarnik {
namespace {

// A base held in memory: the common behaviour under test needs only a set of numbers and a
// text to work on.
class MemoryBase final : public MessageBase {
 public:
  explicit MemoryBase(const Clock& clock, std::set<std::int32_t> numbers = {},
                      std::int32_t high = 0)
      : MessageBase(clock), numbers_(std::move(numbers)), high_(high) {}
  ~MemoryBase() override {
    CloseMessage();
    Close();
  }

  // Gives the base a text as if a message had been opened.
  void Load(std::string_view bytes) { NewText().Write(bytes), SeekText(0); }
  std::string Text() { return GetText() ? std::string(GetText()->Bytes()) : "<none>"; }

  bool Open(const std::string&) override { return true; }
  bool Create(const std::string&) override { return true; }
  bool Exists(const std::string&) override { return true; }
  void Close() override {}
  bool MessageExists(std::int32_t n) override {
    ++existsCalls;
    return numbers_.count(n) > 0;
  }
  std::int32_t GetPosition() override { return GetCurrent(); }
  void SetPosition(std::int32_t p) override { SetCurrent(p); }
  bool OpenMessage() override { return true; }
  bool OpenHeader() override { return true; }
  bool CloseMessage() override {
    bool had = GetText() != nullptr;
    DropText();
    return had;
  }
  std::int32_t GetHigh() override { return high_; }
  std::int32_t GetCount() override { return static_cast<std::int32_t>(numbers_.size()); }
  void GetFrom(std::string& s) override { s.clear(); }
  void GetTo(std::string& s) override { s.clear(); }
  void GetSubject(std::string& s) override { s.clear(); }
  void SetFrom(std::string_view) override {}
  void SetTo(std::string_view) override {}
  void SetSubject(std::string_view) override {}
  bool GetAttr(std::uint32_t) override { return false; }
  void SetAttr(bool, std::uint32_t) override {}
  void GetDateWritten(MsgDateTime&) override {}
  void GetDateArrived(MsgDateTime&) override {}
  void SetDateWritten(const MsgDateTime&) override {}
  void SetDateArrived(const MsgDateTime&) override {}
  bool WriteMessage() override { return true; }
  bool NewMessage() override {
    NewText();
    return true;
  }

  int existsCalls = 0;

 private:
  std::set<std::int32_t> numbers_;
  std::int32_t high_;
};

LocalTime Moment() {
  LocalTime t;
  t.year = 2024;
  t.month = 3;
  t.day = 5;
  t.hour = 14;
  t.minute = 7;
  t.second = 9;
  t.hundredths = 42;
  return t;
}

std::string Hex8(std::uint32_t v) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(v));
  return digits;
}

std::vector<std::string> Lines(MemoryBase& base) {
  std::vector<std::string> lines;
  std::string line;
  base.SeekText(0);
  while (!base.EndOfText()) {
    base.ReadLine(line);
    lines.push_back(line);
  }
  return lines;
}

TEST(ReadLine, SplitsAtEveryTerminatorAsOneLineEnd) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"A\r\nB\rC", {"A", "B", "C"}},
      {"A\r", {"A"}},
      {"A\r\r", {"A", ""}},
      {"A\n\nB", {"A", "B"}},
      {std::string("A\0\nB", 4), {"A", "B"}},
      {std::string("A\0B", 3), {"A", "B"}},
      {"A\r\rB", {"A", "", "B"}},
      {"A\n\r\nB", {"A", "", "B"}},
      {"\r\n", {""}},
      {"", {}},
      {"no terminator", {"no terminator"}},
      {"\x01MSGID: 1:2/3 abc\rbody\r", {"\x01MSGID: 1:2/3 abc", "body"}},
  };
  FixedClock clock(Moment());
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    MemoryBase base(clock);
    base.Load(c.text);
    EXPECT_EQ(Lines(base), c.lines);
  }
}

TEST(ReadLine, CrLfEndsOneLineWhereverItFalls) {
  FixedClock clock(Moment());
  for (std::size_t n = 250; n <= 262; ++n) {
    SCOPED_TRACE(n);
    MemoryBase base(clock);
    base.Load(std::string(n, 'a') + "\r\n" + "X\r\n" + std::string(n, 'b') + "\r\nY");
    std::vector<std::string> expected = {std::string(std::min<std::size_t>(n, 255), 'a'), "X",
                                         std::string(std::min<std::size_t>(n, 255), 'b'), "Y"};
    EXPECT_EQ(Lines(base), expected);
  }
}

TEST(ReadLine, CutsLongLinesAndSkipsTheirRest) {
  FixedClock clock(Moment());
  MemoryBase base(clock);
  base.Load(std::string(255, 'a') + "\r" + std::string(256, 'b') + "\r" + std::string(300, 'c') +
            "\rnext\r");
  std::vector<std::string> expected = {std::string(255, 'a'), std::string(255, 'b'),
                                       std::string(255, 'c'), "next"};
  EXPECT_EQ(Lines(base), expected);

  std::string line;
  base.SeekText(0);
  base.ReadLineBuf(10, line);
  EXPECT_EQ(line, std::string(9, 'a'));
  EXPECT_EQ(base.GetTextPos(), 256);
  EXPECT_EQ(base.ReadLineView(), std::string(255, 'b'));
}

// Texts made of the bytes that decide line and kludge boundaries, so every placement of a
// line end (in and across eight-byte words, as a pair, at the very end) turns up.
std::vector<std::string> TrickyTexts() {
  static constexpr char kAlphabet[] = {'a', '\r', '\n', '\0', '\x01', '\t', '>', ' ', '\x0C'};
  std::vector<std::string> texts = {"", "\r", "\n", std::string(1, '\0'), "\r\n", "\n\n\n"};
  std::uint32_t state = 12345;
  // Short texts take every mix of ends near the start; longer ones cross the wide steps of
  // the line scanners at every offset.
  for (int n = 0; n < 3400; ++n) {
    std::string text;
    const std::size_t length = static_cast<std::size_t>(n < 3000 ? n % 41 : n % 211);
    for (std::size_t i = 0; i < length; ++i) {
      state = state * 1103515245u + 12345u;
      text += kAlphabet[(state >> 16) % sizeof kAlphabet];
    }
    texts.push_back(text);
  }
  texts.push_back(std::string(300, 'x') + "\r\n" + std::string(7, 'y'));
  return texts;
}

TEST(ForEachLine, SplitsAsReadLineDoes) {
  FixedClock clock(Moment());
  for (const std::string& text : TrickyTexts()) {
    SCOPED_TRACE(testing::PrintToString(text));
    MemoryBase base(clock);
    base.Load(text);
    std::vector<std::string> lines;
    ForEachLine(text, [&](std::string_view line) {
      lines.emplace_back(line.substr(0, kReadLineBuffer - 1));
    });
    EXPECT_EQ(lines, Lines(base));
  }
}

TEST(FindLineEnd, FirstTerminatorAtOrAfterThePosition) {
  for (const std::string& text : TrickyTexts()) {
    SCOPED_TRACE(testing::PrintToString(text));
    for (std::size_t from = 0; from <= text.size(); ++from) {
      std::size_t expected = text.find_first_of(std::string_view("\r\n\0", 3), from);
      if (expected == std::string::npos) expected = text.size();
      ASSERT_EQ(FindLineEnd(text, from), expected) << "from " << from;
    }
  }
}

TEST(ReadLine, WithoutTextReadsNothing) {
  FixedClock clock(Moment());
  MemoryBase base(clock);
  std::string line = "old";
  EXPECT_TRUE(base.EndOfText());
  base.ReadLine(line);
  EXPECT_EQ(line, "");
  EXPECT_EQ(base.GetTextSize(), 0);
  EXPECT_FALSE(base.GetKludge(kKludgeMsgId, line));
  EXPECT_EQ(base.KludgeEnd(), 0);
}

TEST(MessageText, WritesOverAndBeyondTheEndAndTruncates) {
  MessageText text;
  text.Write("hello world");
  ASSERT_TRUE(text.Seek(6));
  text.Write("there, you");
  EXPECT_EQ(text.Bytes(), "hello there, you");
  ASSERT_TRUE(text.Seek(5));
  text.Truncate();
  EXPECT_EQ(text.Bytes(), "hello");
  EXPECT_FALSE(text.Seek(6));
  EXPECT_FALSE(text.Seek(-1));
  EXPECT_EQ(text.Position(), 5);
  char buffer[8];
  text.Seek(3);
  EXPECT_EQ(text.Read(buffer, sizeof buffer), 2u);
  EXPECT_EQ(std::string(buffer, 2), "lo");
  EXPECT_TRUE(text.AtEnd());
}

TEST(MessageBase, WritesLinesWithCrAndTheOriginCutTo79) {
  FixedClock clock(Moment());
  MemoryBase base(clock);
  base.NewMessage();
  base.WriteLine("first");
  base.WriteLine("");
  FtnAddress address{2, 123, 45, 0};
  base.WriteOrigin(std::string(100, 'o'), address);
  std::string text = base.Text();
  std::string origin = " * Origin: " + std::string(79 - 13 - 8 - 1, 'o') + " (2:123/45)";
  EXPECT_EQ(origin.size(), 79u);
  EXPECT_EQ(text, "first\r\r" + origin + "\r");

  struct Case {
    std::string text;
    FtnAddress address;
    std::string line;
  };
  const Case cases[] = {
      {"Short", {2, 5020, 9999, 12}, " * Origin: Short (2:5020/9999.12)"},
      {"", {1, 2, 3, 0}, " * Origin:  (1:2/3)"},
      {std::string(80, 'x'),
       {32000, 32000, 32000, 32000},
       " * Origin: " + std::string(79 - 14 - 23, 'x') + " (32000:32000/32000.32000)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(OriginLine(c.text, c.address), c.line);
  }
}

TEST(MessageBase, AddressesFromKludgeLines) {
  struct Case {
    std::string text;
    std::string orig;
    std::string dest;
  };
  const Case cases[] = {
      {"\x01MSGID: 2:123/45 abcdef01\rbody\r", "2:123/45.0", "0:0/0.0"},
      {"\x01MSGID: 2:123/45.6 1\r\x01INTL 1:2/3 3:4/5\r", "3:4/5.6", "1:2/3.0"},
      {"\x01INTL 1:2/3 3:4/5\r\x01MSGID: 2:123/45.6 1\r", "2:123/45.6", "1:2/3.0"},
      {"\x01"
       "FMPT 7\r\x01MSGID: 2:123/45 1\r",
       "2:123/45.0", "0:0/0.0"},
      {"\x01MSGID: 2:123/45 1\r\x01"
       "FMPT 7\r\x01TOPT 9\r\x01INTL 1:2/3 2:123/45\r",
       "2:123/45.7", "1:2/3.9"},
      {"MSGID: 2:123/45 1\rbody\r", "0:0/0.0", "0:0/0.0"},
      {"\x01MSGID: 2:123/45 1\r \x01MSGID: 9:9/9 1\r", "2:123/45.0", "0:0/0.0"},
      {"\x01MSGID:\r", "0:0/0.0", "0:0/0.0"},
      {"\x01MSGID: 2:123/45\r", "2:123/45.0", "0:0/0.0"},
      {"body first\r\x01MSGID: 1:1/1 2\r", "1:1/1.0", "0:0/0.0"},
      {"\x01MSGID: 2:3x5/6 1\r", "2:0/0.0", "0:0/0.0"},
      {std::string("body\0\x01MSGID: 1:1/1 2\r", 21), "1:1/1.0", "0:0/0.0"},
      {"body\r\n\x01MSGID: 1:1/1 2\n\n\x01INTL 4:4/4 1:1/1\r", "1:1/1.0", "4:4/4.0"},
      {"body \x01MSGID: 1:1/1 2\r", "0:0/0.0", "0:0/0.0"},
      {"\x01MSGID: 1:1/1" + std::string(250, ' ') + "3:3/3 4\r", "1:1/1.0", "0:0/0.0"},
  };
  FixedClock clock(Moment());
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    MemoryBase base(clock);
    base.Load(c.text);
    FtnAddress orig{9, 9, 9, 9};
    FtnAddress dest{9, 9, 9, 9};
    base.GetOrigAddr(orig);
    base.GetDestAddr(dest);
    EXPECT_EQ(FormatAddress4D(orig), c.orig);
    EXPECT_EQ(FormatAddress4D(dest), c.dest);
    EXPECT_TRUE(base.EndOfText());
    FtnAddress orig2{9, 9, 9, 9};
    FtnAddress dest2{9, 9, 9, 9};
    base.GetAddrs(dest2, orig2);
    EXPECT_EQ(FormatAddress4D(orig2), c.orig);
    EXPECT_EQ(FormatAddress4D(dest2), c.dest);
  }
}

TEST(MessageBase, AddressesFromKludgesOfAnyPlacement) {
  // The rule line by line: the first line and every line starting with byte 1.
  auto expected = [](MemoryBase& base, FtnAddress& dest, FtnAddress& orig) {
    ClearAddress(dest);
    ClearAddress(orig);
    base.SeekText(0);
    for (bool first = true; !base.EndOfText(); first = false) {
      const std::string_view line = base.ReadLineView();
      if (first || (!line.empty() && line[0] == 1)) {
        ParseOrigKludge(orig, line);
        ParseDestKludge(dest, line);
      }
    }
  };
  const std::string pieces[] = {"\x01MSGID: 1:2/3 4",
                                "\x01INTL 5:6/7 8:9/10",
                                "\x01"
                                "FMPT 11",
                                "\x01TOPT 12",
                                "body",
                                "\r",
                                "\n",
                                std::string(1, '\0'),
                                " "};
  FixedClock clock(Moment());
  std::uint32_t state = 7;
  for (int n = 0; n < 2000; ++n) {
    std::string text;
    for (int i = n % 9; i >= 0; --i) {
      state = state * 1103515245u + 12345u;
      text += pieces[(state >> 16) % std::size(pieces)];
    }
    SCOPED_TRACE(testing::PrintToString(text));
    MemoryBase base(clock);
    base.Load(text);
    FtnAddress dest, orig, wantDest, wantOrig;
    expected(base, wantDest, wantOrig);
    base.GetAddrs(dest, orig);
    EXPECT_EQ(FormatAddress4D(orig), FormatAddress4D(wantOrig));
    EXPECT_EQ(FormatAddress4D(dest), FormatAddress4D(wantDest));
    EXPECT_TRUE(base.EndOfText());
  }
}

TEST(MessageBase, FindsReplacesDeletesAndInsertsKludges) {
  FixedClock clock(Moment());
  MemoryBase base(clock);
  base.Load("\x01MSGID: 1:2/3 00000001\r\x01PID: X\rbody\x01PID: no\r\x01PATH: 1\r");
  std::string line;
  EXPECT_FALSE(base.GetKludge("\x01REPLY:", line));
  EXPECT_TRUE(base.GetKludge("\x01PID:", line));
  EXPECT_EQ(line, "\x01PID: X");
  EXPECT_EQ(base.KludgeStartPos(), 23);
  EXPECT_EQ(base.KludgeEndPos(), 31);
  EXPECT_EQ(base.KludgeEnd(), 31);

  base.ReplaceKludge("\x01PID: Longer Name 2", "\x01PID:");
  EXPECT_EQ(base.Text(),
            "\x01MSGID: 1:2/3 00000001\r\x01PID: Longer Name 2\rbody\x01PID: no\r\x01PATH: 1\r");
  EXPECT_TRUE(base.EndOfText());

  base.ReplaceKludge("\x01REPLY: 1:2/3 5", "\x01REPLY:");
  EXPECT_EQ(base.Text(),
            "\x01MSGID: 1:2/3 00000001\r\x01PID: Longer Name 2\r\x01REPLY: 1:2/3 5\r"
            "body\x01PID: no\r\x01PATH: 1\r");

  base.DeleteKludge("\x01MSGID:");
  base.DeleteKludge(
      "\x01"
      "FLAGS:");
  EXPECT_EQ(base.Text(),
            "\x01PID: Longer Name 2\r\x01REPLY: 1:2/3 5\rbody\x01PID: no\r\x01PATH: 1\r");
  EXPECT_TRUE(base.EndOfText());

  base.InsertKludge(
      "\x01"
      "CHRS: CP866 2");
  EXPECT_EQ(base.Text(),
            "\x01PID: Longer Name 2\r\x01REPLY: 1:2/3 5\r\x01"
            "CHRS: CP866 2\r"
            "body\x01PID: no\r\x01PATH: 1\r");
}

TEST(MessageBase, KludgeEndFollowsTheFirstRunOfKludges) {
  struct Case {
    std::string text;
    std::int32_t end;
  };
  const Case cases[] = {
      {"", 0},
      {"body\rmore\r", 10},
      {"\x01"
       "A\r\x01"
       "B\rbody\r",
       6},
      {"lead\r\x01"
       "A\rbody\r\x01"
       "B\r",
       8},
      {"\x01"
       "A\r\x01"
       "B\r",
       6},
      {"\x01"
       "A\r\n\rbody",
       4},
      {"body\r\x01PATH: 1\r", 14},
  };
  FixedClock clock(Moment());
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    MemoryBase base(clock);
    base.Load(c.text);
    EXPECT_EQ(base.KludgeEnd(), c.end);
  }
}

TEST(MessageBase, InsertingIntoATextWithoutKludgesAppends) {
  FixedClock clock(Moment());
  MemoryBase base(clock);
  base.Load("body\r");
  base.InsertKludge("\x01PID: X");
  EXPECT_EQ(base.Text(), "body\r\x01PID: X\r");
}

TEST(MessageBase, KludgeSearchesSeeLinesUpTo16383Bytes) {
  FixedClock clock(Moment());
  MemoryBase base(clock);
  std::string longKludge = "\x01X " + std::string(20000, 'x');
  base.Load(longKludge + "\r\x01PID: 1\rbody\r");
  std::string line;
  ASSERT_TRUE(base.FindKludgeBuf(kKludgeSearchBuffer, line, "\x01X"));
  EXPECT_EQ(line.size(), 16383u);
  EXPECT_EQ(base.KludgeEndPos(), 20004);
  EXPECT_TRUE(base.GetKludge("\x01PID:", line));
  EXPECT_EQ(base.KludgeEnd(), 20004 + 8);
}

TEST(MessageBase, SetOrigAddrKeepsOrRenewsTheSerial) {
  FixedClock clock(Moment());
  MemoryBase base(clock);
  base.Load("\x01MSGID: 1:1/1 deadbeef\r\x01PID: X\rbody\r");
  base.SetOrigAddr(false, FtnAddress{2, 5020, 9999, 12});
  EXPECT_EQ(base.Text(), "\x01MSGID: 2:5020/9999.12 deadbeef\r\x01PID: X\rbody\r");

  std::string serial =
      "\x01MSGID: 2:5020/1 " + Hex8(MsgIdSerial::ValueAt(2024, 3, 5, 14, 7, 9, 42));
  base.SetOrigAddr(true, FtnAddress{2, 5020, 1, 0});
  EXPECT_EQ(base.Text(), serial + "\r\x01PID: X\rbody\r");

  MemoryBase fresh(clock);
  fresh.NewMessage();
  fresh.SetOrigAddr(false, FtnAddress{2, 5020, 1, 0});
  std::string line;
  ASSERT_TRUE(fresh.GetKludge(kKludgeMsgId, line));
  EXPECT_EQ(line.substr(0, 17), "\x01MSGID: 2:5020/1 ");
  EXPECT_EQ(line.size(), 25u);
  EXPECT_EQ(fresh.GetTextSize(), 26);
}

TEST(MessageBase, SetOrigAddrRewritesTheFirstMsgIdLineInPlace) {
  FixedClock clock(Moment());
  const std::string longWord(300, 'w');
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      // Not the first line; only the first MSGID line changes, its CR LF becoming a CR.
      {"\x01PID: X\r\x01MSGID: 1:1/1 abc\r\n\x01MSGID: 3:3/3 def\rbody",
       "\x01PID: X\r\x01MSGID: 2:5020/7 abc\r\x01MSGID: 3:3/3 def\rbody"},
      // The serial is taken from the line as a kludge read returns it (255 bytes).
      {"\x01MSGID: 1:1/1 " + longWord + "\rbody\r",
       "\x01MSGID: 2:5020/7 " + longWord.substr(0, 255 - 14) + "\rbody\r"},
      {"\x01MSGID: 1:1/1\rbody\r", "\x01MSGID: 2:5020/7 \rbody\r"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    MemoryBase base(clock);
    base.Load(c.text);
    base.SetOrigAddr(false, FtnAddress{2, 5020, 7, 0});
    EXPECT_EQ(base.Text(), c.expected);
  }
}

TEST(MessageBase, NetmailAddressesWriteIntlFmptAndTopt) {
  FixedClock clock(Moment());
  MemoryBase base(clock);
  base.NewMessage();
  base.SetMsgType(0);
  base.SetAddrs(false, FtnAddress{1, 261, 38, 4}, FtnAddress{2, 5020, 9999, 12});
  base.WriteLine("Hello");
  std::string text = base.Text();
  ASSERT_GT(text.size(), 26u);
  std::string expectedRest =
      "\r\x01INTL 1:261/38 2:5020/9999\r\x01"
      "FMPT 12\r\x01TOPT 4\rHello\r";
  EXPECT_EQ(text.substr(0, 23), "\x01MSGID: 2:5020/9999.12 ");
  EXPECT_EQ(text.substr(31), expectedRest);

  FtnAddress dest;
  FtnAddress orig;
  base.GetAddrs(dest, orig);
  EXPECT_EQ(FormatAddress4D(orig), "2:5020/9999.12");
  EXPECT_EQ(FormatAddress4D(dest), "1:261/38.4");

  // Points of 0 remove the point kludges again.
  base.SetAddrs(false, FtnAddress{1, 261, 38, 0}, FtnAddress{2, 5020, 9999, 0});
  EXPECT_EQ(base.Text().substr(0, 20), "\x01MSGID: 2:5020/9999 ");
  EXPECT_EQ(base.Text().substr(28), "\r\x01INTL 1:261/38 2:5020/9999\rHello\r");

  MemoryBase echo(clock);
  echo.NewMessage();
  echo.SetMsgType(1);
  echo.SetAddrs(false, FtnAddress{1, 261, 38, 4}, FtnAddress{2, 5020, 9999, 0});
  EXPECT_EQ(echo.GetTextSize(), 8 + 12 + 9);
}

TEST(MessageBase, TypeFlags) {
  FixedClock clock(Moment());
  MemoryBase base(clock);
  EXPECT_FALSE(base.HasTypeFlag(kTypeNetmail));
  base.SetTypeFlag(true, kTypeNetmail | kTypeLocal);
  EXPECT_TRUE(base.HasTypeFlag(kTypeNetmail | kTypeLocal));
  EXPECT_FALSE(base.HasTypeFlag(kTypeNetmail | kTypeEchomail));
  base.SetMsgType(1);
  EXPECT_FALSE(base.HasTypeFlag(kTypeNetmail));
  EXPECT_FALSE(base.HasTypeFlag(kTypeLocal));
  EXPECT_TRUE(base.HasTypeFlag(kTypeEchomail));
  base.SetMsgType(2);
  EXPECT_TRUE(base.HasTypeFlag(kTypeLocal));
  EXPECT_FALSE(base.HasTypeFlag(kTypeEchomail));
  base.SetTypeFlag(false, kTypeLocal);
  EXPECT_FALSE(base.HasTypeFlag(kTypeLocal));
}

TEST(MessageBase, DefaultNavigationVisitsExistingNumbers) {
  FixedClock clock(Moment());
  MemoryBase base(clock, {1, 3, 10}, 10);
  std::vector<std::int32_t> visited;
  for (base.SeekFrom(0); base.SeekFound(); base.SeekNext()) visited.push_back(base.GetCurrent());
  EXPECT_EQ(visited, (std::vector<std::int32_t>{1, 3, 10}));

  base.SeekFrom(4);
  EXPECT_EQ(base.GetCurrent(), 10);
  base.SeekFrom(3);
  EXPECT_EQ(base.GetCurrent(), 3);
  base.SeekFrom(11);
  EXPECT_FALSE(base.SeekFound());

  base.SetCurrent(10);
  base.SeekPrev();
  EXPECT_EQ(base.GetCurrent(), 3);
  base.SeekPrev();
  EXPECT_EQ(base.GetCurrent(), 1);
  base.SeekPrev();
  EXPECT_EQ(base.GetCurrent(), 0);

  MemoryBase empty(clock);
  empty.SeekFrom(0);
  EXPECT_FALSE(empty.SeekFound());

  MemoryBase zero(clock, {0, 2}, 2);
  zero.SeekFrom(-2147483647 - 1);
  EXPECT_EQ(zero.existsCalls, 1);
  EXPECT_FALSE(zero.SeekFound());  // number 0 is found, and 0 means "none"
}

TEST(MsgIdSerial, ValueFromTheClockAndUniqueWhileTheClockStands) {
  EXPECT_EQ(
      MsgIdSerial::ValueAt(2024, 3, 5, 14, 7, 9, 42),
      ((9u + 7u * 60u + 14u * 3600u + 5u * 86400u + 3u * 2592000u + 2034u * 30672000u) * 128u) |
          42u);
  EXPECT_EQ(MsgIdSerial::ValueAt(1990, 1, 1, 0, 0, 0, 255) & 127u, 127u);

  FixedClock clock(Moment());
  MsgIdSerial serial(clock);
  std::string first = serial.Next();
  std::string second = serial.Next();
  std::string third = serial.Next();
  std::uint32_t v = MsgIdSerial::ValueAt(2024, 3, 5, 14, 7, 9, 42);
  EXPECT_EQ(first, Hex8(v));
  EXPECT_EQ(second, Hex8(v + 1));
  EXPECT_EQ(third, Hex8(v + 2));

  LocalTime later = Moment();
  later.minute = 8;
  clock.Set(later);
  EXPECT_EQ(serial.Next(), Hex8(MsgIdSerial::ValueAt(2024, 3, 5, 14, 8, 9, 42)));

  LocalTime early;
  early.year = -10;
  early.month = 0;
  early.day = 0;
  FixedClock stopped(early);
  MsgIdSerial leading(stopped);
  EXPECT_EQ(leading.Next(), "00000000");
}

TEST(CreateMessageBase, UnknownKindsFailWith256) {
  FixedClock clock(Moment());
  for (std::string spec : {"", "X/base", "Q", "/base"}) {
    SCOPED_TRACE(spec);
    std::int32_t lastError = 0;
    EXPECT_EQ(CreateMessageBase(spec, &lastError, clock), nullptr);
    EXPECT_EQ(lastError, kErrorUnknownBaseKind);
    std::unique_ptr<MessageBase> base = std::make_unique<MemoryBase>(clock);
    lastError = 0;
    EXPECT_FALSE(OpenMessageBase(spec, base, &lastError, clock));
    EXPECT_EQ(base, nullptr);
    EXPECT_EQ(lastError, kErrorUnknownBaseKind);
  }
}

TEST(CloseMessageBase, ClosesDestroysAndClears) {
  FixedClock clock(Moment());
  std::unique_ptr<MessageBase> base = std::make_unique<MemoryBase>(clock);
  CloseMessageBase(base);
  EXPECT_EQ(base, nullptr);
  CloseMessageBase(base);
  EXPECT_FALSE(DisposeMessageBase(base));
  base = std::make_unique<MemoryBase>(clock);
  EXPECT_TRUE(DisposeMessageBase(base));
  EXPECT_EQ(base, nullptr);
}

}  // namespace
}  // namespace tarnik
