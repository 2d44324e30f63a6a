#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnik {

inline constexpr std::uint32_t kLanguageSignature = 0xF1D06033;

// The numbered texts of the compiled language file, in file order.
class LanguageTable {
 public:
  // Parses the compiled format. False when the signature is wrong or missing; records after a
  // cut-short one are not read (the table keeps the complete ones).
  bool Load(std::string_view bytes);
  // The text of the first entry with this id; empty when there is none.
  std::string LanguageText(std::int32_t id) const;
  std::size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    std::string text;
    std::int32_t id;
  };
  std::vector<Entry> entries_;
};

// Reads and parses a language file; false when it cannot be opened or has no signature, and
// reason (when given) then says which.
bool LoadLanguageFile(const std::string& fileName, LanguageTable& table,
                      std::string* reason = nullptr);

// Encodes entries in the compiled format (the language compiler and tests use it).
std::string EncodeLanguageFile(const std::vector<std::pair<std::int32_t, std::string>>& entries);

}  // namespace tarnik
