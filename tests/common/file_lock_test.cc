#include "common/file_lock.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace tarnik {
namespace {

// Two holders in one process stand for two runs: the lock belongs to the open file, so the
// second is kept out until the first lets go.
TEST(FileLock, KeepsASecondHolderOutUntilTheFirstReleases) {
  testing::TempDir dir;
  std::string reason;
  FileLock first;
  FileLock second;
  ASSERT_EQ(first.Take(dir.File("Tarnik.Dat.lock"), 0, reason), FileLock::Result::kTaken);
  EXPECT_TRUE(first.Held());
  EXPECT_EQ(second.Take(dir.File("Tarnik.Dat.lock"), 0, reason), FileLock::Result::kBusy);
  EXPECT_EQ(second.Take(dir.File("Tarnik.Dat.lock"), 250, reason), FileLock::Result::kBusy);
  EXPECT_FALSE(second.Held());
  first.Release();
  EXPECT_EQ(second.Take(dir.File("Tarnik.Dat.lock"), 0, reason), FileLock::Result::kTaken);
  // The lock file stays for the next run.
  EXPECT_EQ(dir.Read("Tarnik.Dat.lock"), "");
}

TEST(FileLock, ALockFileThatCannotBeMadeSaysWhy) {
  testing::TempDir dir;
  std::string reason;
  FileLock lock;
  EXPECT_EQ(lock.Take(dir.File("missing/Tarnik.Dat.lock"), 0, reason), FileLock::Result::kFailed);
  EXPECT_EQ(reason, "No such file or directory");
  EXPECT_FALSE(lock.Held());
}

}  // namespace
}  // namespace tarnik
