#include "common/charset.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "common/cp866.h"
#include "common/diagnostics.h"
#include "common/text.h"

namespace tarnik {
namespace {

// Names from CHRS kludges that iconv does not know by that spelling. IBMPC meant the PC's own
// code page, which outside the former Soviet Union was 437; the +7 names are the Russian
// alternative code page; the level-1 names are the national 7-bit variants of ASCII.
struct Alias {
  std::string_view fidoName;
  std::string_view iconvName;
};
constexpr Alias kAliases[] = {
    {"+7", "CP866"},           {"+7_FIDO", "CP866"},      {"CANADIAN", "ISO646-CA"},
    {"CP10000", "MACINTOSH"},  {"CP848", "IBM848"},       {"FINNISH", "ISO646-FI"},
    {"FRENCH", "ISO646-FR"},   {"GERMAN", "ISO646-DE"},   {"IBMPC", "CP437"},
    {"ISO-11", "ISO646-SE2"},  {"ITALIAN", "ISO646-IT"},  {"LATIN-1", "ISO-8859-1"},
    {"LATIN-2", "ISO-8859-2"}, {"LATIN-5", "ISO-8859-9"}, {"LATIN-9", "ISO-8859-15"},
    {"MAC", "MACINTOSH"},      {"NORWEIG", "ISO646-NO"},  {"PORTU", "ISO646-PT"},
    {"SPANISH", "ISO646-ES"},  {"SWEDISH", "ISO646-SE"},  {"UK", "ISO646-GB"},
    {"UKR", "CP1125"},
};

constexpr char32_t kNoCharacter = 0xFFFFFFFF;
constexpr char32_t kReplacement = 0xFFFD;

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperLatin(c);
  return out;
}

iconv_t OpenIconv(const std::string& to, const std::string& from) {
  // A suffix such as "//IGNORE" would change how iconv treats errors; such names are no
  // charset's.
  if (from.empty() || from.find('/') != std::string::npos) return reinterpret_cast<iconv_t>(-1);
  return iconv_open(to.c_str(), from.c_str());
}

bool IsOpen(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }

char32_t Utf32At(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<char32_t>(b[0]) | static_cast<char32_t>(b[1]) << 8 |
         static_cast<char32_t>(b[2]) << 16 | static_cast<char32_t>(b[3]) << 24;
}

// The code point of every byte of a single-byte charset (kNoCharacter for a byte that is no
// character). False when the charset is unknown or some byte only starts a longer sequence.
bool SingleByteTable(const std::string& iconvName, std::array<char32_t, 256>& table) {
  iconv_t cd = OpenIconv("UTF-32LE", iconvName);
  if (!IsOpen(cd)) return false;
  bool single = true;
  for (int b = 0; b < 256 && single; ++b) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in = static_cast<char>(b);
    char* inp = &in;
    std::size_t inLeft = 1;
    char out[16];
    char* outp = out;
    std::size_t outLeft = sizeof out;
    std::size_t result = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    const int error = errno;
    iconv(cd, nullptr, nullptr, &outp, &outLeft);
    const std::size_t produced = sizeof out - outLeft;
    if (result == static_cast<std::size_t>(-1) && error == EINVAL) {
      single = false;
    } else if (produced == 4 && inLeft == 0) {
      table[b] = Utf32At(out);
    } else {
      table[b] = kNoCharacter;
    }
  }
  iconv_close(cd);
  return single;
}

bool KeepsAscii(const std::array<char32_t, 256>& table) {
  if (table['\r'] != '\r' || table['\n'] != '\n') return false;
  for (int b = 0x20; b < 0x7F; ++b) {
    if (table[b] != static_cast<char32_t>(b)) return false;
  }
  return true;
}

struct Range {
  char32_t first;
  char32_t last;
};

bool InRanges(char32_t c, const Range* begin, const Range* end) {
  const Range* it = std::lower_bound(begin, end, c,
                                     [](const Range& r, char32_t value) { return r.last < value; });
  return it != end && it->first <= c;
}

