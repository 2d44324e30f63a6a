#include "areas/fastecho_reader.h"

#include <memory>
#include <utility>

#include "areas/area_sink.h"
#include "areas/fastecho_format.h"
#include "common/byte_source.h"
#include "common/bytes.h"
#include "common/console.h"
#include "common/diagnostics.h"
#include "common/file.h"
#include "common/file_system.h"
#include "common/read_window.h"
#include "common/text.h"
#include "core/language_table.h"
#include "core/text_ids.h"

namespace tarnik {
namespace {

// The header and a few hundred area records per read.
constexpr std::size_t kConfigBlock = 65536;

// Text of a NUL-terminated field; a field filled to its end has no terminator.
std::string FieldText(std::string_view bytes, std::size_t offset, std::size_t size) {
  std::string_view field = bytes.substr(offset, size);
  return CutShort(field.substr(0, field.find('\0')));
}

}  // namespace

bool ParseFastEchoHeader(std::string_view bytes, FastEchoHeader& header) {
  if (bytes.size() < fastecho::kHeaderSize) return false;
  header.nodeCount = LoadU16(bytes.data() + fastecho::kNodeCountOffset);
  header.semaphorePath = FieldText(bytes, fastecho::kSemaphorePathOffset,
                                   fastecho::kHeaderSize - fastecho::kSemaphorePathOffset);
  header.nodeRecordSize = LoadU16(bytes.data() + fastecho::kNodeRecordSizeOffset);
  header.extensionSize = LoadU32(bytes.data() + fastecho::kExtensionSizeOffset);
  return true;
}

std::uint64_t FirstAreaPosition(const FastEchoHeader& header) {
  return std::uint64_t{fastecho::kHeaderSize} + header.extensionSize +
         std::uint64_t{header.nodeCount} * header.nodeRecordSize;
}

bool ParseFastEchoArea(std::string_view record, FastEchoArea& area) {
  if (record.size() < fastecho::kAreaRecordSize) return false;
  area.tag = FieldText(record, fastecho::kAreaTagOffset, fastecho::kAreaTagSize);
  std::uint8_t storage = static_cast<std::uint8_t>(record[fastecho::kAreaStorageOffset]);
  area.baseType = storage & 0x0F;
  area.areaKind = static_cast<std::uint8_t>(storage >> 4);
  area.path = FieldText(record, fastecho::kAreaPathOffset, fastecho::kAreaPathSize);
  area.description =
      FieldText(record, fastecho::kAreaDescriptionOffset, fastecho::kAreaDescriptionSize);
  return true;
}

char FastEchoBaseLetter(std::uint8_t baseType) {
  switch (baseType) {
    case fastecho::kBaseMsg:
      return 'M';
    case fastecho::kBaseSquish:
      return 'S';
    case fastecho::kBaseJam:
      return 'J';
    case fastecho::kBasePassThrough:
      return 'P';
    default:
      return 'H';
  }
}

std::string FastEchoBusyFlag(std::string_view semaphorePath) {
  const std::string directory = ToLocalPath(semaphorePath);
  // DOS read an empty directory as the root of the current drive; here the flag then goes
  // into the current directory rather than into "/".
  return (directory.empty() ? directory : WithSeparator(directory)) + fastecho::kBusyFlagName;
}

void OfferFastEchoAreas(ReadWindow& config, const FastEchoHeader& header, AreaSink& sink) {
  const std::int64_t size = config.Size();
  if (size <= 0) return;
  FastEchoArea area;
  // Everything after a failed read is dropped with it.
  for (std::uint64_t position = FirstAreaPosition(header);
       position < static_cast<std::uint64_t>(size); position += fastecho::kAreaRecordSize) {
    const std::string_view record =
        config.View(static_cast<std::int64_t>(position), fastecho::kAreaRecordSize);
    if (!ParseFastEchoArea(record, area)) break;
    char letter = FastEchoBaseLetter(area.baseType);
    if (letter == 'P' || letter == 'H') continue;
    sink.Offer(area.tag, letter + ToLocalPath(area.path), 'A');
  }
}

void FastEchoReader::Read(const std::string& path, AreaSink& sink, Console& console,
                          Diagnostics& diagnostics) {
  console.Write(language_.LanguageText(kLoadingFastEchoText));
  // Tarnik never writes the configuration: it is read through a read-only byte source.
  auto file = std::make_unique<FileByteSource>();
  ReadWindow config(kConfigBlock);
  const bool opened = file->Open(ToLocalPath(path));
  const std::string openError = opened ? std::string() : file->ErrorText();
  if (opened) config.Reset(std::move(file));
  FastEchoHeader fields;
  if (!ParseFastEchoHeader(config.View(0, fastecho::kHeaderSize), fields)) {
    console.Write("fault.\r\nUnable to open file " + path + "\r\n");
    diagnostics.Error(ToLocalPath(path),
                      (opened ? std::string("shorter than a FastEcho configuration header")
                              : "cannot open the tosser configuration: " + openError) +
                          "; no echo imported");
    return;
  }

  std::string flag = FastEchoBusyFlag(fields.semaphorePath);
  if (!ResolveExisting(flag).empty() && !DirectoryExists(flag)) {
    console.Write("fault.\r\nAnother copy of fastecho/feutil is working!\r\n");
    diagnostics.Error(flag,
                      "FastEcho's busy flag is set (FastEcho or FEUtil is running); no "
                      "echo imported");
    return;
  }
  std::string directory = DirectoryPart(flag);
  if (!directory.empty() && !DirectoryExists(directory)) CreateDirectories(directory);
  // Only a flag we made is removed again: one that appeared meanwhile belongs to FastEcho.
  bool flagSet = false;
  {
    File flagFile;
    flagSet = flagFile.Open(flag, FileMode::kCreate);
  }

  OfferFastEchoAreas(config, fields, sink);

  if (flagSet) DeleteFile(flag);
  config.Reset(nullptr);
  console.Write(language_.LanguageText(kDoneText) + "\r\n");
}

}  // namespace tarnik
