#include "msgbase/msg_dir_base.h"

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

struct Header {
  std::string from = "John Doe";
  std::string to = "All";
  std::string subject = "Hello";
  std::string dateTime = "01 Jan 86  02:34:56";
  std::uint16_t origNet = 0, origNode = 0, destNet = 0, destNode = 0;
  std::uint16_t arrivedDate = 0, arrivedTime = 0;
  std::uint16_t attribute = 0;
  std::uint16_t timesRead = 0;
};

std::string MsgFile(const Header& h, std::string_view text, bool terminatingZero = true) {
  ByteWriter w;
  w.Field(h.from, 36);
  w.Field(h.to, 36);
  w.Field(h.subject, 72);
  w.Field(h.dateTime, 20);
  w.U16(h.timesRead);
  w.U16(h.destNode);
  w.U16(h.origNode);
  w.U16(0);  // cost
  w.U16(h.origNet);
  w.U16(h.destNet);
  w.Zeros(4);
  w.U16(h.arrivedDate);
  w.U16(h.arrivedTime);
  w.U16(0);
  w.U16(h.attribute);
  w.U16(0);
  w.Bytes(text);
  if (terminatingZero) w.U8(0);
  return w.Take();
}

TEST(MsgDirBase, ListsNumberedFilesOnceIntoThePresenceBitmap) {
  TempDir dir;
  const std::string file = MsgFile({}, "x");
  for (const char* name : {"echo/1.MSG", "echo/3.msg", "echo/10.Msg", "echo/0.MSG", "echo/abc.MSG",
                           "echo/70000.MSG", "echo/notes.txt", "echo/12.txt"}) {
    dir.Write(name, file);
  }
  MsgDirBase base;
  ASSERT_TRUE(base.Open(dir.File("echo")));
  std::string path;
  base.GetPath(path);
  EXPECT_EQ(path, dir.File("echo/"));
  EXPECT_EQ(base.GetHigh(), 70000);
  EXPECT_EQ(base.GetCount(), 3);
  EXPECT_EQ(Scan(base), (std::vector<std::int32_t>{1, 3, 10}));
  EXPECT_FALSE(base.MessageExists(0));
  EXPECT_FALSE(base.MessageExists(70000));
  // Files added after Open are not seen until the next Open.
  dir.Write("echo/5.msg", file);
  EXPECT_EQ(Scan(base), (std::vector<std::int32_t>{1, 3, 10}));
  ASSERT_TRUE(base.Open(dir.File("echo/")));
  EXPECT_EQ(Scan(base), (std::vector<std::int32_t>{1, 3, 5, 10}));
  // Every listed name opens, whatever its case.
  for (base.SeekFrom(0); base.SeekFound(); base.SeekNext()) {
    EXPECT_TRUE(base.OpenMessage()) << base.GetCurrent();
    EXPECT_TRUE(base.CloseMessage());
  }
}

TEST(MsgDirBase, MissingDirectoryFailsAndEmptyOneIsEmpty) {
  TempDir dir;
  MsgDirBase base;
  EXPECT_FALSE(base.Open(dir.File("none")));
  EXPECT_EQ(base.GetStatus(), 0x1000);
  EXPECT_FALSE(base.IsOpen());
  ASSERT_TRUE(CreateDirectory(dir.File("empty")));
  ASSERT_TRUE(base.Open(dir.File("empty")));
  EXPECT_EQ(base.GetHigh(), 0);
  EXPECT_TRUE(Scan(base).empty());
}