// Combining marks, format characters and other characters that take no column.
constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F},   {0x0483, 0x0489},   {0x0591, 0x05BD},   {0x05BF, 0x05BF},
    {0x05C1, 0x05C2},   {0x05C4, 0x05C5},   {0x05C7, 0x05C7},   {0x0610, 0x061A},
    {0x061C, 0x061C},   {0x064B, 0x065F},   {0x0670, 0x0670},   {0x06D6, 0x06DC},
    {0x06DF, 0x06E4},   {0x06E7, 0x06E8},   {0x06EA, 0x06ED},   {0x0711, 0x0711},
    {0x0730, 0x074A},   {0x07A6, 0x07B0},   {0x07EB, 0x07F3},   {0x0816, 0x0819},
    {0x081B, 0x0823},   {0x0825, 0x0827},   {0x0829, 0x082D},   {0x0859, 0x085B},
    {0x08D3, 0x08E1},   {0x08E3, 0x0902},   {0x093A, 0x093A},   {0x093C, 0x093C},
    {0x0941, 0x0948},   {0x094D, 0x094D},   {0x0951, 0x0957},   {0x0962, 0x0963},
    {0x0981, 0x0981},   {0x09BC, 0x09BC},   {0x09C1, 0x09C4},   {0x09CD, 0x09CD},
    {0x09E2, 0x09E3},   {0x0A01, 0x0A02},   {0x0A3C, 0x0A3C},   {0x0A41, 0x0A51},
    {0x0A70, 0x0A71},   {0x0A75, 0x0A75},   {0x0A81, 0x0A82},   {0x0ABC, 0x0ABC},
    {0x0AC1, 0x0AC8},   {0x0ACD, 0x0ACD},   {0x0AE2, 0x0AE3},   {0x0B01, 0x0B01},
    {0x0B3C, 0x0B3C},   {0x0B3F, 0x0B3F},   {0x0B41, 0x0B44},   {0x0B4D, 0x0B4D},
    {0x0B56, 0x0B56},   {0x0B62, 0x0B63},   {0x0B82, 0x0B82},   {0x0BC0, 0x0BC0},
    {0x0BCD, 0x0BCD},   {0x0C00, 0x0C00},   {0x0C3E, 0x0C40},   {0x0C46, 0x0C56},
    {0x0CBC, 0x0CBC},   {0x0CCC, 0x0CCD},   {0x0D41, 0x0D44},   {0x0D4D, 0x0D4D},
    {0x0DCA, 0x0DCA},   {0x0DD2, 0x0DD6},   {0x0E31, 0x0E31},   {0x0E34, 0x0E3A},
    {0x0E47, 0x0E4E},   {0x0EB1, 0x0EB1},   {0x0EB4, 0x0EBC},   {0x0EC8, 0x0ECD},
    {0x0F18, 0x0F19},   {0x0F35, 0x0F35},   {0x0F37, 0x0F37},   {0x0F39, 0x0F39},
    {0x0F71, 0x0F7E},   {0x0F80, 0x0F84},   {0x0F86, 0x0F87},   {0x0F8D, 0x0FBC},
    {0x0FC6, 0x0FC6},   {0x102D, 0x1030},   {0x1032, 0x1037},   {0x1039, 0x103A},
    {0x103D, 0x103E},   {0x1058, 0x1059},   {0x1160, 0x11FF},   {0x135D, 0x135F},
    {0x1712, 0x1714},   {0x1732, 0x1734},   {0x1752, 0x1753},   {0x1772, 0x1773},
    {0x17B4, 0x17B5},   {0x17B7, 0x17BD},   {0x17C6, 0x17C6},   {0x17C9, 0x17D3},
    {0x17DD, 0x17DD},   {0x180B, 0x180F},   {0x1885, 0x1886},   {0x18A9, 0x18A9},
    {0x1920, 0x1922},   {0x1927, 0x1928},   {0x1932, 0x1932},   {0x1939, 0x193B},
    {0x1A17, 0x1A18},   {0x1AB0, 0x1AFF},   {0x1B00, 0x1B03},   {0x1B34, 0x1B34},
    {0x1B36, 0x1B3A},   {0x1DC0, 0x1DFF},   {0x200B, 0x200F},   {0x202A, 0x202E},
    {0x2060, 0x2064},   {0x20D0, 0x20F0},   {0x2CEF, 0x2CF1},   {0x2DE0, 0x2DFF},
    {0x302A, 0x302D},   {0x3099, 0x309A},   {0xA66F, 0xA672},   {0xA674, 0xA67D},
    {0xA69E, 0xA69F},   {0xA6F0, 0xA6F1},   {0xA802, 0xA802},   {0xA806, 0xA806},
    {0xA80B, 0xA80B},   {0xA825, 0xA826},   {0xFB1E, 0xFB1E},   {0xFE00, 0xFE0F},
    {0xFE20, 0xFE2F},   {0xFEFF, 0xFEFF},   {0x1D167, 0x1D169}, {0x1D17B, 0x1D182},
    {0x1D185, 0x1D18B}, {0x1D1AA, 0x1D1AD}, {0xE0001, 0xE0001}, {0xE0020, 0xE007F},
    {0xE0100, 0xE01EF},
};

