#include "post/report_poster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "common/bytes.h"
#include "common/file_system.h"
#include "config/configuration.h"
#include "core/language_table.h"
#include "post/ftn_packet.h"
#include "post/packet_format.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

struct Posted {
  std::string date;
  std::string to;
  std::string from;
  std::string subject;
  std::string text;
};

struct ParsedPacket {
  std::string header;
  std::vector<Posted> messages;
  bool ended = false;  // two zero bytes, then nothing
};

std::string ZeroEnded(std::string_view bytes, std::size_t& at) {
  std::size_t end = bytes.find('\0', at);
  if (end == std::string_view::npos) end = bytes.size();
  std::string field(bytes.substr(at, end - at));
  at = end + 1;
  return field;
}

ParsedPacket ParsePacket(std::string_view bytes) {
  ParsedPacket packet;
  if (bytes.size() < kPacketHeaderSize) return packet;
  packet.header = std::string(bytes.substr(0, kPacketHeaderSize));
  std::size_t at = kPacketHeaderSize;
  while (at + 2 <= bytes.size()) {
    if (LoadU16(bytes.data() + at) == 0) {
      packet.ended = at + 2 == bytes.size();
      break;
    }
    if (at + kPackedFixedSize > bytes.size()) break;
    Posted message;
    std::size_t dateAt = at + kPmDateTime;
    message.date = ZeroEnded(bytes, dateAt);
    at += kPackedFixedSize;
    message.to = ZeroEnded(bytes, at);
    message.from = ZeroEnded(bytes, at);
    message.subject = ZeroEnded(bytes, at);
    message.text = ZeroEnded(bytes, at);
    packet.messages.push_back(message);
  }
  return packet;
}

LocalTime Now() {
  LocalTime time;
  time.year = 2024;
  time.month = 3;
  time.day = 5;
  time.hour = 14;
  time.minute = 7;
  time.second = 9;
  time.hundredths = 50;  // 0xBCDF9BB0 as a serial
  time.utcOffsetMinutes = 180;
  return time;
}

std::vector<std::string> Packets(const testing::TempDir& dir) {
  std::vector<std::string> names = ListFiles(dir.File("inb"), "*");
  std::sort(names.begin(), names.end());
  return names;
}

// A loaded configuration, the services of a run at Now(), and its standard error.
class PostFixture {
 public:
  explicit PostFixture(const std::string& groupLines, const std::string& globals = "")
      : clock_(Now()), errors_(errorConsole_) {
    CreateDirectory(dir_.File("inb"));
    dir_.Write("Tarnik.Cfg", "Address 2:5020/1\nPacketDir inb\n" + globals +
                                 "define TEST\ndescription \"Weekly stats\"\n" + groupLines +
                                 "end\n");
    language_.Load(EncodeLanguageFile({{30062, "Default"}}));
    config_ = std::make_unique<Configuration>("", language_, console_, errors_);
    config_->Load();
  }

  Services services() { return Services{console_, clock_, environment_, errors_}; }
  Configuration& config() { return *config_; }
  EchoGroup& group() { return *config_->groups.front(); }
  const testing::TempDir& dir() const { return dir_; }
  std::string errors() const { return errorConsole_.text(); }
  int errorCount() const { return errors_.errorCount(); }
  ParsedPacket Read(const std::string& name) const { return ParsePacket(dir_.Read("inb/" + name)); }

 private:
  testing::TempDir dir_;
  StringConsole console_;
  StringConsole errorConsole_;
  FixedClock clock_;
  MapEnvironment environment_;
  Diagnostics errors_;
  LanguageTable language_;
  std::unique_ptr<Configuration> config_;
};

std::string Text(const std::string& serial, const std::string& body,
                 const std::string& origin = " * Origin: Weekly stats (2:5020/1)") {
  return "AREA:STAT\r\x01MSGID: 2:5020/1 " + serial +
         "\r\x01PID: Tarnik/W32 0.3.4a\r\x01"
         "CHRS: CP866 2\r\x01TZUTC: 0300\r" +
         body + "--- Tarnik/W32 0.3.4a\r" + origin + "\r";
}

TEST(ReportPoster, OneMessageWithTheDefaults) {
  PostFixture fixture("PostArea STAT\n");
  ReportPoster poster(fixture.config(), fixture.services());
  ASSERT_TRUE(poster.Post(fixture.group(), "line 1\r\nline 2\r\n"));
  EXPECT_EQ(fixture.errors(), "");
  // The message takes the first serial, the packet's name the next.
  ASSERT_EQ(Packets(fixture.dir()), std::vector<std::string>{"bcdf9bb1.pkt"});
  ParsedPacket packet = fixture.Read("bcdf9bb1.pkt");
  PacketHeaderFields header;
  header.orig = header.dest = FtnAddress{2, 5020, 1, 0};
  header.created = Now();
  EXPECT_EQ(packet.header, EncodePacketHeader(header));
  ASSERT_EQ(packet.messages.size(), 1u);
  const Posted& message = packet.messages[0];
  EXPECT_EQ(message.date, "05 Mar 24  14:07:09");
  EXPECT_EQ(message.from, "Tarnik");
  EXPECT_EQ(message.to, "All");
  EXPECT_EQ(message.subject, "Weekly stats");
  EXPECT_EQ(message.text, Text("bcdf9bb0", "line 1\rline 2\r"));
  EXPECT_TRUE(packet.ended);
}

