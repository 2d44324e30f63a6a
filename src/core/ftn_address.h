#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnik {

// A FidoNet-technology address. Zone 0 means unset. Fields are 16-bit: a value above 32767
// prints negative, as the stored formats do.
struct FtnAddress {
  std::int16_t zone = 0;
  std::int16_t net = 0;
  std::int16_t node = 0;
  std::int16_t point = 0;
};

void ClearAddress(FtnAddress& address);
// -1, 0 or 1 comparing zone, net, node, point in turn as signed 16-bit numbers.
int CompareAddress(const FtnAddress& a, const FtnAddress& b);
std::string FormatAddress4D(const FtnAddress& address);  // "z:n/f.p", point always
std::string FormatAddress3D(const FtnAddress& address);  // "z:n/f"
std::string FormatAddress(const FtnAddress& address);    // 3D, or 4D when point is not 0
// Appends the text of FormatAddress(address) to out, without a temporary string.
void AppendAddress(std::string& out, const FtnAddress& address);
// Fills the fields the text gives and leaves the others as they were; a field that fails to
// convert is set to 0 and stops the parse (false). "@domain" is dropped.
bool ParseAddress(std::string_view text, FtnAddress& address);

}  // namespace tarnik
