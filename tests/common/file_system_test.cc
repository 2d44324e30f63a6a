#include "common/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tarnik {
namespace {

TEST(ResolveExisting, ExactNameFirstThenLastComponentInAnyLatinCase) {
  testing::TempDir dir;
  dir.Write("Tarnik.Cfg", "");
  dir.Write("Sub/Echo.Sqd", "");
  dir.Write("\x80.txt", "");  // Cyrillic capital A in code page 866
  struct Case {
    std::string path;      // relative to the directory; absolute rows are made from it
    std::string expected;  // relative to the directory; "" when nothing is found
  };
  const Case cases[] = {
      {"Tarnik.Cfg", "Tarnik.Cfg"},
      {"tarnik.cfg", "Tarnik.Cfg"},
      {"TARNIK.CFG", "Tarnik.Cfg"},
      {"Tarnik.Cf", ""},
      {"Tarnik.Cfg.bak", ""},
      {"Sub/echo.sqd", "Sub/Echo.Sqd"},
      {"SUB", "Sub"},
      {"sub/", "Sub"},
      // Only the last component is looked up in another case; the directories must be exact.
      {"sub/Echo.Sqd", ""},
      {"SUB/ECHO.SQD", ""},
      // DOS folds file names in ASCII only: the small Cyrillic letter is another name.
      {"\x80.txt", "\x80.txt"},
      {"\xA0.txt", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string expected = c.expected.empty() ? "" : dir.File(c.expected);
    EXPECT_EQ(ResolveExisting(dir.File(c.path)), expected);
    // The test has entered the directory, so a relative path resolves against it.
    EXPECT_EQ(ResolveExisting(c.path), c.expected);
  }
  EXPECT_EQ(ResolveExisting(""), "");
}

TEST(ResolveExisting, SeveralSpellingsKeepTheExactOneAndFallBackToAnyOfThem) {
  testing::TempDir dir;
  const std::vector<std::string> spellings = {"echo.sqd", "ECHO.SQD", "Echo.Sqd"};
  for (const std::string& name : spellings) dir.Write(name, name);
  for (const std::string& name : spellings) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ResolveExisting(dir.File(name)), dir.File(name));
    EXPECT_TRUE(FileExists(dir.File(name)));
    std::string contents;
    ASSERT_TRUE(ReadWholeFile(dir.File(name), contents));
    EXPECT_EQ(contents, name);
  }
  // No exact match: whichever spelling the directory lists first.
  const std::string found = ResolveExisting(dir.File("eCHO.sQD"));
  ASSERT_FALSE(found.empty());
  EXPECT_NE(std::find(spellings.begin(), spellings.end(), found.substr(dir.path().size())),
            spellings.end())
      << found;
}

TEST(ResolveExisting, FileAndDirectoryTestsFollowTheLookup) {
  testing::TempDir dir;
  dir.Write("Areas.Bbs", "x");
  dir.Write("Netmail/1.msg", "");
  std::filesystem::create_directory(dir.File("Empty"));
  struct Case {
    std::string path;
    bool file;
    bool directory;
    bool hasEntries;
  };
  const Case cases[] = {
      {"areas.bbs", true, false, false}, {"NETMAIL", false, true, true},
      {"netmail/", false, true, true},   {"empty", false, true, false},
      {"missing", false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FileExists(dir.File(c.path)), c.file);
    EXPECT_EQ(DirectoryExists(dir.File(c.path)), c.directory);
    EXPECT_EQ(DirectoryHasEntries(dir.File(c.path)), c.hasEntries);
  }
}

TEST(WildcardMatch, DosWildcardsInAnyLatinCase) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      // "*.*" is every name, with or without a dot, as on DOS.
      {"*.*", "README", true},
      {"*.*", "1.msg", true},
      {"*.*", "", true},
      {"*", "anything.at.all", true},
      {"*.msg", "1.msg", true},
      {"*.msg", "1.MSG", true},
      {"*.MSG", "1.msg", true},
      {"*.msg", "1.msgx", false},
      {"*.msg", "msg", false},
      {"*.msg", ".msg", true},
      {"?.msg", "1.msg", true},
      {"?.msg", "12.msg", false},
      {"??.msg", "1.msg", false},
      {"?", "", false},
      {"", "", true},
      {"", "a", false},
      {"a", "", false},
      {"echo.sq?", "ECHO.SQD", true},
      {"echo.sq?", "echo.sq", false},
      {"a*b", "ab", true},
      {"a*b", "axxb", true},
      {"a*b", "axxbc", false},
      // A star that first takes too little must give way to a later match.
      {"*ab", "aab", true},
      {"*a*a", "aaba", true},
      {"*a?c", "abxabc", true},
      {"a**b", "ab", true},
      {"*x*", "abc", false},
      // Only ASCII letters fold; code page 866 letters are compared as bytes.
      {"\x80*", "\xA0.txt", false},
      {"\x80*", "\x80.txt", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " ~ " + c.name);
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches);
  }
}

