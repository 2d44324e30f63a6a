#include "post/packet_spool.h"

#include "common/file.h"
#include "common/file_system.h"
#include "common/text.h"
#include "post/echomail_text.h"

namespace tarnik {

bool SpoolPacket(const std::string& directory, std::string_view bytes, std::uint32_t firstName,
                 std::string& path, std::string& error) {
  const std::string folder = directory.empty() ? std::string() : WithSeparator(directory);
  File file;
  std::string temporary;
  std::uint32_t name = firstName;
  for (int i = 0; i < kPacketNameTries; ++i, ++name) {
    temporary = folder + "tarnik-" + HexSerial(name) + ".tmp";
    if (file.Open(temporary, FileMode::kCreateNew)) break;
    // Another run may hold that temporary name; any other reason ends the attempt.
    if (FileExists(temporary) && i + 1 < kPacketNameTries) continue;
    path = temporary;
    error = "cannot create the packet: " + file.ErrorText();
    return false;
  }
  if (!file.Write(bytes.data(), bytes.size()) || !file.Sync()) {
    path = temporary;
    error = "cannot write the packet: " + file.ErrorText();
    file.Close();
    DeleteFile(temporary);
    return false;
  }
  file.Close();

  for (int i = 0; i < kPacketNameTries; ++i, ++name) {
    std::string packet = folder + HexSerial(name) + ".pkt";
    // A name in other letter case counts as taken: tossers from DOS days fold case.
    if (FileExists(packet)) continue;
    std::string reason;
    switch (RenameNoReplace(temporary, packet, reason)) {
      case RenameResult::kDone:
        path = packet;
        return true;
      case RenameResult::kTargetExists:
        continue;
      case RenameResult::kFailed:
        path = packet;
        error = "cannot name the packet: " + reason;
        DeleteFile(temporary);
        return false;
    }
  }
  path = temporary;
  error = "no free packet name";
  DeleteFile(temporary);
  return false;
}

}  // namespace tarnik