// East Asian wide and fullwidth characters: CJK, kana, Hangul syllables, fullwidth forms and
// the emoji that terminals draw two columns wide.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
    {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
    {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
    {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x303E},
    {0x3041, 0x3247},   {0x3250, 0x4DBF},   {0x4E00, 0xA4C6},   {0xA960, 0xA97C},
    {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6B},
    {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4}, {0x16FF0, 0x16FF1},
    {0x17000, 0x18CD5}, {0x18D00, 0x18D08}, {0x1AFF0, 0x1B2FB}, {0x1F004, 0x1F004},
    {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F202},
    {0x1F210, 0x1F23B}, {0x1F240, 0x1F248}, {0x1F250, 0x1F251}, {0x1F260, 0x1F265},
    {0x1F300, 0x1F320}, {0x1F32D, 0x1F335}, {0x1F337, 0x1F37C}, {0x1F37E, 0x1F393},
    {0x1F3A0, 0x1F3CA}, {0x1F3CF, 0x1F3D3}, {0x1F3E0, 0x1F3F0}, {0x1F3F4, 0x1F3F4},
    {0x1F3F8, 0x1F43E}, {0x1F440, 0x1F440}, {0x1F442, 0x1F4FC}, {0x1F4FF, 0x1F53D},
    {0x1F54B, 0x1F54E}, {0x1F550, 0x1F567}, {0x1F57A, 0x1F57A}, {0x1F595, 0x1F596},
    {0x1F5A4, 0x1F5A4}, {0x1F5FB, 0x1F64F}, {0x1F680, 0x1F6C5}, {0x1F6CC, 0x1F6CC},
    {0x1F6D0, 0x1F6D2}, {0x1F6D5, 0x1F6D7}, {0x1F6DC, 0x1F6DF}, {0x1F6EB, 0x1F6EC},
    {0x1F6F4, 0x1F6FC}, {0x1F7E0, 0x1F7EB}, {0x1F7F0, 0x1F7F0}, {0x1F90C, 0x1F93A},
    {0x1F93C, 0x1F945}, {0x1F947, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x2FFFD},
    {0x30000, 0x3FFFD},
};

// One character of text at pos under the measure: its length in bytes and its columns.
std::size_t NextCharacter(std::string_view text, std::size_t pos, TextMeasure measure, int& width) {
  if (measure == TextMeasure::kBytes) {
    width = 1;
    return 1;
  }
  char32_t c = 0;
  std::size_t length = DecodeUtf8(text.substr(pos), c);
  width = CharacterWidth(c);
  return length;
}

}  // namespace

std::string IconvCharsetName(std::string_view name) {
  std::string upper = AsciiUpper(Trim(name));
  for (const Alias& alias : kAliases) {
    if (upper == alias.fidoName) return std::string(alias.iconvName);
  }
  return upper;
}

bool IsUtf8Charset(std::string_view name) {
  std::string upper = IconvCharsetName(name);
  return upper == "UTF-8" || upper == "UTF8";
}

bool IsKnownCharset(std::string_view name) {
  if (IsUtf8Charset(name)) return true;
  iconv_t cd = OpenIconv("UTF-32LE", IconvCharsetName(name));
  if (!IsOpen(cd)) return false;
  iconv_close(cd);
  return true;
}

bool IsOutputCharset(std::string_view name) {
  if (IsUtf8Charset(name)) return true;
  std::array<char32_t, 256> table{};
  return SingleByteTable(IconvCharsetName(name), table) && KeepsAscii(table);
}

