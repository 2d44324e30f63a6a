#include "common/text.h"

#include <charconv>

namespace tarnik {

std::string CutShort(std::string_view text) { return std::string(text.substr(0, kShortStringMax)); }

namespace {

// Delimiter sets are a few bytes: a plain loop beats the library's memchr call per byte.
bool IsDelimiter(char c, std::string_view delimiters) {
  for (char d : delimiters) {
    if (c == d) return true;
  }
  return false;
}

}  // namespace

std::string_view WordOf(std::string_view text, int n, std::string_view delimiters) {
  const std::size_t size = text.size();
  std::size_t pos = 0;
  int index = 0;
  while (pos < size) {
    while (pos < size && IsDelimiter(text[pos], delimiters)) ++pos;
    if (pos == size) break;
    std::size_t end = pos + 1;
    while (end < size && !IsDelimiter(text[end], delimiters)) ++end;
    if (++index == n) return text.substr(pos, end - pos);
    pos = end;
  }
  return {};
}

int WordCount(std::string_view text, std::string_view delimiters) {
  int count = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    pos = text.find_first_not_of(delimiters, pos);
    if (pos == std::string_view::npos) break;
    ++count;
    pos = text.find_first_of(delimiters, pos);
  }
  return count;
}

std::string_view RestAfterBlank(std::string_view text, int n) {
  std::size_t pos = 0;
  for (int i = 0; i < n; ++i) {
    pos = text.find_first_of(kBlanks, pos);
    if (pos == std::string_view::npos) return {};
    ++pos;
  }
  return text.substr(pos);
}

std::string_view TrimLeft(std::string_view text) {
  std::size_t start = text.find_first_not_of(' ');
  return start == std::string_view::npos ? std::string_view{} : text.substr(start);
}

std::string_view Trim(std::string_view text) {
  text = TrimLeft(text);
  std::size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1);
}

std::optional<std::int32_t> ParseInt(std::string_view text) {
  if (text.empty()) return 0;
  text = TrimLeft(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::int32_t IntValue(std::string_view text) { return ParseInt(text).value_or(0); }

std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted += text;
  quoted += '"';
  return quoted;
}

std::string Decimal(std::int64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string ToLocalPath(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

bool EndsWithSeparator(std::string_view text) {
  return !text.empty() && (text.back() == '/' || text.back() == '\\');
}

std::string WithSeparator(std::string path) {
  if (!EndsWithSeparator(path)) path += '/';
  return path;
}

std::string WithFinalDot(std::string path) {
  if (path.empty() || path.back() != '.') path += '.';
  return path;
}

std::string TwoDigits(std::int64_t n) {
  std::string text = Decimal(n);
  if (text.size() == 1) text.insert(text.begin(), '0');
  return text;
}

std::string GroupThousands(std::string_view text) {
  std::string reversed;
  int count = 0;
  for (auto it = text.rbegin(); it != text.rend(); ++it) {
    reversed += *it;
    if (++count % 3 == 0) reversed += ',';
  }
  std::string result(reversed.rbegin(), reversed.rend());
  bool negative = !result.empty() && result[0] == '-';
  if (negative) result.erase(0, 1);
  while (!result.empty() && result[0] == ',') result.erase(0, 1);
  if (negative) result.insert(result.begin(), '-');
  return result;
}

}  // namespace tarnik
