#include "common/line_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/file_opener.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

std::vector<std::string> ReadAll(const std::string& name, std::size_t bufferSize) {
  LineReader reader(bufferSize);
  std::vector<std::string> lines;
  if (!reader.Open(name)) return {"<not opened>"};
  std::string line;
  while (reader.Next(line)) lines.push_back(line);
  return lines;
}

TEST(LineReader, LfAndCrLfEndLinesWhereverTheChunkEnds) {
  testing::TempDir dir;
  dir.Write("t.cfg", "a\r\nbb\n\r\nccc\rx\nlast");
  std::vector<std::string> expected = {"a", "bb", "", "ccc\rx", "last"};
  for (std::size_t size : {1u, 2u, 3u, 4u, 61440u}) {
    SCOPED_TRACE(size);
    EXPECT_EQ(ReadAll(dir.File("t.cfg"), size), expected);
  }
}

TEST(LineReader, CutsLinesAt255BytesAndSkipsTheRest) {
  testing::TempDir dir;
  dir.Write("long.txt", std::string(255, 'a') + "\n" + std::string(256, 'b') + "Z\r\nnext\n");
  auto lines = ReadAll(dir.File("long.txt"), 4);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], std::string(255, 'a'));
  EXPECT_EQ(lines[1], std::string(255, 'b'));
  EXPECT_EQ(lines[2], "next");
}

TEST(LineReader, FindsNamesCaseInsensitivelyAndReportsMissingFiles) {
  testing::TempDir dir;
  dir.Write("AREAS.BBS", "x\n");
  EXPECT_EQ(ReadAll(dir.File("areas.bbs"), 16), std::vector<std::string>{"x"});
  EXPECT_EQ(ReadAll(dir.File("missing"), 16), std::vector<std::string>{"<not opened>"});
  dir.Write("empty", "");
  EXPECT_TRUE(ReadAll(dir.File("empty"), 16).empty());
}

// A file that never ends (/dev/zero named by mistake) or is far larger than any text file of
// the program is refused when opened, with the reason; one of exactly the limit is read.
TEST(LineReader, RefusesAnInputLargerThanTheLimit) {
  testing::TempDir dir;
  dir.Write("limit.cfg", std::string(99, 'a') + "\n");
  dir.Write("over.cfg", std::string(100, 'a') + "\n");
  MemoryFileOpener memory;
  memory.Add("over.cfg", std::string(101, '\n'));
  struct Case {
    std::string name;
    const FileOpener& files;
    bool opened;
  };
  const Case cases[] = {
      {dir.File("limit.cfg"), DiskFiles(), true},
      {dir.File("over.cfg"), DiskFiles(), false},
      {"/dev/zero", DiskFiles(), false},
      {"over.cfg", memory, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LineReader reader(16, 100);
    EXPECT_EQ(reader.Open(c.name, c.files), c.opened);
    EXPECT_EQ(reader.ErrorText(),
              c.opened ? "" : "more than 100 bytes, the most a text file may have");
  }
  LineReader reader;
  EXPECT_FALSE(reader.Open(dir.File("missing.cfg")));
  EXPECT_EQ(reader.ErrorText(), "No such file or directory");
  EXPECT_FALSE(reader.Open("missing.cfg", memory));
  EXPECT_EQ(reader.ErrorText(), "No such file or directory");
}

}  // namespace
}  // namespace tarnik