TEST(ListFiles, PlainFilesOfTheDirectoryMatchingThePattern) {
  testing::TempDir dir;
  dir.Write("Netmail/1.MSG", "");
  dir.Write("Netmail/2.msg", "");
  dir.Write("Netmail/notes.txt", "");
  dir.Write("Netmail/sub.msg/3.msg", "");  // a directory is never listed
  std::error_code error;
  std::filesystem::create_symlink("2.msg", dir.File("Netmail/link.msg"), error);
  std::filesystem::create_symlink("gone.msg", dir.File("Netmail/dangling.msg"), error);
  ASSERT_FALSE(error);
  struct Case {
    std::string directory;
    const char* pattern;
    const char* expected;  // sorted names, one per line
  };
  const Case cases[] = {
      {"Netmail", "*.msg", "1.MSG\n2.msg\nlink.msg\n"},
      {"netmail", "*.MSG", "1.MSG\n2.msg\nlink.msg\n"},
      {"NETMAIL/", "?.msg", "1.MSG\n2.msg\n"},
      {"Netmail", "*.*", "1.MSG\n2.msg\nlink.msg\nnotes.txt\n"},
      {"Netmail", "*.pkt", ""},
      {"Missing", "*.*", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.directory + " " + c.pattern);
    std::vector<std::string> names = ListFiles(dir.File(c.directory), c.pattern);
    std::sort(names.begin(), names.end());
    std::string out;
    for (const std::string& name : names) out += name + "\n";
    EXPECT_EQ(out, c.expected);
  }
  // An empty directory name is the current one (the test stands in the temporary directory).
  std::filesystem::current_path(dir.File("Netmail"), error);
  std::vector<std::string> here = ListFiles("", "?.MSG");
  std::sort(here.begin(), here.end());
  EXPECT_EQ(here, (std::vector<std::string>{"1.MSG", "2.msg"}));
}

TEST(ReplaceFile, ReplacesWholeOrLeavesEverythingAsItWas) {
  struct Case {
    const char* name;
    const char* existing;  // a file of that name with "old" in it, or a directory when it ends in
                           // "/"; "" for none
    const char* path;      // what ReplaceFile is given
    bool result;
    const char* listing;  // the directory afterwards: no temporary file may be left
  };
  const Case cases[] = {
      {"new file", "", "Tarnik.Dat", true, "Tarnik.Dat=new\n"},
      {"replaced", "Tarnik.Dat", "Tarnik.Dat", true, "Tarnik.Dat=new\n"},
      {"another spelling is replaced, none added", "Tarnik.Dat", "TARNIK.DAT", true,
       "Tarnik.Dat=new\n"},
      {"a directory in the way", "Tarnik.Dat/", "Tarnik.Dat", false, "Tarnik.Dat/\n"},
      {"a missing directory", "", "Missing/Tarnik.Dat", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    const std::string existing = c.existing;
    if (!existing.empty() && existing.back() == '/') {
      dir.Write(existing + "keep", "kept");
    } else if (!existing.empty()) {
      dir.Write(existing, "old");
    }
    EXPECT_EQ(ReplaceFile(dir.File(c.path), "new"), c.result);
    EXPECT_EQ(dir.Listing(), c.listing);
    if (!existing.empty() && existing.back() == '/') {
      EXPECT_EQ(dir.Listing(existing), "keep=kept\n");
    }
  }
}

TEST(ReplaceFile, EmptyContentsAndBinaryBytesArriveWhole) {
  testing::TempDir dir;
  const std::string bytes("\0\r\n\x1A\xFF", 5);
  const std::string cases[] = {bytes, "", std::string(70000, 'x')};
  for (const std::string& contents : cases) {
    SCOPED_TRACE(contents.size());
    ASSERT_TRUE(ReplaceFile(dir.File("data.bin"), contents));
    EXPECT_EQ(dir.Read("data.bin"), contents);
    EXPECT_EQ(dir.Listing(), "data.bin=" + contents + "\n");
  }
}

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

// A device or pipe has no size: it is read to its end (here bounded by the limit), where a
// read by size would find it empty.
TEST(ReadWholeFile, ReadsADeviceToTheLimitAndRefusesMore) {
  std::string contents;
  std::string reason;
  EXPECT_FALSE(ReadWholeFile("/dev/zero", contents, &reason, 4096));
  EXPECT_EQ(reason, "more than 4096 bytes, the most a text file may have");
  EXPECT_TRUE(ReadWholeFile("/dev/null", contents, &reason, 4096));
  EXPECT_EQ(contents, "");
}

}  // namespace
}  // namespace tarnik
