#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnik::testing {

// Just enough JSON for the fixture manifests. Strings are byte strings: each \u00XX escape (and
// each UTF-8 encoded code point up to U+00FF) becomes one byte, as the manifests use them.
struct JsonValue {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> members;

  // The member (or a null value when absent or not an object).
  const JsonValue& operator[](const std::string& key) const;
  bool IsNull() const { return kind == Kind::kNull; }
  long long Int() const { return static_cast<long long>(number); }
};

// False (with error set) on malformed input.
bool ParseJson(std::string_view input, JsonValue& out, std::string& error);

}  // namespace tarnik::testing
