#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnik {

// Tries at most this many names, for the temporary file and for the packet each.
inline constexpr int kPacketNameTries = 4096;

// Hands a finished packet to the tosser: writes the bytes under a temporary name
// ("tarnik-<hex>.tmp") in directory, then gives the file the first free name of eight hex
// digits and ".pkt" counting up from firstName, so a tosser never sees a partial packet.
// No existing file is overwritten, whatever the case of its name. On success path is the
// packet's path. On failure nothing is left behind, path names the file that failed and
// error says why.
bool SpoolPacket(const std::string& directory, std::string_view bytes, std::uint32_t firstName,
                 std::string& path, std::string& error);

}  // namespace tarnik
