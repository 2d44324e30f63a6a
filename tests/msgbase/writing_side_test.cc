// The writing side of the three formats, driven through one sequence: each format's traits
// say how it stores what the sequence hands it, and its tail checks what only it does.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/clock.h"
#include "common/file_system.h"
#include "msgbase/jam_base.h"
#include "msgbase/msg_dir_base.h"
#include "msgbase/squish_base.h"
#include "support/base_builder.h"
#include "support/base_inspect.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::At;
using testing::DateArrived;
using testing::DateWritten;
using testing::Scan;
using testing::TempDir;
using testing::Text;

const LocalTime kNow{2024, 6, 17, 21, 45, 30, 7};
const std::string kLongLine(350, 'x');
const FtnAddress kOrig{2, 5020, 1, 5};

struct Posting {
  std::string from;
  std::string to;
  std::string subject;
  std::vector<std::string> kludges;  // written as they are, each followed by CR
  std::string body;                  // raw bytes
  std::vector<std::string> lines;    // what ReadLine returns, kludges first
};

std::vector<Posting> Postings() {
  return {
      {"John Doe",
       "All",
       "Hello",
       {"\x01MSGID: 2:5020/1 00000001", "\x01PID: T 1"},
       "Line one\rLine two\r--- \r * Origin: x (2:5020/1)\r",
       {"\x01MSGID: 2:5020/1 00000001", "\x01PID: T 1", "Line one", "Line two", "--- ",
        " * Origin: x (2:5020/1)"}},
      {"", "", "", {}, "", {}},
      {"",
       "Somebody",
       "",
       {},
       "No kludges\r\nCR LF line\nLF line\r\r",
       {"No kludges", "CR LF line", "LF line", ""}},
      {std::string(40, 'F'),
       std::string(40, 'T'),
       std::string(80, 'S'),
       {"\x01REPLY: 1:1/1 2"},
       std::string(300, 'L') + "\rshort\r",
       {"\x01REPLY: 1:1/1 2", std::string(255, 'L'), "short"}},
      {"\x8f\xa5\xe2\xe0",
       "\x82\xa0\xe1\xef",
       "\x8d\xa5\xe2",
       {"\x01"
        "CHRS: CP866 2"},
       "\xad\xa5\xe2\r",
       {"\x01"
        "CHRS: CP866 2",
        "\xad\xa5\xe2"}},
  };
}

// The lines the addressed message is written with, after its MSGID line.
const std::vector<std::string> kAddressedLines = {"\x01PID: Tarnik",
                                                  "\x01"
                                                  "CHRS: CP866 2",
                                                  "\x01INTL 2:5020/9999 2:5020/1",
                                                  "Hello",
                                                  kLongLine,
                                                  "SEEN-BY: 5020/1",
                                                  "\x01PATH: 5020/1"};

// Squish and *.MSG keep the text as written: the kludges, then the body as it came.
const std::string kTextAsWritten =
    "\x01PID: Tarnik\r\x01"
    "CHRS: CP866 2\r\x01INTL 2:5020/9999 2:5020/1\rHello\r" +
    kLongLine + "\rSEEN-BY: 5020/1\r\x01PATH: 5020/1\r * Origin: Test (2:5020/1.5)\r";

std::size_t LineBytes(std::string_view text) {
  std::size_t bytes = 0;
  ForEachLine(text, [&](std::string_view line) { bytes += line.size() + 1; });
  return bytes;
}

struct SquishTraits {
  using Base = SquishBase;
  static constexpr std::size_t kNameMax = 35;
  static constexpr std::size_t kSubjectMax = 71;
  // Seconds are stored halved.
  static constexpr const char* kWrittenTime = " 10:20:30";
  static std::int32_t High(std::int32_t messages) { return messages; }
  static std::size_t BodyBytes(std::string_view body) { return body.size(); }
  static std::string AddressedText() { return kTextAsWritten; }
  static void Tail(const TempDir&, MessageBase&) {}
};

