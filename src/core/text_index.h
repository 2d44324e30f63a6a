#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace tarnik {

// Finds the position of a text in a caller's vector of records by the text itself. The
// texts stay in the records; the index keeps only a hash and a position per slot (open
// addressing), so a lookup touches one slot and the record it names, and it costs 16 bytes
// per text at most.
class TextIndex {
 public:
  // The position of text, found with textAt(position) -> std::string_view. When text is
  // not there yet, it is entered at newPosition (the caller appends that record) and
  // newPosition is returned.
  template <typename TextAt>
  std::size_t FindOrInsert(std::string_view text, std::size_t newPosition, TextAt&& textAt) {
    return FindOrInsert(text, HashOf(text), newPosition, textAt);
  }
  // The same with the text's HashOf computed before.
  template <typename TextAt>
  std::size_t FindOrInsert(std::string_view text, std::size_t hash, std::size_t newPosition,
                           TextAt&& textAt) {
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    const std::uint32_t tag = static_cast<std::uint32_t>(hash);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (slot.position == 0) {
        slot.tag = tag;
        slot.position = static_cast<std::uint32_t>(newPosition + 1);
        ++count_;
        return newPosition;
      }
      if (slot.tag == tag && textAt(std::size_t{slot.position - 1}) == text) {
        return slot.position - 1;
      }
    }
  }
  static std::size_t HashOf(std::string_view text) { return std::hash<std::string_view>{}(text); }
  // Starts loading the slot where a lookup of a text with this hash begins, so a lookup made
  // after some other work finds it in the cache.
  void Prefetch(std::size_t hash) const {
    if (!slots_.empty())
      __builtin_prefetch(&slots_[static_cast<std::uint32_t>(hash) & (slots_.size() - 1)]);
  }
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  // Forgets every text and frees the slots.
  void clear();

 private:
  struct Slot {
    std::uint32_t tag = 0;       // low bits of the text's hash
    std::uint32_t position = 0;  // record position + 1; 0 = free
  };
  void Grow();

  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

}  // namespace tarnik
