#pragma once

#include <cstdint>

// The status codes a message base leaves in GetStatus when an operation fails, all in one
// place: 0x1000 up *.MSG, 0x2000 up JAM, 0x3000 up Squish, each format's in its namespace.
// Callers show them as numbers, so the values are fixed.
namespace tarnik {

// The module's code for an area specification of unknown kind (no base was made).
inline constexpr std::int32_t kErrorUnknownBaseKind = 256;

namespace msg {
inline constexpr std::int32_t kErrorNoDirectory = 0x1000;
inline constexpr std::int32_t kErrorNotPresent = 0x1001;
inline constexpr std::int32_t kErrorOpenFile = 0x1002;
inline constexpr std::int32_t kErrorNoMessage = 0x1003;
}  // namespace msg

namespace jam {
inline constexpr std::int32_t kErrorNoHeaderFile = 0x2000;
inline constexpr std::int32_t kErrorNoIndexFile = 0x2001;
inline constexpr std::int32_t kErrorNoTextFile = 0x2002;
inline constexpr std::int32_t kErrorOpenHeaderFile = 0x2003;
inline constexpr std::int32_t kErrorOpenIndexFile = 0x2004;
inline constexpr std::int32_t kErrorOpenTextFile = 0x2005;
inline constexpr std::int32_t kErrorRead = 0x2006;
inline constexpr std::int32_t kErrorBadHdrOffset = 0x2007;
inline constexpr std::int32_t kErrorBadTxtOffset = 0x2008;
inline constexpr std::int32_t kErrorCreateHeaderFile = 0x200a;
inline constexpr std::int32_t kErrorCreateIndexFile = 0x200b;
inline constexpr std::int32_t kErrorCreateTextFile = 0x200c;
inline constexpr std::int32_t kErrorLastReadFile = 0x200f;
}  // namespace jam

namespace squish {
inline constexpr std::int32_t kErrorNoSqd = 0x3000;
inline constexpr std::int32_t kErrorNoSqi = 0x3001;
inline constexpr std::int32_t kErrorOpenSqd = 0x3002;
inline constexpr std::int32_t kErrorOpenSqi = 0x3003;
inline constexpr std::int32_t kErrorBadFrame = 0x3007;
inline constexpr std::int32_t kErrorFrameIo = 0x3008;
inline constexpr std::int32_t kErrorCreateSqd = 0x3009;
inline constexpr std::int32_t kErrorCreateSqi = 0x300a;
}  // namespace squish

}  // namespace tarnik