TEST(ReportPoster, LongReportInNumberedPartsWithTheGroupsNames) {
  PostFixture fixture(
      "PostArea STAT\nPostMaxSize 10\nPostFrom \"Stat Robot\"\nPostTo \"Dear readers\"\n",
      "Origin \"My node, Moscow\"\nPacketPassword pw\n");
  ReportPoster poster(fixture.config(), fixture.services());
  ASSERT_TRUE(poster.Post(fixture.group(), "one\r\ntwo\r\nthree\r\nfour\r\n"));
  ASSERT_EQ(Packets(fixture.dir()), std::vector<std::string>{"bcdf9bb3.pkt"});
  ParsedPacket packet = fixture.Read("bcdf9bb3.pkt");
  EXPECT_EQ(packet.header.substr(kPktPassword, kPktPasswordSize), std::string("pw\0\0\0\0\0\0", 8));
  const std::string origin = " * Origin: My node, Moscow (2:5020/1)";
  const std::vector<std::pair<std::string, std::string>> parts = {
      {"Weekly stats (1/3)", Text("bcdf9bb0", "one\rtwo\r", origin)},
      {"Weekly stats (2/3)", Text("bcdf9bb1", "three\r", origin)},
      {"Weekly stats (3/3)", Text("bcdf9bb2", "four\r", origin)},
  };
  ASSERT_EQ(packet.messages.size(), parts.size());
  for (std::size_t i = 0; i < parts.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(packet.messages[i].from, "Stat Robot");
    EXPECT_EQ(packet.messages[i].to, "Dear readers");
    EXPECT_EQ(packet.messages[i].subject, parts[i].first);
    EXPECT_EQ(packet.messages[i].text, parts[i].second);
  }
  EXPECT_TRUE(packet.ended);
}

TEST(ReportPoster, Utf8PostsSayUtf8AndCutNamesBetweenCharacters) {
  std::string cyrillic;
  for (int i = 0; i < 40; ++i) cyrillic += "\xD0\x9F";  // 40 letters, 80 bytes
  PostFixture fixture(
      "PostArea STAT\nPostFrom \"" + cyrillic + "\"\nPostSubject \"" + cyrillic + cyrillic + "\"\n",
      "Charset UTF-8\nOrigin \"" + cyrillic + "\"\n");
  EXPECT_EQ(fixture.errors(), "");
  ReportPoster poster(fixture.config(), fixture.services());
  ASSERT_TRUE(poster.Post(fixture.group(), "\xD0\x9F\r\n"));
  ParsedPacket packet = fixture.Read(Packets(fixture.dir()).at(0));
  ASSERT_EQ(packet.messages.size(), 1u);
  const Posted& message = packet.messages[0];
  EXPECT_EQ(message.from, cyrillic.substr(0, 34));     // 35 bytes would split a letter
  EXPECT_EQ(message.subject, cyrillic.substr(0, 70));  // so would 71
  // " * Origin: " and " (2:5020/1)" leave 57 bytes of the 79: 28 letters.
  const std::string origin = " * Origin: " + cyrillic.substr(0, 56) + " (2:5020/1)\r";
  EXPECT_NE(message.text.find("\r\x01"
                              "CHRS: UTF-8 4\r"),
            std::string::npos);
  EXPECT_EQ(message.text.substr(message.text.size() - origin.size()), origin);
}

TEST(ReportPoster, SubjectTakesTheReportVariables) {
  PostFixture fixture(
      "PostArea STAT\nPostSubject \"@description: @messages from @statfromday.@statfrommonth\"\n");
  fixture.group().messageCount = 42;
  fixture.group().firstDay = DayStat{1, 2, 2024, 0};
  ReportPoster poster(fixture.config(), fixture.services());
  ASSERT_TRUE(poster.Post(fixture.group(), "x\r\n"));
  ParsedPacket packet = fixture.Read(Packets(fixture.dir()).at(0));
  ASSERT_EQ(packet.messages.size(), 1u);
  EXPECT_EQ(packet.messages[0].subject, "Weekly stats: 42 from 01.02");
}

TEST(ReportPoster, EveryPostANewPacketAndNewSerialsUnderAStoppedClock) {
  PostFixture fixture("PostArea STAT\n");
  ReportPoster poster(fixture.config(), fixture.services());
  ASSERT_TRUE(poster.Post(fixture.group(), "first\r\n"));
  ASSERT_TRUE(poster.Post(fixture.group(), "second\r\n"));
  ASSERT_EQ(Packets(fixture.dir()), (std::vector<std::string>{"bcdf9bb1.pkt", "bcdf9bb3.pkt"}));
  EXPECT_EQ(fixture.Read("bcdf9bb1.pkt").messages.at(0).text, Text("bcdf9bb0", "first\r"));
  EXPECT_EQ(fixture.Read("bcdf9bb3.pkt").messages.at(0).text, Text("bcdf9bb2", "second\r"));
}

TEST(ReportPoster, PacketThatCannotBeWrittenIsAnErrorWithThePath) {
  PostFixture fixture("PostArea STAT\n");
  fixture.config().packetDir = "gone";
  ReportPoster poster(fixture.config(), fixture.services());
  EXPECT_FALSE(poster.Post(fixture.group(), "x\r\n"));
  EXPECT_EQ(fixture.errors(),
            "tarnik: gone/tarnik-bcdf9bb1.tmp: report not posted to STAT: cannot create the "
            "packet: No such file or directory\n");
  EXPECT_EQ(fixture.errorCount(), 1);
}

}  // namespace
}  // namespace tarnik
