#include "common/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace tarnik {
namespace {

TEST(File, CreateReusesAnotherSpellingAndCreateExactDoesNot) {
  struct Case {
    FileMode mode;
    const char* lowerAfter;  // contents of 5.msg afterwards
    bool upperExists;        // whether 5.MSG exists afterwards
  };
  const Case cases[] = {
      {FileMode::kCreate, "new", false},
      {FileMode::kCreateExact, "old", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    testing::TempDir dir;
    dir.Write("5.msg", "old");
    File file;
    ASSERT_TRUE(file.Open(dir.File("5.MSG"), c.mode));
    ASSERT_TRUE(file.Write("new", 3));
    file.Close();
    EXPECT_EQ(dir.Read("5.msg"), c.lowerAfter);
    EXPECT_EQ(std::filesystem::exists(dir.File("5.MSG")), c.upperExists);
  }
}

}  // namespace
}  // namespace tarnik
