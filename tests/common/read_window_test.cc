#include "common/read_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tarnik {
namespace {

// Bytes in memory that log every read as "offset+count", and can grow like an appended file.
class LoggingSource final : public ByteSource {
 public:
  LoggingSource(std::string* bytes, std::vector<std::string>* log) : bytes_(bytes), log_(log) {}
  std::int64_t Size() override { return static_cast<std::int64_t>(bytes_->size()); }
  std::size_t ReadAt(std::int64_t offset, std::size_t count, char* out) override {
    log_->push_back(std::to_string(offset) + "+" + std::to_string(count));
    return MemoryByteSource(*bytes_).ReadAt(offset, count, out);
  }

 private:
  std::string* bytes_;
  std::vector<std::string>* log_;
};

std::string Digits(std::size_t size) {
  std::string bytes;
  for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>('0' + i % 10);
  return bytes;
}

TEST(ReadWindow, ViewsComeFromOneBlockUntilARequestLeavesIt) {
  std::string bytes = Digits(20);
  std::vector<std::string> log;
  ReadWindow window(8);
  window.Reset(std::make_unique<LoggingSource>(&bytes, &log));
  struct Case {
    std::int64_t offset;
    std::size_t count;
    const char* view;
    const char* reads;  // the reads so far, joined by " "
  };
  const Case cases[] = {
      {2, 3, "234", "2+8"},
      {5, 5, "56789", "2+8"},   // the last bytes of the block
      {9, 2, "90", "2+8 9+8"},  // one byte past it: refilled from the request
      {10, 0, "", "2+8 9+8"},
      {15, 4, "5678", "2+8 9+8 15+8"},
      {18, 4, "89", "2+8 9+8 15+8 18+8"},  // the source ends first
      {18, 2, "89", "2+8 9+8 15+8 18+8"},
      {1, 12, "123456789012", "2+8 9+8 15+8 18+8 1+12"},  // larger than a block
      {19, 1, "9", "2+8 9+8 15+8 18+8 1+12"},             // the block stayed where it was
      {30, 1, "", "2+8 9+8 15+8 18+8 1+12 30+8"},
      {-1, 1, "", "2+8 9+8 15+8 18+8 1+12 30+8"},
      // A large request past the end asks only for what the source holds.
      {15, 1000000, "56789", "2+8 9+8 15+8 18+8 1+12 30+8 15+5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.offset) + "+" + std::to_string(c.count));
    EXPECT_EQ(window.View(c.offset, c.count), c.view);
    std::string reads;
    for (const std::string& read : log) reads += (reads.empty() ? "" : " ") + read;
    EXPECT_EQ(reads, c.reads);
  }
}

TEST(ReadWindow, DropAndGrowthReadAgain) {
  std::string bytes = Digits(6);
  std::vector<std::string> log;
  ReadWindow window(8);
  EXPECT_FALSE(window.HasSource());
  EXPECT_EQ(window.View(0, 1), "");
  EXPECT_EQ(window.Size(), 0);
  window.Reset(std::make_unique<LoggingSource>(&bytes, &log));
  EXPECT_EQ(window.View(0, 4), "0123");
  bytes[1] = 'x';
  EXPECT_EQ(window.View(0, 4), "0123");  // still the block
  window.Drop();
  EXPECT_EQ(window.View(0, 4), "0x23");
  // Bytes appended after the block was read are found by the request that needs them.
  bytes += "abc";
  EXPECT_EQ(window.Size(), 9);
  EXPECT_EQ(window.View(4, 4), "45ab");
  EXPECT_EQ(log, (std::vector<std::string>{"0+8", "0+8", "4+8"}));
  window.Reset(nullptr);
  EXPECT_EQ(window.View(0, 1), "");
}

TEST(ByteSource, FileAndMemoryReadTheSame) {
  const std::string bytes = Digits(100);
  testing::TempDir dir;
  dir.Write("bytes.bin", bytes);
  FileByteSource onDisk;
  ASSERT_TRUE(onDisk.Open(dir.File("BYTES.BIN")));
  MemoryByteSource inMemory(bytes);
  EXPECT_EQ(onDisk.Size(), 100);
  EXPECT_EQ(inMemory.Size(), 100);
  struct Case {
    std::int64_t offset;
    std::size_t count;
    std::size_t got;
  };
  const Case cases[] = {{0, 10, 10}, {95, 10, 5}, {99, 1, 1}, {100, 1, 0}, {-5, 3, 0}, {3, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.offset) + "+" + std::to_string(c.count));
    std::string a(c.count, '\0');
    std::string b(c.count, '\0');
    EXPECT_EQ(onDisk.ReadAt(c.offset, c.count, a.data()), c.got);
    EXPECT_EQ(inMemory.ReadAt(c.offset, c.count, b.data()), c.got);
    EXPECT_EQ(a, b);
  }
  FileByteSource missing;
  EXPECT_FALSE(missing.Open(dir.File("missing.bin")));
}

}  // namespace
}  // namespace tarnik
