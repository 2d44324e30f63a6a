#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnik::testing {

// A JSON value of the fixture manifests. Strings hold bytes: every \uXXXX escape (and every
// character) below U+0100 stands for the byte of that value, as the manifests write them.
struct JsonValue {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> members;

  // The member of that name; a null value when absent or when this is not an object.
  const JsonValue& operator[](const std::string& name) const;
  const JsonValue& operator[](std::size_t index) const;
  bool IsNull() const { return kind == Kind::kNull; }
  long long Int() const { return static_cast<long long>(number); }
};

// Parses a whole manifest; false on a syntax error or a character above U+00FF.
bool ParseJson(std::string_view text, JsonValue& value);

// Reads and parses a manifest file.
bool LoadJsonFile(const std::string& path, JsonValue& value);

}  // namespace tarnik::testing
