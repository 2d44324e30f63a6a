#include "common/file_system.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace tarnik {
namespace {

TEST(RenameNoReplace, RenamesOnlyToAFreeName) {
  testing::TempDir dir;
  dir.Write("a.tmp", "packet");
  dir.Write("taken.pkt", "old");
  dir.Write("folder.pkt/inside", "");
  std::string error;
  EXPECT_EQ(RenameNoReplace(dir.File("a.tmp"), dir.File("taken.pkt"), error),
            RenameResult::kTargetExists);
  EXPECT_EQ(RenameNoReplace(dir.File("a.tmp"), dir.File("folder.pkt"), error),
            RenameResult::kTargetExists);
  EXPECT_EQ(dir.Read("taken.pkt"), "old");
  EXPECT_EQ(dir.Read("a.tmp"), "packet");

  EXPECT_EQ(RenameNoReplace(dir.File("a.tmp"), dir.File("free.pkt"), error), RenameResult::kDone);
  EXPECT_EQ(dir.Read("free.pkt"), "packet");
  EXPECT_FALSE(FileExists(dir.File("a.tmp")));

  EXPECT_EQ(RenameNoReplace(dir.File("a.tmp"), dir.File("other.pkt"), error),
            RenameResult::kFailed);
  EXPECT_EQ(error, "No such file or directory");
}

}  // namespace
}  // namespace tarnik
