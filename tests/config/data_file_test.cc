#include "config/data_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/bytes.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

std::string Show(const std::vector<DataEntry>& entries) {
  std::string out;
  for (const DataEntry& e : entries) out += e.name + "=" + std::to_string(e.lastHigh) + ";";
  return out;
}

TEST(DataFile, ReadsFull32BitNumbersAndIgnoresACutRecord) {
  ByteWriter w;
  w.U8(4);
  w.Bytes("ECHO");
  w.U32(0x00012345);  // above 65535: kept whole
  w.U8(0);            // absent name
  w.U32(7);
  w.U8(4);
  w.Bytes("ECHO");  // duplicate stays; lookups find the first
  w.U32(9);
  std::string good = w.bytes();
  EXPECT_EQ(Show(ParseDataFile(good)), "ECHO=74565;=7;ECHO=9;");
  for (std::size_t cut = 1; cut <= 9; ++cut) {
    SCOPED_TRACE(cut);
    EXPECT_EQ(Show(ParseDataFile(good.substr(0, good.size() - cut))), "ECHO=74565;=7;");
  }
  EXPECT_EQ(EncodeDataFile(ParseDataFile(good)), good);
  EXPECT_TRUE(ParseDataFile("").empty());
  // A length byte promising more than the file holds reads nothing past the end.
  EXPECT_TRUE(ParseDataFile(std::string("\xFF"
                                        "AB",
                                        3))
                  .empty());
}

TEST(DataFile, FindOrCreateAppends) {
  std::vector<DataEntry> entries = {{"A", 1}, {"B", 2}, {"A", 3}};
  EXPECT_EQ(FindOrCreateDataEntry(entries, "A").lastHigh, 1u);
  FindOrCreateDataEntry(entries, "C").lastHigh = 5;
  EXPECT_EQ(Show(entries), "A=1;B=2;A=3;C=5;");
}

TEST(DataFile, SaveReplacesAndLoadReadsBack) {
  testing::TempDir dir;
  EXPECT_TRUE(LoadDataFile(dir.File("Tarnik.Dat")).empty());
  dir.Write("Tarnik.Dat", "old contents");
  ASSERT_TRUE(SaveDataFile(dir.File("Tarnik.Dat"), {{"SU.GENERAL", 70000}}));
  EXPECT_EQ(Show(LoadDataFile(dir.File("Tarnik.Dat"))), "SU.GENERAL=70000;");
  EXPECT_FALSE(SaveDataFile(dir.File("no/such/dir/Tarnik.Dat"), {{"X", 1}}));
}

// The first run has no data file and that is no problem; one that is there but cannot be read,
// or cannot be written, is, and the system's reason is kept for the diagnostic.
TEST(DataFile, ReasonsForFilesThatCannotBeReadOrWritten) {
  testing::TempDir dir;
  std::string reason = "untouched";
  EXPECT_TRUE(LoadDataFile(dir.File("Tarnik.Dat"), &reason).empty());
  EXPECT_EQ(reason, "untouched");
  std::filesystem::create_directory(dir.File("Tarnik.Dat"));
  EXPECT_TRUE(LoadDataFile(dir.File("Tarnik.Dat"), &reason).empty());
  EXPECT_EQ(reason, "Is a directory");
  EXPECT_FALSE(SaveDataFile(dir.File("no/such/dir/Tarnik.Dat"), {{"X", 1}}, &reason));
  EXPECT_EQ(reason, "No such file or directory");
}

}  // namespace
}  // namespace tarnik
