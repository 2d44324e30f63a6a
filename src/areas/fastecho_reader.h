#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/services.h"

namespace tarnik {

class AreaSink;
class Console;
class LanguageTable;
class ReadWindow;

// The header fields of a FastEcho configuration that the reader uses.
struct FastEchoHeader {
  std::uint16_t nodeCount = 0;
  std::string semaphorePath;  // directory of the busy flag, as stored
  std::uint16_t nodeRecordSize = 0;
  std::uint32_t extensionSize = 0;
};

// One area record as stored.
struct FastEchoArea {
  std::string tag;
  std::string path;
  std::string description;
  std::uint8_t baseType = 0;  // low nibble of the storage byte
  std::uint8_t areaKind = 0;  // high nibble
};

// Decodes the header from the first bytes of the file; false when fewer than the header's
// size are given.
bool ParseFastEchoHeader(std::string_view bytes, FastEchoHeader& header);
// Where the area records start: after the header, the extension blocks and the node records.
// Computed in 64 bits, so hostile counts cannot wrap to a wrong position.
std::uint64_t FirstAreaPosition(const FastEchoHeader& header);
// Decodes one area record; false when record is shorter than a whole record.
bool ParseFastEchoArea(std::string_view record, FastEchoArea& area);
// The base-kind letter of a base type: M, S, J, P (pass-through), else H (Hudson).
char FastEchoBaseLetter(std::uint8_t baseType);
// Offers the areas of the configuration read through config, whose header is header, to
// sink with group "A": the records from FirstAreaPosition to the end of the file (an
// incomplete last record is dropped), skipping Hudson and pass-through areas. Runs the same
// over a file and over bytes in memory.
void OfferFastEchoAreas(ReadWindow& config, const FastEchoHeader& header, AreaSink& sink);
// The busy flag's file name in the semaphore directory ("\" read as "/"); an empty directory
// means the current one.
std::string FastEchoBusyFlag(std::string_view semaphorePath);

// Reads FastEcho's binary configuration (read-only) and offers every area stored in a *.MSG,
// Squish or JAM base with group "A"; Hudson and pass-through areas are skipped. Refuses to
// read while FastEcho's busy flag exists and holds the flag itself while reading. Console
// texts: language text kLoadingFastEchoText, then kDoneText + CR LF, or a "fault." line with a
// diagnostic.
class FastEchoReader {
 public:
  explicit FastEchoReader(const LanguageTable& language) : language_(language) {}

  void Read(const std::string& path, AreaSink& sink, Console& console,
            Diagnostics& diagnostics = DefaultDiagnostics());

 private:
  const LanguageTable& language_;
};

}  // namespace tarnik
