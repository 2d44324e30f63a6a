#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnik {

// How far one echo was scanned: its upper-cased tag and the base's highest message number.
struct DataEntry {
  std::string name;
  std::uint32_t lastHigh = 0;
};

// Parses data-file bytes: records of a length byte, the name, and a 32-bit number, to the
// end. A record cut short at the end of the file is ignored.
std::vector<DataEntry> ParseDataFile(std::string_view bytes);
std::string EncodeDataFile(const std::vector<DataEntry>& entries);

// Reads the data file; a file that cannot be opened gives an empty list. A missing file is
// the normal first run; for one that exists but cannot be read, reason (when given) receives
// the system's text.
std::vector<DataEntry> LoadDataFile(const std::string& fileName, std::string* reason = nullptr);
// Replaces the data file atomically with the entries. False when it cannot be written, with
// the system's text in reason (when given).
bool SaveDataFile(const std::string& fileName, const std::vector<DataEntry>& entries,
                  std::string* reason = nullptr);

// The first entry with this name, appending a new one with number 0 when there is none.
DataEntry& FindOrCreateDataEntry(std::vector<DataEntry>& entries, std::string_view name);

}  // namespace tarnik
