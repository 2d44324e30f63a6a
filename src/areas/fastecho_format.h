#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnik::fastecho {

// FastEcho's configuration file: a fixed header, extension blocks, node records, then area
// records to the end of the file. All numbers little-endian.
inline constexpr std::size_t kHeaderSize = 4644;
inline constexpr std::size_t kNodeCountOffset = 6;          // u16
inline constexpr std::size_t kSemaphorePathOffset = 908;    // NUL-terminated text
inline constexpr std::size_t kNodeRecordSizeOffset = 4638;  // u16
inline constexpr std::size_t kExtensionSizeOffset = 4640;   // u32

inline constexpr std::size_t kAreaRecordSize = 190;
inline constexpr std::size_t kAreaTagOffset = 0;
inline constexpr std::size_t kAreaTagSize = 52;
inline constexpr std::size_t kAreaStorageOffset = 62;  // low nibble base type, high area kind
inline constexpr std::size_t kAreaPathOffset = 82;
inline constexpr std::size_t kAreaPathSize = 56;
inline constexpr std::size_t kAreaDescriptionOffset = 138;
inline constexpr std::size_t kAreaDescriptionSize = 52;

// Base types of the storage byte's low nibble.
inline constexpr std::uint8_t kBaseHudson = 0;
inline constexpr std::uint8_t kBaseMsg = 1;
inline constexpr std::uint8_t kBaseSquish = 2;
inline constexpr std::uint8_t kBaseJam = 3;
inline constexpr std::uint8_t kBasePassThrough = 7;

// The busy flag FastEcho and FEUtil hold while they work, in the header's semaphore directory.
inline constexpr const char* kBusyFlagName = "febusy.0";

}  // namespace tarnik::fastecho