TEST(MsgDirBase, ReadsHeaderFieldsAndTheTextWithoutItsTerminatingZero) {
  TempDir dir;
  Header h;
  h.from = std::string("Vasya\0junk", 10);
  h.subject = std::string(71, 's');
  h.arrivedDate = static_cast<std::uint16_t>((43 << 9) | (5 << 5) | 19);
  h.arrivedTime = static_cast<std::uint16_t>((1 << 11) | (30 << 5) | 11);
  h.attribute = 0x0800 | 0x0001;
  dir.Write("echo/1.msg", MsgFile(h, "\x01MSGID: 1:2/3 abc\rBody\r"));
  dir.Write("echo/2.msg", MsgFile(h, "No zero\r", false));
  dir.Write("echo/3.msg", MsgFile(h, ""));
  dir.Write("echo/4.msg", MsgFile(h, "", false));
  MsgDirBase base;
  ASSERT_TRUE(base.Open(dir.File("echo")));
  base.SeekFrom(1);
  ASSERT_TRUE(base.OpenMessage());
  std::string s;
  base.GetFrom(s);
  EXPECT_EQ(s, "Vasya");
  base.GetTo(s);
  EXPECT_EQ(s, "All");
  base.GetSubject(s);
  EXPECT_EQ(s, std::string(71, 's'));
  EXPECT_EQ(Text(base), "\x01MSGID: 1:2/3 abc\rBody\r");
  EXPECT_EQ(base.GetTextSize(), 23);
  EXPECT_EQ(DateWritten(base), "1986-01-01 02:34:56");
  EXPECT_EQ(DateArrived(base), "2023-05-19 01:30:22");
  EXPECT_TRUE(base.GetAttr(kAttrPrivate));
  EXPECT_TRUE(base.GetAttr(kAttrFileRequest));
  EXPECT_FALSE(base.GetAttr(kAttrCrash));
  EXPECT_FALSE(base.GetAttr(kAttrScanned));

  struct Case {
    std::int32_t number;
    const char* text;
  } cases[] = {{2, "No zero\r"}, {3, ""}, {4, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    base.SeekFrom(c.number);
    ASSERT_TRUE(base.OpenMessage());
    EXPECT_EQ(Text(base), c.text);
    EXPECT_TRUE(base.EndOfText() == (std::string(c.text).empty()));
  }
}

TEST(MsgDirBase, ShortOrMissingFilesFailAloneAndTheScanGoesOn) {
  TempDir dir;
  const std::string good = MsgFile({}, "Good\r");
  dir.Write("echo/1.msg", good);
  dir.Write("echo/2.msg", good.substr(0, 100));
  dir.Write("echo/3.msg", "");
  dir.Write("echo/4.msg", good);
  MsgDirBase base;
  ASSERT_TRUE(base.Open(dir.File("echo")));
  ASSERT_TRUE(DeleteFile(dir.File("echo/4.msg")));
  std::vector<std::string> results;
  for (base.SeekFrom(0); base.SeekFound(); base.SeekNext()) {
    results.push_back(base.OpenMessage() ? Text(base) : "fail " + std::to_string(base.GetStatus()));
    if (!base.CloseMessage()) results.back() += " close " + std::to_string(base.GetStatus());
  }
  EXPECT_EQ(results, (std::vector<std::string>{"Good\r", "fail 4098 close 4099",
                                               "fail 4098 close 4099", "fail 4098 close 4099"}));
  base.SeekFrom(0);
  base.SetCurrent(7);
  EXPECT_FALSE(base.OpenMessage());
  EXPECT_EQ(base.GetStatus(), 0x1001);
}

// A directory held in memory reads exactly as the same files on disk; timesRead is the read
// mark.
TEST(MsgDirBase, ReadsFromMemoryAsFromDisk) {
  Header read;
  read.timesRead = 2;
  const std::string good = MsgFile(read, "\x01PID: X\rGood\r");
  const std::pair<const char*, std::string> files[] = {{"echo/1.MSG", good},
                                                       {"echo/2.msg", good.substr(0, 100)},
                                                       {"echo/3.msg", ""},
                                                       {"echo/5.msg", MsgFile({}, "Five\r", false)},
                                                       {"echo/notes.txt", "not a message"},
                                                       {"echo/70000.MSG", good}};
  TempDir dir;
  MemoryFileOpener memory;
  for (const auto& [name, bytes] : files) {
    dir.Write(name, bytes);
    memory.Add(std::string("mem/") + name, bytes);
  }
  auto walk = [](MsgDirBase& base) {
    std::vector<std::string> rows;
    rows.push_back("high " + std::to_string(base.GetHigh()) + " count " +
                   std::to_string(base.GetCount()));
    for (base.SeekFrom(0); base.SeekFound(); base.SeekNext()) {
      std::string row = std::to_string(base.GetCurrent()) + " ";
      if (base.OpenMessage()) {
        row += Text(base) + (base.IsRead() ? " read" : " unread");
      } else {
        row += "fail " + std::to_string(base.GetStatus());
      }
      base.CloseMessage();
      rows.push_back(row);
    }
    return rows;
  };
  MsgDirBase onDisk;
  ASSERT_TRUE(onDisk.Open(dir.File("echo")));
  MsgDirBase inMemory(DefaultServices().clock, memory);
  ASSERT_TRUE(inMemory.Open("mem/echo"));
  const std::vector<std::string> expected = {"high 70000 count 4", "1 \x01PID: X\rGood\r read",
                                             "2 fail 4098", "3 fail 4098", "5 Five\r unread"};
  EXPECT_EQ(walk(onDisk), expected);
  EXPECT_EQ(walk(inMemory), expected);
  EXPECT_FALSE(inMemory.Open("mem/missing"));
  EXPECT_EQ(inMemory.GetStatus(), 0x1000);
}

TEST(MsgDirBase, AddressesComeFromTheHeaderThenKludgesWithZoneTwoByDefault) {
  struct Case {
    const char* text;
    const char* orig;
    const char* dest;
  } cases[] = {
      {"Body\r", "2:123/45", "2:678/9"},
      {"\x01MSGID: 1:261/38.4 abcd\rBody\r", "1:261/38.4", "2:678/9"},
      {"\x01INTL 3:10/20 4:30/40\r\x01"
       "FMPT 7\r\x01TOPT 8\rBody\r",
       "4:30/40.7", "3:10/20.8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TempDir dir;
    Header h;
    h.origNet = 123;
    h.origNode = 45;
    h.destNet = 678;
    h.destNode = 9;
    dir.Write("echo/1.msg", MsgFile(h, c.text));
    MsgDirBase base;
    ASSERT_TRUE(base.Open(dir.File("echo")));
    base.SeekFrom(0);
    ASSERT_TRUE(base.OpenMessage());
    FtnAddress orig, dest;
    base.GetOrigAddr(orig);
    base.GetDestAddr(dest);
    EXPECT_EQ(FormatAddress(orig), c.orig);
    EXPECT_EQ(FormatAddress(dest), c.dest);
    base.GetAddrs(dest, orig);
    EXPECT_EQ(FormatAddress(orig), c.orig);
    EXPECT_EQ(FormatAddress(dest), c.dest);
  }
}

TEST(MsgDirBase, OpenHeaderKeepsTheLeadingKludgeLines) {
  struct Case {
    const char* text;
    const char* kludges;
  } cases[] = {
      {"\x01MSGID: 1:2/3 a\r\x01PID: x\rBody\r\x01PATH: 1/2\r", "\x01MSGID: 1:2/3 a\r\x01PID: x\r"},
      {"AREA:ECHO\r\x01MSGID: 1:2/3 a\rBody\r", "\x01MSGID: 1:2/3 a\r"},
      {"AREA:ECHO\rPKTORIG:x\r\x01MSGID: 1:2/3 a\r", ""},
      {"Body only", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TempDir dir;
    dir.Write("echo/1.msg", MsgFile({}, c.text));
    MsgDirBase base;
    ASSERT_TRUE(base.Open(dir.File("echo")));
    base.SeekFrom(0);
    ASSERT_TRUE(base.OpenHeader());
    EXPECT_EQ(Text(base), c.kludges);
    EXPECT_TRUE(base.CloseMessage());
  }
}

TEST(MsgDirBase, AScanChangesNoByte) {
  TempDir dir;
  const std::string one = MsgFile({}, "One\r"), two = MsgFile({}, "Two\r", false);
  dir.Write("echo/1.msg", one);
  dir.Write("echo/2.msg", two);
  {
    MsgDirBase base;
    ASSERT_TRUE(base.Open(dir.File("echo")));
    for (base.SeekFrom(0); base.SeekFound(); base.SeekNext()) {
      ASSERT_TRUE(base.OpenMessage());
      base.CloseMessage();
    }
  }
  EXPECT_EQ(dir.Read("echo/1.msg"), one);
  EXPECT_EQ(dir.Read("echo/2.msg"), two);
  EXPECT_EQ(ListFiles(dir.File("echo"), "*").size(), 2u);
}

// The writing side lists the directory it is given and numbers on after the highest file.
TEST(MsgDirBase, CreateNumbersOnAfterTheHighestFile) {
  TempDir dir;
  FixedClock clock({2024, 5, 6, 7, 8, 10, 0});
  {
    MsgDirBase base(clock);
    ASSERT_TRUE(base.Create(dir.File("a/b/echo")));
    dir.Write("a/b/echo/7.msg", MsgFile({}, "old"));
    ASSERT_TRUE(base.Create(dir.File("a/b/echo")));  // lists again
    ASSERT_TRUE(base.NewMessage());
    EXPECT_EQ(base.GetCurrent(), 8);
    base.SetFrom("New");
    base.WriteLine("Hello");
    ASSERT_TRUE(base.WriteMessage());
    EXPECT_EQ(base.GetHigh(), 8);
    EXPECT_EQ(base.GetCount(), 2);
  }
  MsgDirBase base(clock);
  ASSERT_TRUE(base.Open(dir.File("a/b/echo")));
  EXPECT_EQ(Scan(base), (std::vector<std::int32_t>{7, 8}));
  base.SeekFrom(8);
  ASSERT_TRUE(base.OpenMessage());
  EXPECT_EQ(Text(base), "Hello\r");
  EXPECT_EQ(DateArrived(base), "2024-05-06 07:08:10");
}

}  // namespace
}  // namespace tarnik