struct JamTraits {
  using Base = JamBase;
  static constexpr std::size_t kNameMax = 255;
  static constexpr std::size_t kSubjectMax = 255;
  static constexpr const char* kWrittenTime = " 10:20:31";
  // GetHigh is one past the last number.
  static std::int32_t High(std::int32_t messages) { return messages + 1; }
  // The body is stored line by line, each ended by CR.
  static std::size_t BodyBytes(std::string_view body) { return LineBytes(body); }
  // INTL has no subfield (the addresses travel in OADDRESS and DADDRESS); SEEN-BY and PATH
  // lines are subfields, read back after the body.
  static std::string AddressedText() {
    return "\x01PID: Tarnik\r\x01"
           "CHRS: CP866 2\rHello\r" +
           kLongLine + "\r * Origin: Test (2:5020/1.5)\rSEEN-BY: 5020/1\r\x01PATH: 5020/1\r";
  }
  static void Tail(const TempDir& dir, MessageBase& base) {
    EXPECT_TRUE(FileExists(dir.File("sub/dir/echo.JLR")));
    base.SeekFrom(6);
    ASSERT_TRUE(base.OpenMessage());
    EXPECT_TRUE(base.GetAttr(jam::kMsgTypeEcho));
    base.SeekFrom(7);
    ASSERT_TRUE(base.OpenMessage());
    EXPECT_FALSE(base.GetAttr(jam::kMsgTypeEcho));
    // The index carries the recipient's CRC.
    const std::string jdx = dir.Read("sub/dir/echo.JDX");
    ASSERT_EQ(jdx.size(), 7 * jam::kIndexRecordSize);
    EXPECT_EQ(LoadU32(jdx.data() + 6 * jam::kIndexRecordSize + jam::kIdxUserCrc), JamCrc("sysop"));
  }
};

struct MsgTraits {
  using Base = MsgDirBase;
  static constexpr std::size_t kNameMax = 35;
  static constexpr std::size_t kSubjectMax = 71;
  // From the DateTime text, which keeps the seconds.
  static constexpr const char* kWrittenTime = " 10:20:31";
  static std::int32_t High(std::int32_t messages) { return messages; }
  static std::size_t BodyBytes(std::string_view body) { return body.size(); }
  static std::string AddressedText() { return kTextAsWritten; }
  static void Tail(const TempDir& dir, MessageBase&) {
    const std::string stored = dir.Read("sub/dir/echo/6.MSG");
    EXPECT_EQ(stored.substr(msg::kDateTime, msg::kDateTimeSize),
              std::string("28 Feb 23  23:59:58\0", 20));
    EXPECT_EQ(stored.back(), '\0');
  }
};

template <typename Traits>
class WritingSide : public ::testing::Test {};

using Formats = ::testing::Types<SquishTraits, JamTraits, MsgTraits>;
TYPED_TEST_SUITE(WritingSide, Formats);

