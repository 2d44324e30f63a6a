#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Layout of one n.MSG file: a 190-byte header, then the text, normally ended by a 0 byte.
// Offsets, sizes and values are constants in namespace msg; the decoders sit beside them.
namespace tarnik::msg {

inline constexpr std::size_t kHeaderSize = 190;
// Numbers from 1 up to below this one can be present (one bit each in a 7680-byte bitmap,
// whatever names a directory holds); higher ones only raise the highest.
inline constexpr std::int32_t kNumberLimit = 61440;

inline constexpr std::size_t kFromUserName = 0;
inline constexpr std::size_t kToUserName = 36;
inline constexpr std::size_t kSubject = 72;
inline constexpr std::size_t kDateTime = 144;
inline constexpr std::size_t kTimesRead = 164;
inline constexpr std::size_t kDestNode = 166;
inline constexpr std::size_t kOrigNode = 168;
inline constexpr std::size_t kCost = 170;
inline constexpr std::size_t kOrigNet = 172;
inline constexpr std::size_t kDestNet = 174;
inline constexpr std::size_t kDateWrittenDos = 176;  // DOS date word, DOS time word
inline constexpr std::size_t kDateArrivedDos = 180;
inline constexpr std::size_t kReplyTo = 184;
inline constexpr std::size_t kAttribute = 186;
inline constexpr std::size_t kNextReply = 188;

inline constexpr std::size_t kNameSize = 36;
inline constexpr std::size_t kSubjectSize = 72;
inline constexpr std::size_t kDateTimeSize = 20;

// Attribute bits of the FTS-0001 attribute word. The low ten (private to hold, 0x001 to
// 0x200) are stored as the interface numbers them; the word leaves 0x400 unused, so file
// request and the codes above it sit one place higher than the interface's.
inline constexpr std::uint16_t kAttrFileRequestBit = 0x0800;
inline constexpr std::uint16_t kAttrReturnReceiptRequestBit = 0x1000;
inline constexpr std::uint16_t kAttrIsReturnReceiptBit = 0x2000;
inline constexpr std::uint16_t kAttrAuditRequestBit = 0x4000;
inline constexpr std::uint16_t kAttrFileUpdateRequestBit = 0x8000;

}  // namespace tarnik::msg

namespace tarnik {

struct MsgDateTime;

// The text of a zero-terminated field: up to the first 0 byte, or the whole field.
std::string_view ZeroTerminated(std::string_view field);

// The interface's attribute code as *.MSG attribute bits; 0 for a code it cannot store.
std::uint16_t MsgAttributeBits(std::uint32_t code);

// The name a writer gives message n: "<n>.MSG".
std::string MsgFileName(std::int32_t n);

// The message number a listed file name stands for: the part before the first "." as a
// decimal number greater than 0; none for any other name.
std::optional<std::int32_t> MsgFileNumber(std::string_view name);

// Parses the DateTime text: "01 Jan 86  02:34:56" (one or two blanks before the time),
// "Wed  1 Jan 86 02:34" and "01-01-86 02:34:56". Clears the record first; a word that is not
// a decimal number gives 0; two-digit years up to 70 are 20xx, the others 19xx.
void ParseMsgDateTime(std::string_view text, MsgDateTime& date);

}  // namespace tarnik
