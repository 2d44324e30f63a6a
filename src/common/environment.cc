#include "common/environment.h"

#include <cstdlib>

namespace tarnik {

std::string SystemEnvironment::Get(const std::string& name) const {
  const char* value = std::getenv(name.c_str());
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace tarnik
