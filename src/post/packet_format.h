#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarnik {

// A type 2+ packet header: the type 2 header with the zone, point and capability fields.
inline constexpr std::size_t kPacketHeaderSize = 58;
inline constexpr std::size_t kPktOrigNode = 0;
inline constexpr std::size_t kPktDestNode = 2;
inline constexpr std::size_t kPktYear = 4;
inline constexpr std::size_t kPktMonth = 6;  // 0 = January
inline constexpr std::size_t kPktDay = 8;
inline constexpr std::size_t kPktHour = 10;
inline constexpr std::size_t kPktMinute = 12;
inline constexpr std::size_t kPktSecond = 14;
inline constexpr std::size_t kPktBaud = 16;
inline constexpr std::size_t kPktType = 18;
inline constexpr std::size_t kPktOrigNet = 20;  // -1 when the packet comes from a point
inline constexpr std::size_t kPktDestNet = 22;
inline constexpr std::size_t kPktProductLow = 24;
inline constexpr std::size_t kPktRevisionMajor = 25;
inline constexpr std::size_t kPktPassword = 26;
inline constexpr std::size_t kPktPasswordSize = 8;
inline constexpr std::size_t kPktQOrigZone = 34;
inline constexpr std::size_t kPktQDestZone = 36;
inline constexpr std::size_t kPktAuxNet = 38;    // the point's net when origNet is -1
inline constexpr std::size_t kPktCapValid = 40;  // the capability word, bytes swapped
inline constexpr std::size_t kPktProductHigh = 42;
inline constexpr std::size_t kPktRevisionMinor = 43;
inline constexpr std::size_t kPktCapWord = 44;
inline constexpr std::size_t kPktOrigZone = 46;
inline constexpr std::size_t kPktDestZone = 48;
inline constexpr std::size_t kPktOrigPoint = 50;
inline constexpr std::size_t kPktDestPoint = 52;
inline constexpr std::size_t kPktProductData = 54;

inline constexpr std::uint16_t kPacketType2 = 2;
inline constexpr std::uint16_t kCapabilityType2Plus = 0x0001;
// The product code of programs without one of their own.
inline constexpr std::uint8_t kProductCodeNone = 0xFE;
inline constexpr std::uint8_t kRevisionMajor = 0;
inline constexpr std::uint8_t kRevisionMinor = 3;

// A packed message: fixed fields, then the date text and three names, each ended by a zero
// byte, then the text ended by a zero byte.
inline constexpr std::size_t kPackedFixedSize = 34;
inline constexpr std::size_t kPmType = 0;
inline constexpr std::size_t kPmOrigNode = 2;
inline constexpr std::size_t kPmDestNode = 4;
inline constexpr std::size_t kPmOrigNet = 6;
inline constexpr std::size_t kPmDestNet = 8;
inline constexpr std::size_t kPmAttribute = 10;
inline constexpr std::size_t kPmCost = 12;
inline constexpr std::size_t kPmDateTime = 14;
inline constexpr std::size_t kPmDateTimeSize = 20;  // "01 Jan 86  02:34:56" and a zero byte
inline constexpr std::uint16_t kPackedMessageType = 2;

// Longest names, zero byte included.
inline constexpr std::size_t kPmToNameSize = 36;
inline constexpr std::size_t kPmFromNameSize = 36;
inline constexpr std::size_t kPmSubjectSize = 72;

// Two zero bytes where the next packed message would begin.
inline constexpr std::string_view kPacketEnd{"\0\0", 2};

}  // namespace tarnik
