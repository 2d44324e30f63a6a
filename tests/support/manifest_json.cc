#include "support/manifest_json.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tarnik::testing {
namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  bool Document(JsonValue& value) {
    if (!Value(value)) return false;
    SkipSpace();
    return pos_ == text_.size();
  }

 private:
  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' ||
                                   text_[pos_] == '\r' || text_[pos_] == '\t')) {
      ++pos_;
    }
  }

  bool Literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  bool Value(JsonValue& value) {
    SkipSpace();
    if (pos_ >= text_.size()) return false;
    char c = text_[pos_];
    if (c == '{') return Object(value);
    if (c == '[') return Array(value);
    if (c == '"') {
      value.kind = JsonValue::Kind::kString;
      return String(value.text);
    }
    if (Literal("null")) return true;
    if (Literal("true") || Literal("false")) {
      value.kind = JsonValue::Kind::kBool;
      value.boolean = text_[pos_ - 1] == 'e' && text_[pos_ - 2] == 'u';
      return true;
    }
    std::size_t start = pos_;
    while (pos_ < text_.size() &&
           std::string_view("+-0123456789.eE").find(text_[pos_]) != std::string_view::npos) {
      ++pos_;
    }
    if (start == pos_) return false;
    value.kind = JsonValue::Kind::kNumber;
    value.number = std::strtod(std::string(text_.substr(start, pos_ - start)).c_str(), nullptr);
    return true;
  }

  static int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  // Decodes UTF-8 of code points up to U+00FF into single bytes.
  bool String(std::string& out) {
    ++pos_;
    out.clear();
    while (pos_ < text_.size()) {
      unsigned char c = static_cast<unsigned char>(text_[pos_++]);
      if (c == '"') return true;
      if (c == '\\') {
        if (pos_ >= text_.size()) return false;
        char e = text_[pos_++];
        switch (e) {
          case 'n':
            out += '\n';
            break;
          case 'r':
            out += '\r';
            break;
          case 't':
            out += '\t';
            break;
          case 'b':
            out += '\b';
            break;
          case 'f':
            out += '\f';
            break;
          case 'u': {
            if (pos_ + 4 > text_.size()) return false;
            int code = 0;
            for (int i = 0; i < 4; ++i) {
              int h = Hex(text_[pos_ + i]);
              if (h < 0) return false;
              code = code * 16 + h;
            }
            pos_ += 4;
            if (code > 0xFF) return false;
            out += static_cast<char>(code);
            break;
          }
          default:
            out += e;
        }
      } else if (c < 0x80) {
        out += static_cast<char>(c);
      } else if ((c == 0xC2 || c == 0xC3) && pos_ < text_.size()) {
        unsigned char d = static_cast<unsigned char>(text_[pos_++]);
        out += static_cast<char>(((c & 0x03) << 6) | (d & 0x3F));
      } else {
        return false;
      }
    }
    return false;
  }

  bool Array(JsonValue& value) {
    ++pos_;
    value.kind = JsonValue::Kind::kArray;
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == ']') return ++pos_, true;
    for (;;) {
      value.items.emplace_back();
      if (!Value(value.items.back())) return false;
      SkipSpace();
      if (pos_ >= text_.size()) return false;
      if (text_[pos_] == ']') return ++pos_, true;
      if (text_[pos_++] != ',') return false;
    }
  }

  bool Object(JsonValue& value) {
    ++pos_;
    value.kind = JsonValue::Kind::kObject;
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == '}') return ++pos_, true;
    for (;;) {
      SkipSpace();
      std::string name;
      if (pos_ >= text_.size() || text_[pos_] != '"' || !String(name)) return false;
      SkipSpace();
      if (pos_ >= text_.size() || text_[pos_++] != ':') return false;
      if (!Value(value.members[name])) return false;
      SkipSpace();
      if (pos_ >= text_.size()) return false;
      if (text_[pos_] == '}') return ++pos_, true;
      if (text_[pos_++] != ',') return false;
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

const JsonValue kNull;

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& name) const {
  auto it = members.find(name);
  return it == members.end() ? kNull : it->second;
}

const JsonValue& JsonValue::operator[](std::size_t index) const {
  return index < items.size() ? items[index] : kNull;
}

bool ParseJson(std::string_view text, JsonValue& value) {
  value = JsonValue();
  return Parser(text).Document(value);
}

bool LoadJsonFile(const std::string& path, JsonValue& value) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream contents;
  contents << in.rdbuf();
  return ParseJson(contents.str(), value);
}

}  // namespace tarnik::testing
