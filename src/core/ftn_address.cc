#include "core/ftn_address.h"

#include <charconv>

#include "common/text.h"

namespace tarnik {
namespace {

// An address field: empty is 0; otherwise leading spaces, optional sign, then decimal digits
// or "$" and hex digits, within 32 bits. Only the low 16 bits are kept.
bool ConvertField(std::string_view field, std::int16_t& out) {
  if (field.empty()) {
    out = 0;
    return true;
  }
  field = TrimLeft(field);
  bool negative = false;
  if (!field.empty() && (field[0] == '+' || field[0] == '-')) {
    negative = field[0] == '-';
    field.remove_prefix(1);
  }
  int base = 10;
  if (!field.empty() && field[0] == '$') {
    base = 16;
    field.remove_prefix(1);
  }
  if (field.empty()) {
    out = 0;
    return false;
  }
  std::int64_t value = 0;
  for (char c : field) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      out = 0;
      return false;
    }
    value = value * base + digit;
    if (value > 0xFFFFFFFFLL) {
      out = 0;
      return false;
    }
  }
  if (negative) value = -value;
  // Decimal values must fit a signed 32-bit integer; hex ones may use all 32 bits.
  if (base == 10 && (value > 2147483647LL || value < -2147483648LL)) {
    out = 0;
    return false;
  }
  out = static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint64_t>(value)));
  return true;
}

bool Fill(std::string_view text, std::string_view separators,
          std::initializer_list<std::int16_t*> fields) {
  int n = 1;
  for (std::int16_t* field : fields) {
    if (!ConvertField(WordOf(text, n++, separators), *field)) return false;
  }
  return true;
}

}  // namespace

void ClearAddress(FtnAddress& address) { address = FtnAddress{}; }

int CompareAddress(const FtnAddress& a, const FtnAddress& b) {
  const std::int16_t left[] = {a.zone, a.net, a.node, a.point};
  const std::int16_t right[] = {b.zone, b.net, b.node, b.point};
  for (int i = 0; i < 4; ++i) {
    if (left[i] < right[i]) return -1;
    if (left[i] > right[i]) return 1;
  }
  return 0;
}

std::string FormatAddress3D(const FtnAddress& address) {
  return Decimal(address.zone) + ":" + Decimal(address.net) + "/" + Decimal(address.node);
}

std::string FormatAddress4D(const FtnAddress& address) {
  return FormatAddress3D(address) + "." + Decimal(address.point);
}

std::string FormatAddress(const FtnAddress& address) {
  return address.point == 0 ? FormatAddress3D(address) : FormatAddress4D(address);
}

void AppendAddress(std::string& out, const FtnAddress& address) {
  char buffer[32];
  char* end = buffer + sizeof buffer;
  char* at = std::to_chars(buffer, end, address.zone).ptr;
  *at++ = ':';
  at = std::to_chars(at, end, address.net).ptr;
  *at++ = '/';
  at = std::to_chars(at, end, address.node).ptr;
  if (address.point != 0) {
    *at++ = '.';
    at = std::to_chars(at, end, address.point).ptr;
  }
  out.append(buffer, at);
}

bool ParseAddress(std::string_view text, FtnAddress& address) {
  if (text.empty()) return false;
  if (text[0] == '/') text.remove_prefix(1);
  std::size_t at = text.find('@');
  if (at != std::string_view::npos) text = text.substr(0, at);
  if (text.empty()) return false;
  bool colon = text.find(':') != std::string_view::npos;
  bool slash = text.find('/') != std::string_view::npos;
  if (colon && slash) {
    return Fill(text, ":/.", {&address.zone, &address.net, &address.node, &address.point});
  }
  if (colon) return Fill(text, ":/.", {&address.zone, &address.net});
  if (slash) {
    // The net is split at "/" only; node and point at "/" or ".".
    if (!ConvertField(WordOf(text, 1, "/"), address.net)) return false;
    if (!ConvertField(WordOf(text, 2, "/."), address.node)) return false;
    return ConvertField(WordOf(text, 3, "/."), address.point);
  }
  if (text[0] == '.') return ConvertField(text.substr(1), address.point);
  return Fill(text, ".", {&address.node, &address.point});
}

}  // namespace tarnik
