#include "core/language_table.h"

#include "common/bytes.h"
#include "common/file_system.h"
#include "common/text.h"

namespace tarnik {

bool LanguageTable::Load(std::string_view bytes) {
  ByteReader reader(bytes);
  std::uint32_t signature = 0;
  if (!reader.U32(signature) || signature != kLanguageSignature) return false;
  std::uint32_t count = 0;
  if (!reader.U32(count)) return true;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t id = 0;
    std::uint8_t length = 0;
    std::string_view text;
    if (!reader.U32(id) || !reader.U8(length) || !reader.Bytes(length, text)) break;
    entries_.push_back(Entry{std::string(text), static_cast<std::int32_t>(id)});
  }
  return true;
}

std::string LanguageTable::LanguageText(std::int32_t id) const {
  for (const Entry& entry : entries_) {
    if (entry.id == id) return entry.text;
  }
  return {};
}

bool LoadLanguageFile(const std::string& fileName, LanguageTable& table, std::string* reason) {
  std::string bytes;
  if (!ReadWholeFile(fileName, bytes, reason)) return false;
  if (table.Load(bytes)) return true;
  if (reason != nullptr) *reason = "not a compiled language file (no signature)";
  return false;
}

std::string EncodeLanguageFile(const std::vector<std::pair<std::int32_t, std::string>>& entries) {
  ByteWriter writer;
  writer.U32(kLanguageSignature);
  writer.U32(static_cast<std::uint32_t>(entries.size()));
  for (const auto& [id, text] : entries) {
    std::string cut = CutShort(text);
    writer.U32(static_cast<std::uint32_t>(id));
    writer.U8(static_cast<std::uint8_t>(cut.size()));
    writer.Bytes(cut);
  }
  return writer.Take();
}

}  // namespace tarnik
