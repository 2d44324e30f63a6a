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

TEST(File, CreateNewNeverTakesAnExistingName) {
  testing::TempDir dir;
  dir.Write("taken.pkt", "old");
  File file;
  EXPECT_FALSE(file.Open(dir.File("taken.pkt"), FileMode::kCreateNew));
  EXPECT_EQ(file.ErrorText(), "File exists");
  EXPECT_EQ(dir.Read("taken.pkt"), "old");
  ASSERT_TRUE(file.Open(dir.File("free.pkt"), FileMode::kCreateNew));
  EXPECT_EQ(file.ErrorText(), "");
  ASSERT_TRUE(file.Write("new", 3));
  file.Close();
  EXPECT_EQ(dir.Read("free.pkt"), "new");
}

TEST(File, FailedWriteSaysWhy) {
  File file;
  if (!file.Open("/dev/full", FileMode::kWriteOnly)) GTEST_SKIP() << "no /dev/full here";
  EXPECT_FALSE(file.Write("x", 1));
  EXPECT_EQ(file.ErrorText(), "No space left on device");
}

}  // namespace
}  // namespace tarnik
