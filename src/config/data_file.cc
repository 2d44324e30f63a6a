#include "config/data_file.h"

#include "common/bytes.h"
#include "common/file_system.h"
#include "common/text.h"

namespace tarnik {

std::vector<DataEntry> ParseDataFile(std::string_view bytes) {
  std::vector<DataEntry> entries;
  ByteReader reader(bytes);
  for (;;) {
    std::uint8_t length = 0;
    std::string_view name;
    std::uint32_t number = 0;
    if (!reader.U8(length) || !reader.Bytes(length, name) || !reader.U32(number)) break;
    // All 32 bits are kept: Squish unique ids of long-lived bases exceed 65535, and files
    // written before carry zero high bits, so they read the same.
    entries.push_back(DataEntry{std::string(name), number});
  }
  return entries;
}

std::string EncodeDataFile(const std::vector<DataEntry>& entries) {
  ByteWriter writer;
  for (const DataEntry& entry : entries) {
    std::string name = CutShort(entry.name);
    writer.U8(static_cast<std::uint8_t>(name.size()));
    writer.Bytes(name);
    writer.U32(entry.lastHigh);
  }
  return writer.Take();
}

std::vector<DataEntry> LoadDataFile(const std::string& fileName, std::string* reason) {
  std::string bytes;
  std::string why;
  if (!ReadWholeFile(fileName, bytes, &why)) {
    if (reason != nullptr && !ResolveExisting(fileName).empty()) *reason = why;
    return {};
  }
  return ParseDataFile(bytes);
}

bool SaveDataFile(const std::string& fileName, const std::vector<DataEntry>& entries,
                  std::string* reason) {
  return ReplaceFile(fileName, EncodeDataFile(entries), reason);
}

DataEntry& FindOrCreateDataEntry(std::vector<DataEntry>& entries, std::string_view name) {
  for (DataEntry& entry : entries) {
    if (entry.name == name) return entry;
  }
  entries.push_back(DataEntry{std::string(name), 0});
  return entries.back();
}

}  // namespace tarnik
