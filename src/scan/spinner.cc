#include "scan/spinner.h"

#include <string_view>

#include "common/console.h"

namespace tarnik {
namespace {

constexpr std::string_view kSpinnerChars = "\\|/-";

}  // namespace

Spinner::Spinner(Console& console) : console_(console), visible_(console.IsTerminal()) { Draw(); }

void Spinner::Draw() {
  if (!visible_) return;
  // Backspace returns the cursor to where the spinner started, so the next text (an error
  // or the closing word) overwrites it.
  char cell[2] = {kSpinnerChars[index_], '\b'};
  console_.Write(std::string_view(cell, 2));
}

void Spinner::Turn() {
  Draw();
  index_ = static_cast<std::uint8_t>((index_ + 1) % kSpinnerChars.size());
}

}  // namespace tarnik
