// tarnik-lngc: compiles the language source (one text per line: number, blank, quoted text
// with C-like escapes) into the binary Tarnik.Lng, or prints a Tarnik.Lng back as source.
//
//   tarnik-lngc SOURCE OUTPUT      compile
//   tarnik-lngc --dump LNGFILE     print as source

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/bytes.h"
#include "common/file_system.h"
#include "common/text.h"
#include "core/language_table.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses the quoted text starting at text[0] == '"'. False on a malformed string.
bool ParseQuoted(std::string_view text, std::string& out) {
  if (text.empty() || text[0] != '"') return false;
  for (std::size_t i = 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') return tarnik::Trim(text.substr(i + 1)).empty();
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i >= text.size()) return false;
    switch (text[i]) {
      case 'r':
        out += '\r';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case '\\':
        out += '\\';
        break;
      case '"':
        out += '"';
        break;
      case 'x': {
        if (i + 2 >= text.size()) return false;
        int hi = HexDigit(text[i + 1]), lo = HexDigit(text[i + 2]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default:
        return false;
    }
  }
  return false;
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    unsigned char b = static_cast<unsigned char>(c);
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\\')
      out += "\\\\";
    else if (c == '"')
      out += "\\\"";
    else if (b < 0x20 || b >= 0x7F) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      out += hex;
    } else
      out += c;
  }
  return out + "\"";
}

int Compile(const std::string& source, const std::string& output) {
  std::string text;
  if (!tarnik::ReadWholeFile(source, text)) {
    std::fprintf(stderr, "tarnik-lngc: cannot read %s\n", source.c_str());
    return 1;
  }
  std::vector<std::pair<std::int32_t, std::string>> entries;
  std::size_t start = 0;
  int lineNumber = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string_view trimmed = tarnik::Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    std::string_view number = tarnik::WordOf(trimmed, 1, " \t");
    auto id = tarnik::ParseInt(number);
    std::size_t quote = trimmed.find('"');
    std::string value;
    if (!id || quote == std::string_view::npos || !ParseQuoted(trimmed.substr(quote), value) ||
        value.size() > tarnik::kShortStringMax) {
      std::fprintf(stderr, "%s:%d: expected NUMBER \"TEXT\" (at most 255 bytes)\n", source.c_str(),
                   lineNumber);
      return 1;
    }
    entries.emplace_back(*id, std::move(value));
  }
  if (!tarnik::ReplaceFile(output, tarnik::EncodeLanguageFile(entries))) {
    std::fprintf(stderr, "tarnik-lngc: cannot write %s\n", output.c_str());
    return 1;
  }
  return 0;
}

int Dump(const std::string& file) {
  std::string bytes;
  if (!tarnik::ReadWholeFile(file, bytes)) {
    std::fprintf(stderr, "tarnik-lngc: cannot read %s\n", file.c_str());
    return 1;
  }
  tarnik::ByteReader reader(bytes);
  std::uint32_t signature = 0, count = 0;
  if (!reader.U32(signature) || signature != tarnik::kLanguageSignature || !reader.U32(count)) {
    std::fprintf(stderr, "tarnik-lngc: %s is not a language file\n", file.c_str());
    return 1;
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t id = 0;
    std::uint8_t length = 0;
    std::string_view text;
    if (!reader.U32(id) || !reader.U8(length) || !reader.Bytes(length, text)) {
      std::fprintf(stderr, "tarnik-lngc: %s ends inside record %u\n", file.c_str(), i + 1);
      return 1;
    }
    std::printf("%d %s\n", static_cast<std::int32_t>(id), Quote(text).c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string_view(argv[1]) == "--dump") return Dump(argv[2]);
  if (argc == 3) return Compile(argv[1], argv[2]);
  std::fprintf(stderr,
               "usage: tarnik-lngc SOURCE OUTPUT   compile a language source\n"
               "       tarnik-lngc --dump FILE     print a compiled language file as source\n");
  return 2;
}
