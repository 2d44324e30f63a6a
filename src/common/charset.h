#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tarnik {

class Diagnostics;

// The charset of messages without a charset kludge, of the language file and of the reports,
// unless the configuration names others.
inline constexpr std::string_view kDesignCharset = "CP866";

// The name the system's iconv knows a charset by: the names FidoNet writers put in CHRS
// kludges are mapped (IBMPC is CP437, LATIN-1 is ISO-8859-1, +7_FIDO is CP866, UKR is CP1125,
// and the rest listed in charset.cc); any other name is upper-cased and kept.
std::string IconvCharsetName(std::string_view name);

// True for every spelling of UTF-8 ("utf-8", "UTF8").
bool IsUtf8Charset(std::string_view name);
// True when text in the charset can be read: the system's iconv knows it.
bool IsKnownCharset(std::string_view name);
// True when reports can be written in the charset: UTF-8, or one byte per character with
// ASCII's printable characters, CR and LF where ASCII has them.
bool IsOutputCharset(std::string_view name);

// Converts text from one charset into another. Text of one single-byte charset into another
// goes through a table made once; UTF-8 is decoded here; other multi-byte sources go through
// iconv. Safe to use from several threads at once.
class CharsetConverter {
 public:
  // ok() is false when from is unknown or to is no output charset (IsOutputCharset).
  CharsetConverter(std::string_view from, std::string_view to);
  ~CharsetConverter();
  CharsetConverter(const CharsetConverter&) = delete;
  CharsetConverter& operator=(const CharsetConverter&) = delete;

  bool ok() const { return kind_ != Kind::kNone; }
  // True when every text comes out byte for byte as it went in (the same single-byte charset
  // on both sides), so callers may skip the call.
  bool IsIdentity() const { return kind_ == Kind::kIdentity; }
  // The charset names as given.
  const std::string& from() const { return from_; }
  const std::string& to() const { return to_; }

  // Replaces out by text in the target charset. A byte sequence that is no character of the
  // source, and a character the target cannot hold, each become one "?". A converter that is
  // not ok() copies the text unchanged.
  void Convert(std::string_view text, std::string& out) const;
  std::string Convert(std::string_view text) const;

 private:
  enum class Kind { kNone, kIdentity, kTable, kUtf8, kIconv };
  // A character of a single-byte source in the target charset.
  struct Encoded {
    std::array<char, 4> bytes{};
    std::uint8_t size = 0;
  };

  void Encode(char32_t c, std::string& out) const;
  void ConvertIconv(std::string_view text, std::string& out) const;

  Kind kind_ = Kind::kNone;
  std::string from_;
  std::string to_;
  bool targetUtf8_ = false;
  std::array<Encoded, 256> table_{};
  // A single-byte target's bytes by code point, sorted by code point.
  std::vector<std::pair<char32_t, unsigned char>> reverse_;
  // iconv's descriptor (from the source into UTF-32LE) for multi-byte sources other than
  // UTF-8; iconv keeps state in it, so one thread at a time.
  void* iconv_ = nullptr;
  mutable std::mutex iconvMutex_;
};

// The converters from the charsets messages name into the report charset, each made once per
// distinct name for the whole run and shared by the scan's threads. A name no iconv knows is
// read as the default charset and reported once on standard error.
class CharsetCache {
 public:
  // output must be an output charset and fallback a known one (the configuration checks
  // both); warnings go to diagnostics.
  CharsetCache(std::string_view output, std::string_view fallback, Diagnostics& diagnostics);
  CharsetCache(const CharsetCache&) = delete;
  CharsetCache& operator=(const CharsetCache&) = delete;

  // The converter for a charset as a kludge names it (any case); an empty name gives the
  // default charset's. where names the place of the first unknown use in the warning.
  const CharsetConverter& For(std::string_view name, std::string_view where);
  const CharsetConverter& ForDefault() const { return *default_; }
  const std::string& output() const { return output_; }

 private:
  const CharsetConverter* Make(const std::string& iconvName);

  std::string output_;
  Diagnostics& diagnostics_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<CharsetConverter>> converters_;
  std::map<std::string, const CharsetConverter*, std::less<>> byIconvName_;
  // Names as kludges spell them, upper-cased, with their converter (the default one for an
  // unknown name, which is then reported no more).
  std::map<std::string, const CharsetConverter*, std::less<>> byName_;
  const CharsetConverter* default_ = nullptr;
};

// How report text is measured: a single-byte charset has one column per byte; UTF-8 text has
// one column per character, two for East Asian wide ones and none for combining marks.
enum class TextMeasure { kBytes, kUtf8 };

// The measure of text in the charset.
TextMeasure MeasureOf(std::string_view charset);

// Columns one character takes: 0 for combining marks and zero-width characters, 2 for East
// Asian wide and fullwidth characters, 1 for every other one.
int CharacterWidth(char32_t c);

// The length in bytes of the UTF-8 character at the start of text and its code point; a byte
// that starts no valid sequence is one character of its own (code point 0xFFFD). 0 for "".
std::size_t DecodeUtf8(std::string_view text, char32_t& c);
// Appends the UTF-8 bytes of a code point.
void AppendUtf8(char32_t c, std::string& out);
// True when the whole text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);
// Number of characters in UTF-8 text.
std::size_t Utf8Length(std::string_view text);

// Columns the text takes.
std::size_t TextWidth(std::string_view text, TextMeasure measure);
// Bytes of the longest start of text that takes at most width columns; zero-width characters
// right after it are included. Never ends inside a UTF-8 character.
std::size_t PrefixBytes(std::string_view text, std::size_t width, TextMeasure measure);
// Bytes of the start of text that take the first skip columns: the start of the first
// character that begins at column skip or later.
std::size_t SkipColumns(std::string_view text, std::size_t skip, TextMeasure measure);
// The largest character boundary at or below maxBytes (maxBytes itself for kBytes).
std::size_t CharacterBoundary(std::string_view text, std::size_t maxBytes, TextMeasure measure);
// The first 255 bytes of text, cut at a character boundary: the program's one cut.
std::string CutShort(std::string_view text, TextMeasure measure);

}  // namespace tarnik
