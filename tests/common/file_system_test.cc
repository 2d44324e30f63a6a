#include "common/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace tarnik {
namespace {

TEST(CanonicalPath, TwoNamesOfOneFileCompareEqual) {
  testing::TempDir dir;
  dir.Write("etc/fido/config", "x");
  dir.Write("etc/fido/areas", "y");
  std::error_code error;
  std::filesystem::create_symlink(dir.File("etc/fido"), dir.File("link"), error);
  ASSERT_FALSE(error);
  const std::string config = CanonicalPath(dir.File("etc/fido/config"));
  ASSERT_FALSE(config.empty());
  EXPECT_EQ(config.front(), '/');
  struct Case {
    std::string name;
    std::string expected;
  } cases[] = {
      {"etc/fido/config", config},
      {"./etc/../etc/fido/config", config},
      {"link/config", config},
      {"etc/fido/CONFIG", config},  // found as other file names are, in any letter case
      {"etc/fido/missing", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CanonicalPath(c.name), c.expected);
  }
  // Another file has another name.
  EXPECT_NE(CanonicalPath("etc/fido/areas"), config);
}

}  // namespace
}  // namespace tarnik
