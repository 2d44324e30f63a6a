#pragma once

#include <cstdint>

namespace tarnik {

// Bytes allocated through operator new and not yet freed, counted by the program's own
// replacement of the global allocation functions.
std::int64_t HeapInUse();

}  // namespace tarnik