CharsetConverter::CharsetConverter(std::string_view from, std::string_view to)
    : from_(from), to_(to) {
  const std::string fromName = IconvCharsetName(from);
  const std::string toName = IconvCharsetName(to);
  std::array<char32_t, 256> target{};
  targetUtf8_ = IsUtf8Charset(to);
  if (!targetUtf8_) {
    if (!SingleByteTable(toName, target) || !KeepsAscii(target)) return;
    for (int b = 0; b < 256; ++b) {
      if (target[b] != kNoCharacter)
        reverse_.emplace_back(target[b], static_cast<unsigned char>(b));
    }
    // Where two bytes give one character, the lower byte is written.
    std::stable_sort(reverse_.begin(), reverse_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
  }
  if (IsUtf8Charset(from)) {
    kind_ = Kind::kUtf8;
    return;
  }
  std::array<char32_t, 256> source{};
  if (SingleByteTable(fromName, source)) {
    if (!targetUtf8_ && source == target) {
      kind_ = Kind::kIdentity;
      return;
    }
    std::string encoded;
    for (int b = 0; b < 256; ++b) {
      encoded.clear();
      if (source[b] == kNoCharacter) {
        encoded += '?';
      } else {
        Encode(source[b], encoded);
      }
      Encoded& entry = table_[b];
      entry.size = static_cast<std::uint8_t>(encoded.size());
      std::copy(encoded.begin(), encoded.end(), entry.bytes.begin());
    }
    kind_ = Kind::kTable;
    return;
  }
  iconv_t cd = OpenIconv("UTF-32LE", fromName);
  if (!IsOpen(cd)) return;
  iconv_ = cd;
  kind_ = Kind::kIconv;
}

CharsetConverter::~CharsetConverter() {
  if (iconv_ != nullptr) iconv_close(static_cast<iconv_t>(iconv_));
}

void CharsetConverter::Encode(char32_t c, std::string& out) const {
  if (targetUtf8_) {
    AppendUtf8(c, out);
    return;
  }
  auto it = std::lower_bound(reverse_.begin(), reverse_.end(), c,
                             [](const auto& entry, char32_t value) { return entry.first < value; });
  out += it != reverse_.end() && it->first == c ? static_cast<char>(it->second) : '?';
}

void CharsetConverter::Convert(std::string_view text, std::string& out) const {
  out.clear();
  switch (kind_) {
    case Kind::kNone:
    case Kind::kIdentity:
      out.assign(text);
      return;
    case Kind::kTable:
      out.reserve(text.size() * (targetUtf8_ ? 2 : 1));
      for (char byte : text) {
        const Encoded& entry = table_[static_cast<unsigned char>(byte)];
        out.append(entry.bytes.data(), entry.size);
      }
      return;
    case Kind::kUtf8: {
      if (targetUtf8_ && IsValidUtf8(text)) {
        out.assign(text);
        return;
      }
      std::size_t pos = 0;
      while (pos < text.size()) {
        char32_t c = 0;
        std::size_t length = DecodeUtf8(text.substr(pos), c);
        if (c == kReplacement && length == 1) {
          out += '?';
        } else {
          Encode(c, out);
        }
        pos += length;
      }
      return;
    }
    case Kind::kIconv:
      ConvertIconv(text, out);
      return;
  }
}

std::string CharsetConverter::Convert(std::string_view text) const {
  std::string out;
  Convert(text, out);
  return out;
}

void CharsetConverter::ConvertIconv(std::string_view text, std::string& out) const {
  std::lock_guard<std::mutex> lock(iconvMutex_);
  iconv_t cd = static_cast<iconv_t>(iconv_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  // iconv's input is not const in its declaration, but it only reads it.
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char buffer[1024];
  auto emit = [&](const char* end) {
    for (const char* p = buffer; p + 4 <= end; p += 4) Encode(Utf32At(p), out);
  };
  while (inLeft > 0) {
    char* outp = buffer;
    std::size_t outLeft = sizeof buffer;
    std::size_t result = iconv(cd, &in, &inLeft, &outp, &outLeft);
    const int error = errno;
    emit(outp);
    if (result != static_cast<std::size_t>(-1) || error == E2BIG) continue;
    out += '?';
    if (error != EILSEQ) {
      // An incomplete sequence at the end of the text.
      inLeft = 0;
      break;
    }
    ++in;
    --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  char* outp = buffer;
  std::size_t outLeft = sizeof buffer;
  iconv(cd, nullptr, nullptr, &outp, &outLeft);
  emit(outp);
}

CharsetCache::CharsetCache(std::string_view output, std::string_view fallback,
                           Diagnostics& diagnostics)
    : output_(output), diagnostics_(diagnostics) {
  default_ = Make(IconvCharsetName(fallback));
  if (!default_->ok()) default_ = Make(std::string(kDesignCharset));
}

const CharsetConverter* CharsetCache::Make(const std::string& iconvName) {
  auto found = byIconvName_.find(iconvName);
  if (found != byIconvName_.end()) return found->second;
  converters_.push_back(std::make_unique<CharsetConverter>(iconvName, output_));
  const CharsetConverter* made = converters_.back().get();
  byIconvName_.emplace(iconvName, made);
  return made;
}

const CharsetConverter& CharsetCache::For(std::string_view name, std::string_view where) {
  if (Trim(name).empty()) return *default_;
  std::lock_guard<std::mutex> lock(mutex_);
  std::string key = AsciiUpper(name);
  auto found = byName_.find(key);
  if (found != byName_.end()) return *found->second;
  const CharsetConverter* converter = Make(IconvCharsetName(name));
  if (!converter->ok()) {
    diagnostics_.Warning(
        where, "unknown charset \"" + std::string(name) + "\", read as " + default_->from());
    converter = default_;
  }
  byName_.emplace(std::move(key), converter);
  return *converter;
}

TextMeasure MeasureOf(std::string_view charset) {
  return IsUtf8Charset(charset) ? TextMeasure::kUtf8 : TextMeasure::kBytes;
}

int CharacterWidth(char32_t c) {
  if (c < 0x300) return 1;
  if (InRanges(c, std::begin(kZeroWidth), std::end(kZeroWidth))) return 0;
  if (c >= 0x1100 && InRanges(c, std::begin(kWide), std::end(kWide))) return 2;
  return 1;
}

std::size_t DecodeUtf8(std::string_view text, char32_t& c) {
  if (text.empty()) {
    c = 0;
    return 0;
  }
  const auto* b = reinterpret_cast<const unsigned char*>(text.data());
  if (b[0] < 0x80) {
    c = b[0];
    return 1;
  }
  std::size_t length = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (b[0] >= 0xC2 && b[0] <= 0xDF) {
    length = 2;
    value = b[0] & 0x1F;
    minimum = 0x80;
  } else if (b[0] >= 0xE0 && b[0] <= 0xEF) {
    length = 3;
    value = b[0] & 0x0F;
    minimum = 0x800;
  } else if (b[0] >= 0xF0 && b[0] <= 0xF4) {
    length = 4;
    value = b[0] & 0x07;
    minimum = 0x10000;
  }
  if (length == 0 || text.size() < length) {
    c = kReplacement;
    return 1;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if ((b[i] & 0xC0) != 0x80) {
      c = kReplacement;
      return 1;
    }
    value = value << 6 | (b[i] & 0x3F);
  }
  // Overlong forms, surrogates and values past the last plane are no characters.
  if (value < minimum || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
    c = kReplacement;
    return 1;
  }
  c = value;
  return length;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c <= 0x10FFFF) {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += '?';
  }
}

bool IsValidUtf8(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (static_cast<unsigned char>(text[pos]) < 0x80) {
      ++pos;
      continue;
    }
    char32_t c = 0;
    std::size_t length = DecodeUtf8(text.substr(pos), c);
    if (c == kReplacement && length == 1) return false;
    pos += length;
  }
  return true;
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t count = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t c = 0;
    pos += DecodeUtf8(text.substr(pos), c);
    ++count;
  }
  return count;
}

