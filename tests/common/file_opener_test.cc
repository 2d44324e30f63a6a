#include "common/file_opener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tarnik {
namespace {

// What an opener answers for a name: "file <bytes>", "dir" or "none".
std::string Lookup(const FileOpener& files, const std::string& name) {
  if (files.FileExists(name)) {
    std::unique_ptr<ByteSource> source = files.OpenRead(name);
    if (!source) return "unreadable";
    std::string bytes(static_cast<std::size_t>(source->Size()), '\0');
    bytes.resize(source->ReadAt(0, bytes.size(), bytes.data()));
    return "file " + bytes;
  }
  if (files.OpenRead(name)) return "opens but does not exist";
  return files.DirectoryExists(name) ? "dir" : "none";
}

std::string Listing(const FileOpener& files, const std::string& directory,
                    std::string_view pattern) {
  std::vector<std::string> names = files.ListFiles(directory, pattern);
  std::sort(names.begin(), names.end());
  std::string joined;
  for (const std::string& name : names) joined += name + " ";
  return joined;
}

// The memory opener is a stand-in for the disk: the same files give the same answers.
TEST(MemoryFileOpener, AnswersAsTheDiskDoes) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {"echo/base.sqd", "D"}, {"echo/base.sqi", "I"}, {"msg/1.MSG", "one"},
      {"msg/2.msg", "two"},   {"msg/notes.txt", "x"}, {"msg/sub/3.MSG", "three"},
  };
  testing::TempDir dir;
  MemoryFileOpener memory;
  for (const auto& [name, bytes] : files) {
    dir.Write(name, bytes);
    memory.Add(dir.File(name), bytes);
  }
  const FileOpener& disk = DiskFiles();
  const char* names[] = {"echo/base.sqd", "echo/BASE.SQD", "echo/Base.Sqi", "ECHO/base.sqd",
                         "echo/base.sql", "echo",          "echo/",         "msg/sub",
                         "msg/1.msg",     "missing",       "msg/sub/3.msg"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Lookup(memory, dir.File(name)), Lookup(disk, dir.File(name)));
  }
  struct Case {
    const char* directory;
    const char* pattern;
  } listings[] = {
      {"msg", "*.MSG"}, {"msg/", "*.*"}, {"msg", "?.msg"}, {"echo", "*.SQ?"}, {"missing", "*"}};
  for (const Case& c : listings) {
    SCOPED_TRACE(std::string(c.directory) + " " + c.pattern);
    EXPECT_EQ(Listing(memory, dir.File(c.directory), c.pattern),
              Listing(disk, dir.File(c.directory), c.pattern));
  }
  EXPECT_EQ(Listing(memory, dir.File("msg"), "*.MSG"), "1.MSG 2.msg ");
}

TEST(MemoryFileOpener, AnAddedDirectoryExistsEmpty) {
  MemoryFileOpener memory;
  EXPECT_FALSE(memory.DirectoryExists("empty"));
  memory.AddDirectory("empty");
  EXPECT_TRUE(memory.DirectoryExists("empty"));
  EXPECT_TRUE(memory.DirectoryExists("empty/"));
  EXPECT_EQ(Listing(memory, "empty", "*"), "");
}

}  // namespace
}  // namespace tarnik
