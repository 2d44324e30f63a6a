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

  void Step();

 private:
  void Draw();

  Console& console_;
  bool visible_;
  std::uint8_t index_ = 0;  // 0-based into "\|/-"
};

}  // namespace tarnik
