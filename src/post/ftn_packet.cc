#include "post/ftn_packet.h"

#include <string_view>

#include "common/bytes.h"
#include "post/packet_format.h"

namespace tarnik {
namespace {

std::uint16_t Word(std::int64_t value) { return static_cast<std::uint16_t>(value); }

std::string_view UpToZero(std::string_view text, std::size_t maxBytes) {
  text = text.substr(0, text.find('\0'));
  return text.substr(0, maxBytes);
}

void AppendZeroEnded(std::string& out, std::string_view text, std::size_t size) {
  out.append(UpToZero(text, size - 1));
  out += '\0';
}

}  // namespace

std::string EncodePacketHeader(const PacketHeaderFields& header) {
  std::string out(kPacketHeaderSize, '\0');
  char* p = out.data();
  const FtnAddress& orig = header.orig;
  const FtnAddress& dest = header.dest;
  StoreU16(p + kPktOrigNode, Word(orig.node));
  StoreU16(p + kPktDestNode, Word(dest.node));
  StoreU16(p + kPktYear, Word(header.created.year));
  StoreU16(p + kPktMonth, Word(header.created.month - 1));
  StoreU16(p + kPktDay, Word(header.created.day));
  StoreU16(p + kPktHour, Word(header.created.hour));
  StoreU16(p + kPktMinute, Word(header.created.minute));
  StoreU16(p + kPktSecond, Word(header.created.second));
  StoreU16(p + kPktType, kPacketType2);
  // A point signs its packets with net -1 and its boss's net in the auxiliary field, so a
  // reader that knows nothing of points never takes the point for its boss.
  StoreU16(p + kPktOrigNet, orig.point != 0 ? Word(-1) : Word(orig.net));
  StoreU16(p + kPktAuxNet, orig.point != 0 ? Word(orig.net) : Word(0));
  StoreU16(p + kPktDestNet, Word(dest.net));
  p[kPktProductLow] = static_cast<char>(kProductCodeNone);
  p[kPktRevisionMajor] = static_cast<char>(kRevisionMajor);
  std::string_view password = UpToZero(header.password, kPktPasswordSize);
  out.replace(kPktPassword, password.size(), password);
  StoreU16(p + kPktQOrigZone, Word(orig.zone));
  StoreU16(p + kPktQDestZone, Word(dest.zone));
  // The validation copy holds the capability word with its bytes swapped.
  StoreU16(p + kPktCapValid,
           static_cast<std::uint16_t>((kCapabilityType2Plus >> 8) | (kCapabilityType2Plus << 8)));
  p[kPktProductHigh] = 0;
  p[kPktRevisionMinor] = static_cast<char>(kRevisionMinor);
  StoreU16(p + kPktCapWord, kCapabilityType2Plus);
  StoreU16(p + kPktOrigZone, Word(orig.zone));
  StoreU16(p + kPktDestZone, Word(dest.zone));
  StoreU16(p + kPktOrigPoint, Word(orig.point));
  StoreU16(p + kPktDestPoint, Word(dest.point));
  return out;
}

std::string EncodePackedMessage(const PackedMessageFields& message) {
  std::string out(kPackedFixedSize, '\0');
  char* p = out.data();
  StoreU16(p + kPmType, kPackedMessageType);
  StoreU16(p + kPmOrigNode, Word(message.orig.node));
  StoreU16(p + kPmDestNode, Word(message.dest.node));
  StoreU16(p + kPmOrigNet, Word(message.orig.net));
  StoreU16(p + kPmDestNet, Word(message.dest.net));
  StoreU16(p + kPmAttribute, message.attribute);
  std::string date = FormatMsgDateTime(message.written);
  std::string_view dateText = UpToZero(date, kPmDateTimeSize - 1);
  out.replace(kPmDateTime, dateText.size(), dateText);
  AppendZeroEnded(out, message.to, kPmToNameSize);
  AppendZeroEnded(out, message.from, kPmFromNameSize);
  AppendZeroEnded(out, message.subject, kPmSubjectSize);
  out.append(UpToZero(message.text, std::string_view::npos));
  out += '\0';
  return out;
}

}  // namespace tarnik
