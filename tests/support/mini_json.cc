#include "support/mini_json.h"

#include <cstdlib>

namespace tarnik::testing {

namespace {

class Parser {
 public:
  explicit Parser(std::string_view input) : in_(input) {}

  bool Parse(JsonValue& out, std::string& error) {
    if (!Value(out) ) {
      error = "bad JSON near offset " + std::to_string(pos_);
      return false;
    }
    Skip();
    if (pos_ != in_.size()) {
      error = "trailing bytes at offset " + std::to_string(pos_);
      return false;
    }
    return true;
  }

 private:
  void Skip() {
    while (pos_ < in_.size() &&
           (in_[pos_] == ' ' || in_[pos_] == '\n' || in_[pos_] == '\r' || in_[pos_] == '\t')) {
      ++pos_;
    }
  }

  bool Literal(std::string_view word) {
    if (in_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  bool Value(JsonValue& out) {
    Skip();
    if (pos_ >= in_.size()) return false;
    const char c = in_[pos_];
    if (c == '{') return Object(out);
    if (c == '[') return Array(out);
    if (c == '"') {
      out.kind = JsonValue::Kind::kString;
      return String(out.text);
    }
    if (c == 't' || c == 'f') {
      out.kind = JsonValue::Kind::kBool;
      out.boolean = c == 't';
      return Literal(c == 't' ? "true" : "false");
    }
    if (c == 'n') {
      out.kind = JsonValue::Kind::kNull;
      return Literal("null");
    }
    const std::size_t start = pos_;
    while (pos_ < in_.size() && std::string_view("+-0123456789.eE").find(in_[pos_]) !=
                                    std::string_view::npos) {
      ++pos_;
    }
    if (start == pos_) return false;
    out.kind = JsonValue::Kind::kNumber;
    out.number = std::strtod(std::string(in_.substr(start, pos_ - start)).c_str(), nullptr);
    return true;
  }

  bool Hex4(unsigned& value) {
    if (pos_ + 4 > in_.size()) return false;
    value = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = in_[pos_++];
      value <<= 4;
      if (h >= '0' && h <= '9') value |= static_cast<unsigned>(h - '0');
      else if (h >= 'a' && h <= 'f') value |= static_cast<unsigned>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F') value |= static_cast<unsigned>(h - 'A' + 10);
      else return false;
    }
    return true;
  }

  bool String(std::string& out) {
    out.clear();
    ++pos_;  // opening quote
    while (pos_ < in_.size()) {
      const unsigned char c = static_cast<unsigned char>(in_[pos_++]);
      if (c == '"') return true;
      if (c == '\\') {
        if (pos_ >= in_.size()) return false;
        const char e = in_[pos_++];
        switch (e) {
          case 'n': out += '\n'; break;
          case 'r': out += '\r'; break;
          case 't': out += '\t'; break;
          case 'b': out += '\b'; break;
          case 'f': out += '\f'; break;
          case 'u': {
            unsigned value = 0;
            if (!Hex4(value) || value > 0xFF) return false;
            out += static_cast<char>(value);
            break;
          }
          default: out += e; break;
        }
      } else if (c >= 0xC0 && c < 0xC4 && pos_ < in_.size()) {
        // UTF-8 for U+0080..U+00FF.
        const unsigned char next = static_cast<unsigned char>(in_[pos_++]);
        out += static_cast<char>(((c & 0x1F) << 6) | (next & 0x3F));
      } else {
        out += static_cast<char>(c);
      }
    }
    return false;
  }

  bool Array(JsonValue& out) {
    out.kind = JsonValue::Kind::kArray;
    ++pos_;
    Skip();
    if (pos_ < in_.size() && in_[pos_] == ']') {
      ++pos_;
      return true;
    }
    for (;;) {
      out.items.emplace_back();
      if (!Value(out.items.back())) return false;
      Skip();
      if (pos_ >= in_.size()) return false;
      if (in_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (in_[pos_] == ']') {
        ++pos_;
        return true;
      }
      return false;
    }
  }

  bool Object(JsonValue& out) {
    out.kind = JsonValue::Kind::kObject;
    ++pos_;
    Skip();
    if (pos_ < in_.size() && in_[pos_] == '}') {
      ++pos_;
      return true;
    }
    for (;;) {
      Skip();
      if (pos_ >= in_.size() || in_[pos_] != '"') return false;
      std::string key;
      if (!String(key)) return false;
      Skip();
      if (pos_ >= in_.size() || in_[pos_] != ':') return false;
      ++pos_;
      if (!Value(out.members[key])) return false;
      Skip();
      if (pos_ >= in_.size()) return false;
      if (in_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (in_[pos_] == '}') {
        ++pos_;
        return true;
      }
      return false;
    }
  }

  std::string_view in_;
  std::size_t pos_ = 0;
};

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& key) const {
  static const JsonValue kNullValue;
  if (kind != Kind::kObject) return kNullValue;
  auto it = members.find(key);
  return it == members.end() ? kNullValue : it->second;
}

bool ParseJson(std::string_view input, JsonValue& out, std::string& error) {
  out = JsonValue{};
  return Parser(input).Parse(out, error);
}

}  // namespace tarnik::testing
