#include "areas/fastecho_reader.h"

#include "areas/area_sink.h"
#include "areas/fastecho_format.h"
#include "common/bytes.h"
#include "common/console.h"
#include "common/file.h"
#include "common/file_system.h"
#include "common/text.h"
#include "core/language_table.h"
#include "core/text_ids.h"

namespace tarnik {
namespace {

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

void FastEchoReader::Read(const std::string& path, AreaSink& sink, Console& console) {
  console.Write(language_.LanguageText(kLoadingFastEchoText));
  File file;
  std::string header(fastecho::kHeaderSize, '\0');
  FastEchoHeader fields;
  // Tarnik never writes the configuration, so it is opened read-only.
  if (!file.Open(ToLocalPath(path), FileMode::kReadOnly) ||
      !file.Read(header.data(), header.size()) || !ParseFastEchoHeader(header, fields)) {
    console.Write("fault.\r\nUnable to open file " + path + "\r\n");
    return;
  }

  std::string flag = FastEchoBusyFlag(fields.semaphorePath);
  if (!ResolveExisting(flag).empty() && !DirectoryExists(flag)) {
    console.Write("fault.\r\nAnother copy of fastecho/feutil is working!\r\n");
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

  std::uint64_t position = FirstAreaPosition(fields);
  std::int64_t size = file.Size();
  if (size > 0 && position < static_cast<std::uint64_t>(size) &&
      file.Seek(static_cast<std::int64_t>(position))) {
    std::string record(fastecho::kAreaRecordSize, '\0');
    FastEchoArea area;
    // An incomplete last record is dropped, as is everything after a failed read.
    for (; position < static_cast<std::uint64_t>(size); position += record.size()) {
      if (!file.Read(record.data(), record.size()) || !ParseFastEchoArea(record, area)) break;
      char letter = FastEchoBaseLetter(area.baseType);
      if (letter == 'P' || letter == 'H') continue;
      sink.Offer(area.tag, letter + ToLocalPath(area.path), 'A');
    }
  }

  if (flagSet) DeleteFile(flag);
  file.Close();
  console.Write(language_.LanguageText(kDoneText) + "\r\n");
}

}  // namespace tarnik