std::size_t TextWidth(std::string_view text, TextMeasure measure) {
  if (measure == TextMeasure::kBytes) return text.size();
  std::size_t width = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    int w = 0;
    pos += NextCharacter(text, pos, measure, w);
    width += static_cast<std::size_t>(w);
  }
  return width;
}

std::size_t PrefixBytes(std::string_view text, std::size_t width, TextMeasure measure) {
  if (measure == TextMeasure::kBytes) return std::min(width, text.size());
  std::size_t used = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    int w = 0;
    std::size_t length = NextCharacter(text, pos, measure, w);
    if (used + static_cast<std::size_t>(w) > width) break;
    used += static_cast<std::size_t>(w);
    pos += length;
  }
  return pos;
}

std::size_t SkipColumns(std::string_view text, std::size_t skip, TextMeasure measure) {
  if (measure == TextMeasure::kBytes) return std::min(skip, text.size());
  std::size_t column = 0;
  std::size_t pos = 0;
  while (pos < text.size() && column < skip) {
    int w = 0;
    pos += NextCharacter(text, pos, measure, w);
    column += static_cast<std::size_t>(w);
  }
  // Marks that combine with a character left out go with it.
  while (pos < text.size()) {
    int w = 0;
    std::size_t length = NextCharacter(text, pos, measure, w);
    if (w != 0) break;
    pos += length;
  }
  return pos;
}

std::size_t CharacterBoundary(std::string_view text, std::size_t maxBytes, TextMeasure measure) {
  if (maxBytes >= text.size()) return text.size();
  if (measure == TextMeasure::kBytes) return maxBytes;
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t c = 0;
    std::size_t length = DecodeUtf8(text.substr(pos), c);
    if (pos + length > maxBytes) break;
    pos += length;
  }
  return pos;
}

std::string CutShort(std::string_view text, TextMeasure measure) {
  return std::string(text.substr(0, CharacterBoundary(text, kShortStringMax, measure)));
}

}  // namespace tarnik
