#include "core/text_index.h"

#include <utility>

namespace tarnik {

void TextIndex::clear() {
  std::vector<Slot>().swap(slots_);
  count_ = 0;
}

void TextIndex::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
  // Only the low 32 bits of each hash are kept; the home slot is taken from those bits, so
  // the slots can be placed again without the texts.
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.position == 0) continue;
    std::size_t i = slot.tag & mask;
    while (slots_[i].position != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

}  // namespace tarnik
