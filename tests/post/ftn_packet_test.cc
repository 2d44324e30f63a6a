#include "post/ftn_packet.h"

#include <gtest/gtest.h>

#include "post/packet_format.h"

namespace tarnik {
namespace {

using namespace std::string_literals;

LocalTime Created() {
  LocalTime time;
  time.year = 2024;
  time.month = 3;
  time.day = 5;
  time.hour = 14;
  time.minute = 7;
  time.second = 9;
  return time;
}

TEST(EncodePacketHeader, NodeAndPointAgainstHandComputedBytes) {
  struct Case {
    const char* name;
    FtnAddress address;
    std::string password;
    std::string expected;
  };
  const Case cases[] = {
      {"node 2:5020/1",
       {2, 5020, 1, 0},
       "SECRET",
       "\x01\x00"                  // origNode 1
       "\x01\x00"                  // destNode 1
       "\xE8\x07\x02\x00\x05\x00"  // 2024, month 2 (March), day 5
       "\x0E\x00\x07\x00\x09\x00"  // 14:07:09
       "\x00\x00"                  // baud
       "\x02\x00"                  // packet type 2
       "\x9C\x13\x9C\x13"          // origNet, destNet 5020
       "\xFE\x00"                  // product code, major revision
       "SECRET\x00\x00"            // password, zero-padded to 8
       "\x02\x00\x02\x00"          // orig and dest zone
       "\x00\x00"                  // auxNet: not a point
       "\x00\x01"                  // capability word, bytes swapped
       "\x00\x03"                  // product code high, minor revision
       "\x01\x00"                  // capability word: 2+
       "\x02\x00\x02\x00"          // orig and dest zone again
       "\x00\x00\x00\x00"          // orig and dest point
       "\x00\x00\x00\x00"s},       // product data
      {"point 2:5020/1.7, password cut to 8",
       {2, 5020, 1, 7},
       "PASSWORD9",
       "\x01\x00\x01\x00"
       "\xE8\x07\x02\x00\x05\x00"
       "\x0E\x00\x07\x00\x09\x00"
       "\x00\x00\x02\x00"
       "\xFF\xFF"  // origNet -1: from a point
       "\x9C\x13"  // destNet
       "\xFE\x00"
       "PASSWORD"
       "\x02\x00\x02\x00"
       "\x9C\x13"  // auxNet: the point's net
       "\x00\x01\x00\x03\x01\x00"
       "\x02\x00\x02\x00"
       "\x07\x00\x07\x00"  // orig and dest point 7
       "\x00\x00\x00\x00"s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PacketHeaderFields header;
    header.orig = c.address;
    header.dest = c.address;
    header.created = Created();
    header.password = c.password;
    std::string bytes = EncodePacketHeader(header);
    ASSERT_EQ(bytes.size(), kPacketHeaderSize);
    EXPECT_EQ(bytes, c.expected);
  }
}

PackedMessageFields Message() {
  PackedMessageFields message;
  message.orig = {2, 5020, 1, 0};
  message.dest = {2, 463, 68, 3};
  message.written = MsgDateTime{14, 7, 9, 0, 5, 3, 2024};
  message.to = "All";
  message.from = "Tarnik";
  message.subject = "Stats";
  message.text = "AREA:TEST\r\x01MSGID: 2:5020/1 bcdf9bb0\rHello\r";
  return message;
}

TEST(EncodePackedMessage, AgainstHandComputedBytes) {
  EXPECT_EQ(EncodePackedMessage(Message()),
            "\x02\x00"                 // packed message type 2
            "\x01\x00"                 // origNode 1
            "\x44\x00"                 // destNode 68
            "\x9C\x13"                 // origNet 5020
            "\xCF\x01"                 // destNet 463
            "\x00\x00"                 // attribute
            "\x00\x00"                 // cost
            "05 Mar 24  14:07:09\x00"  // date written, 20 bytes
            "All\x00"
            "Tarnik\x00"
            "Stats\x00"
            "AREA:TEST\r\x01MSGID: 2:5020/1 bcdf9bb0\rHello\r\x00"s);
}

TEST(EncodePackedMessage, NamesCutToTheFormatAndZeroBytesEndFields) {
  PackedMessageFields message = Message();
  message.from = std::string(40, 'f');
  message.to = std::string(36, 't');
  message.subject = std::string(80, 's');
  message.text = "before\0after"s;
  std::string bytes = EncodePackedMessage(message);
  EXPECT_EQ(bytes.substr(kPackedFixedSize), std::string(35, 't') + '\0' + std::string(35, 'f') +
                                                '\0' + std::string(71, 's') + '\0' + "before" +
                                                '\0');

  message = Message();
  message.from = "Ta\0rnik"s;
  bytes = EncodePackedMessage(message);
  EXPECT_EQ(bytes.substr(kPackedFixedSize, 11), "All\0Ta\0Stat"s);
}

}  // namespace
}  // namespace tarnik
