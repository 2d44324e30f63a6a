#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnik {

struct MsgDateTime;

// Layout of one n.MSG file: a 190-byte header, then the text, normally ended by a 0 byte.

inline constexpr std::size_t kMsgHeaderSize = 190;
// Numbers from 1 up to below this one can be present; higher ones only raise the highest.
inline constexpr std::int32_t kMsgNumberLimit = 61440;

inline constexpr std::size_t kMsgFromUserName = 0;
inline constexpr std::size_t kMsgToUserName = 36;
inline constexpr std::size_t kMsgSubject = 72;
inline constexpr std::size_t kMsgDateTime = 144;
inline constexpr std::size_t kMsgTimesRead = 164;
inline constexpr std::size_t kMsgDestNode = 166;
inline constexpr std::size_t kMsgOrigNode = 168;
inline constexpr std::size_t kMsgCost = 170;
inline constexpr std::size_t kMsgOrigNet = 172;
inline constexpr std::size_t kMsgDestNet = 174;
inline constexpr std::size_t kMsgDateWrittenDos = 176;
inline constexpr std::size_t kMsgDateArrivedDos = 180;
inline constexpr std::size_t kMsgReplyTo = 184;
inline constexpr std::size_t kMsgAttribute = 186;
inline constexpr std::size_t kMsgNextReply = 188;

inline constexpr std::size_t kMsgNameSize = 36;
inline constexpr std::size_t kMsgSubjectSize = 72;
inline constexpr std::size_t kMsgDateTimeSize = 20;

// Status codes.
inline constexpr std::int32_t kMsgErrorNoDirectory = 0x1000;
inline constexpr std::int32_t kMsgErrorNotPresent = 0x1001;
inline constexpr std::int32_t kMsgErrorOpenFile = 0x1002;
inline constexpr std::int32_t kMsgErrorNoMessage = 0x1003;

// The text of a zero-terminated field: up to the first 0 byte, or the whole field.
std::string_view ZeroTerminated(std::string_view field);

// The interface's attribute code as *.MSG attribute bits; 0 for a code it cannot store.
std::uint16_t MsgAttributeBits(std::uint32_t code);

// The message number a listed file name stands for: the part before the first "." as a
// decimal number greater than 0; none for any other name.
std::optional<std::int32_t> MsgFileNumber(std::string_view name);

// Parses the DateTime text: "01 Jan 86  02:34:56" (one or two blanks before the time),
// "Wed  1 Jan 86 02:34" and "01-01-86 02:34:56". Clears the record first; a word that is not
// a decimal number gives 0; two-digit years up to 70 are 20xx, the others 19xx.
void ParseMsgDateTime(std::string_view text, MsgDateTime& date);

}  // namespace tarnik
