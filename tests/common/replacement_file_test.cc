#include "common/replacement_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tarnik {
namespace {

namespace fs = std::filesystem;

// The old file stays until the new one is whole, a link keeps pointing where it did (to the
// new file), and no temporary file is left either way.
TEST(ReplacementFile, PutsTheNewFileInPlaceOnlyWhenCommitted) {
  struct Case {
    const char* name;
    bool commit;
    const char* before;  // the report's state: "file", "link", "dangling link" or ""
    std::string listing;
    std::string reports;  // the listing of reports/
  };
  const Case cases[] = {
      {"new file", true, "", "r.txt=new\nreports/\n", ""},
      {"replaced", true, "file", "r.txt=new\nreports/\n", ""},
      {"abandoned", false, "file", "r.txt=old\nreports/\n", ""},
      {"abandoned new file", false, "", "reports/\n", ""},
      {"through a link", true, "link", "r.txt -> reports/current.txt\nreports/\n",
       "current.txt=new\n"},
      {"abandoned through a link", false, "link", "r.txt -> reports/current.txt\nreports/\n",
       "current.txt=old\n"},
      {"through a link to nothing yet", true, "dangling link",
       "r.txt -> reports/current.txt\nreports/\n", "current.txt=new\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    fs::create_directory(dir.File("reports"));
    const std::string before = c.before;
    if (before == "file") dir.Write("r.txt", "old");
    if (before == "link") dir.Write("reports/current.txt", "old");
    if (before == "link" || before == "dangling link") {
      fs::create_symlink("reports/current.txt", dir.File("r.txt"));
    }
    {
      ReplacementFile file;
      ASSERT_TRUE(file.Open(dir.File("r.txt")));
      EXPECT_EQ(file.ReplacesExisting(), before == "file" || before == "link");
      ASSERT_TRUE(file.Write("new", 3));
      // Nothing is in place before the commit.
      EXPECT_EQ(dir.Read(before == "file" ? "r.txt" : "reports/current.txt"),
                before == "file" || before == "link" ? "old" : "");
      if (c.commit) {
        EXPECT_TRUE(file.Commit());
      }
    }
    EXPECT_EQ(dir.Listing(), c.listing);
    EXPECT_EQ(dir.Listing("reports/"), c.reports);
  }
}

TEST(ReplacementFile, KeepsTheModeOfTheFileItReplaces) {
  testing::TempDir dir;
  dir.Write("r.txt", "old");
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(dir.File("r.txt"), mode);
  ReplacementFile file;
  ASSERT_TRUE(file.Open(dir.File("r.txt")));
  ASSERT_TRUE(file.Write("new", 3));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(dir.Read("r.txt"), "new");
  EXPECT_EQ(fs::status(dir.File("r.txt")).permissions() & fs::perms::all, mode);
}

// What is no regular file cannot be renamed over: a device is written in place, and a failed
// write there is a failure; a directory in the way or a missing one fails at once.
TEST(ReplacementFile, DevicesAreWrittenInPlaceAndFailuresSaySo) {
  {
    ReplacementFile file;
    ASSERT_TRUE(file.Open("/dev/null"));
    EXPECT_FALSE(file.ReplacesExisting());
    EXPECT_TRUE(file.Write("x", 1));
    EXPECT_TRUE(file.Commit());
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
  }
  {
    ReplacementFile file;
    ASSERT_TRUE(file.Open("/dev/full"));
    EXPECT_FALSE(file.Write("x", 1));
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(file.ErrorText(), "No space left on device");
  }
  testing::TempDir dir;
  dir.Write("r.txt/keep", "kept");
  ReplacementFile file;
  EXPECT_FALSE(file.Open(dir.File("r.txt")));
  EXPECT_EQ(file.ErrorText(), "Is a directory");
  EXPECT_FALSE(file.Open(dir.File("missing/r.txt")));
  EXPECT_EQ(file.ErrorText(), "No such file or directory");
  EXPECT_EQ(dir.Listing(), "r.txt/\n");
}

// A report the sysop may write in a directory the run may not write in: nothing can be put
// beside it, so it is written in place, as it always was.
TEST(ReplacementFile, AFileInADirectoryThatCannotBeWrittenIsWrittenInPlace) {
  testing::TempDir dir;
  dir.Write("ro/r.txt", "old");
  fs::permissions(dir.File("ro"), fs::perms::owner_read | fs::perms::owner_exec);
  std::error_code error;
  {
    ReplacementFile probe;
    if (probe.Open(dir.File("ro/probe")) && probe.Commit()) {
      fs::remove(dir.File("ro/probe"), error);
      fs::permissions(dir.File("ro"), fs::perms::owner_all);
      GTEST_SKIP() << "permissions do not bind this user";
    }
  }
  ReplacementFile file;
  ASSERT_TRUE(file.Open(dir.File("ro/r.txt")));
  EXPECT_FALSE(file.ReplacesExisting());
  ASSERT_TRUE(file.Write("new", 3));
  EXPECT_TRUE(file.Commit());
  fs::permissions(dir.File("ro"), fs::perms::owner_all);
  EXPECT_EQ(dir.Read("ro/r.txt"), "new");
}

// A run killed while writing leaves "<name>.tmp<pid>"; the next replacement removes those of
// processes that are gone and nothing else.
TEST(ReplacementFile, RemovesTemporaryFilesOfRunsThatAreGone) {
  testing::TempDir dir;
  dir.Write("r.txt", "old");
  // No process has a number this large.
  dir.Write("r.txt.tmp2147483000", "left by a killed run");
  dir.Write("r.txt.tmp1", "a process that lives");
  dir.Write("r.txt.tmpx", "not a process number");
  dir.Write("other.txt.tmp2147483000", "another file's");
  ReplacementFile file;
  ASSERT_TRUE(file.Open(dir.File("r.txt")));
  ASSERT_TRUE(file.Write("new", 3));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(dir.Listing(),
            "other.txt.tmp2147483000=another file's\n"
            "r.txt.tmp1=a process that lives\n"
            "r.txt.tmpx=not a process number\n"
            "r.txt=new\n");
}

}  // namespace
}  // namespace tarnik