// Five postings of assorted shapes, an echomail message with addresses, kludges and an
// origin, and a file attach, written into a new base and read back.
TYPED_TEST(WritingSide, RoundTrips) {
  using Traits = TypeParam;
  TempDir dir;
  FixedClock clock(kNow);
  const std::vector<Posting> postings = Postings();
  {
    typename Traits::Base base(clock);
    ASSERT_TRUE(base.Create(dir.File("sub/dir/echo")));
    EXPECT_TRUE(DirectoryExists(dir.File("sub/dir")));
    EXPECT_EQ(base.GetHigh(), Traits::High(0));
    for (std::size_t i = 0; i < postings.size(); ++i) {
      const Posting& p = postings[i];
      ASSERT_TRUE(base.NewMessage());
      EXPECT_EQ(base.GetCurrent(), static_cast<std::int32_t>(i + 1));
      base.SetFrom(p.from);
      base.SetTo(p.to);
      base.SetSubject(p.subject);
      base.SetDateWritten(At(2025, 2, static_cast<int>(i + 1), 10, 20, 31));
      for (const std::string& k : p.kludges) base.WriteLine(k);
      base.WriteText(p.body);
      ASSERT_TRUE(base.WriteMessage());
      base.CloseMessage();
    }
    EXPECT_EQ(base.GetHigh(), Traits::High(5));

    ASSERT_TRUE(base.NewMessage());
    base.SetFrom("John Doe");
    base.SetTo("All");
    base.SetSubject("Round trip");
    base.SetDateWritten(At(2023, 2, 28, 23, 59, 58));
    base.SetAttr(true, kAttrPrivate);
    base.SetAttr(true, kAttrFileRequest);
    base.SetMsgType(1);
    base.SetAddrs(false, FtnAddress{}, kOrig);
    for (const std::string& line : kAddressedLines) base.WriteLine(line);
    base.WriteOrigin("Test", kOrig);
    ASSERT_TRUE(base.WriteMessage());
    // A message is written once.
    EXPECT_FALSE(base.WriteMessage());
    base.CloseMessage();

    ASSERT_TRUE(base.NewMessage());
    base.SetMsgType(2);
    base.SetFrom("Second");
    base.SetTo("Sysop");
    base.SetSubject("FILE.ZIP");
    base.SetAttr(true, kAttrFileAttached);
    base.WriteLine("Two");
    ASSERT_TRUE(base.WriteMessage());
    base.Close();
  }

  typename Traits::Base base(clock);
  ASSERT_TRUE(base.Open(dir.File("sub/dir/echo")));
  EXPECT_EQ(base.GetHigh(), Traits::High(7));
  EXPECT_EQ(base.GetCount(), 7);
  EXPECT_EQ(Scan(base), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6, 7}));
  // Opened for reading, a base takes no new message.
  EXPECT_FALSE(base.NewMessage());

  std::string text;
  base.SeekFrom(0);
  for (std::size_t i = 0; i < postings.size(); ++i, base.SeekNext()) {
    SCOPED_TRACE(i);
    const Posting& p = postings[i];
    ASSERT_TRUE(base.SeekFound());
    ASSERT_TRUE(base.OpenMessage());
    base.GetFrom(text);
    EXPECT_EQ(text, p.from.substr(0, Traits::kNameMax));
    base.GetTo(text);
    EXPECT_EQ(text, p.to.substr(0, Traits::kNameMax));
    base.GetSubject(text);
    EXPECT_EQ(text, p.subject.substr(0, Traits::kSubjectMax));
    EXPECT_EQ(DateWritten(base), "2025-02-0" + std::to_string(i + 1) + Traits::kWrittenTime);
    EXPECT_EQ(DateArrived(base), "2024-06-17 21:45:30");
    std::vector<std::string> lines;
    while (!base.EndOfText()) {
      base.ReadLine(text);
      lines.push_back(text);
    }
    EXPECT_EQ(lines, p.lines);
    std::size_t kludgeBytes = 0;
    for (const std::string& k : p.kludges) kludgeBytes += k.size() + 1;
    EXPECT_EQ(base.GetTextSize(),
              static_cast<std::int32_t>(kludgeBytes + Traits::BodyBytes(p.body)));
    base.CloseMessage();
  }

  ASSERT_TRUE(base.OpenMessage());
  base.GetFrom(text);
  EXPECT_EQ(text, "John Doe");
  base.GetTo(text);
  EXPECT_EQ(text, "All");
  base.GetSubject(text);
  EXPECT_EQ(text, "Round trip");
  EXPECT_EQ(DateWritten(base), "2023-02-28 23:59:58");
  EXPECT_EQ(DateArrived(base), "2024-06-17 21:45:30");
  EXPECT_TRUE(base.GetAttr(kAttrPrivate));
  EXPECT_TRUE(base.GetAttr(kAttrFileRequest));
  EXPECT_FALSE(base.GetAttr(kAttrCrash));
  FtnAddress orig;
  base.GetOrigAddr(orig);
  EXPECT_EQ(FormatAddress4D(orig), "2:5020/1.5");
  const std::string stored = Text(base);
  const std::string msgId = stored.substr(0, stored.find('\r') + 1);
  const std::string prefix = "\x01MSGID: 2:5020/1.5 ";
  EXPECT_EQ(msgId.substr(0, prefix.size()), prefix);
  EXPECT_EQ(msgId.size(), prefix.size() + 8 + 1);
  EXPECT_EQ(stored.substr(msgId.size()), Traits::AddressedText());

  base.SeekNext();
  ASSERT_TRUE(base.OpenMessage());
  base.GetSubject(text);
  EXPECT_EQ(text, "FILE.ZIP");
  EXPECT_TRUE(base.GetAttr(kAttrFileAttached));
  EXPECT_EQ(Text(base), "Two\r");
  base.CloseMessage();

  Traits::Tail(dir, base);
}

}  // namespace
}  // namespace tarnik
