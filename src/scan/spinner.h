#pragma once

#include <cstdint>

namespace tarnik {

class Console;

// Progress indicator of one scanned echo: a turning "\|/-" drawn in place. It draws only on
// a terminal, so piped output and captures hold only the program's texts.
class Spinner {
 public:
  explicit Spinner(Console& console);
  ~Spinner() = default;
  Spinner(const Spinner&) = delete;
  Spinner& operator=(const Spinner&) = delete;

  // One message more. The spinner turns once every kStepsPerTurn steps: a write to the
  // terminal for every message would cost more than counting it.
  void Step() {
    if (visible_ && ++steps_ % kStepsPerTurn == 0) Turn();
  }

  static constexpr std::uint32_t kStepsPerTurn = 256;

 private:
  void Draw();
  void Turn();

  Console& console_;
  bool visible_;
  std::uint8_t index_ = 0;  // 0-based into "\|/-"
  std::uint32_t steps_ = 0;
};

}  // namespace tarnik
