#include "core/ftn_address.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

std::string Show(const FtnAddress& a) { return FormatAddress4D(a); }

TEST(ParseAddress, Table) {
  const FtnAddress preset{9, 9, 9, 9};
  struct Case {
    std::string_view text;
    bool ok;
    std::string expected;  // after parsing into the preset 9:9/9.9
  } cases[] = {
      {"2:345/678.3@othernet", true, "2:345/678.3"},
      {"/2:345/678", true, "2:345/678.0"},
      {"2:345/678", true, "2:345/678.0"},
      {"2:3x5/678", false, "2:0/9.9"},
      {"", false, "9:9/9.9"},
      {"@domain", false, "9:9/9.9"},
      {"2::345/678", true, "2:345/678.0"},
      {"2:345", true, "2:345/9.9"},
      {"345/678.3", true, "9:345/678.3"},
      {"345/678", true, "9:345/678.0"},
      {".3", true, "9:9/9.3"},
      {"678.3", true, "9:9/678.3"},
      {"678", true, "9:9/678.0"},
      {"2:$10/$ff", true, "2:16/255.0"},
      {"2:-1/40000", true, "2:-1/-25536.0"},
      {"2:99999999999/1", false, "2:0/9.9"},
      {"2: 5/ 6", true, "2:5/6.0"},
      {"+2:5/6", true, "2:5/6.0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    FtnAddress address = preset;
    EXPECT_EQ(ParseAddress(c.text, address), c.ok);
    EXPECT_EQ(Show(address), c.expected);
  }
}

TEST(FormatAddress, AppendAddressWritesTheSameText) {
  const FtnAddress cases[] = {
      {0, 0, 0, 0}, {2, 5020, 9999, 12}, {-1, -32768, 32767, -5}, {1, 2, 3, 0}};
  for (const FtnAddress& a : cases) {
    std::string out = "x";
    AppendAddress(out, a);
    EXPECT_EQ(out, "x" + FormatAddress(a));
  }
}

TEST(FormatAddress, FormsAndCompare) {
  FtnAddress a{2, 345, 678, 0};
  EXPECT_EQ(FormatAddress(a), "2:345/678");
  EXPECT_EQ(FormatAddress4D(a), "2:345/678.0");
  EXPECT_EQ(FormatAddress3D(FtnAddress{2, 345, 678, 1}), "2:345/678");
  EXPECT_EQ(FormatAddress(FtnAddress{2, 345, 678, 1}), "2:345/678.1");
  EXPECT_EQ(CompareAddress(a, FtnAddress{2, 345, 678, 1}), -1);
  EXPECT_EQ(CompareAddress(FtnAddress{1, 999, 999, 0}, FtnAddress{2, 1, 1, 0}), -1);
  EXPECT_EQ(CompareAddress(FtnAddress{2, 1, 1, 0}, FtnAddress{1, 999, 999, 0}), 1);
  EXPECT_EQ(CompareAddress(a, a), 0);
  FtnAddress b{1, 2, 3, 4};
  ClearAddress(b);
  EXPECT_EQ(CompareAddress(b, FtnAddress{}), 0);
}

}  // namespace
}  // namespace tarnik
