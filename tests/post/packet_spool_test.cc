#include "post/packet_spool.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/file_system.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

std::string Listing(const std::string& directory) {
  std::vector<std::string> names = ListFiles(directory, "*");
  std::sort(names.begin(), names.end());
  std::string out;
  for (const std::string& name : names) out += name + " ";
  return out;
}

TEST(SpoolPacket, WritesUnderTheFirstFreeNameAndLeavesNoTemporaryFile) {
  testing::TempDir dir;
  dir.Write("inb/keep.txt", "k");
  std::string path, error;
  ASSERT_TRUE(SpoolPacket(dir.File("inb"), "packet bytes", 0x0badf00d, path, error)) << error;
  EXPECT_EQ(path, dir.File("inb/0badf00d.pkt"));
  EXPECT_EQ(dir.Read("inb/0badf00d.pkt"), "packet bytes");
  EXPECT_EQ(Listing(dir.File("inb")), "0badf00d.pkt keep.txt ");
}

TEST(SpoolPacket, NeverOverwritesAnExistingNameInAnyCase) {
  testing::TempDir dir;
  dir.Write("inb/0000fffe.pkt", "first");
  dir.Write("inb/0000FFFF.PKT", "second");
  dir.Write("inb/00010000.pkt/inside", "a directory of that name");
  std::string path, error;
  ASSERT_TRUE(SpoolPacket(dir.File("inb"), "new", 0xfffe, path, error)) << error;
  EXPECT_EQ(path, dir.File("inb/00010001.pkt"));
  EXPECT_EQ(dir.Read("inb/0000fffe.pkt"), "first");
  EXPECT_EQ(dir.Read("inb/0000FFFF.PKT"), "second");
  EXPECT_EQ(dir.Read("inb/00010001.pkt"), "new");

  // A second packet from the same starting value takes the next free name.
  ASSERT_TRUE(SpoolPacket(dir.File("inb"), "newer", 0xfffe, path, error)) << error;
  EXPECT_EQ(path, dir.File("inb/00010002.pkt"));
  EXPECT_EQ(dir.Read("inb/00010001.pkt"), "new");
  EXPECT_EQ(Listing(dir.File("inb")), "0000FFFF.PKT 0000fffe.pkt 00010001.pkt 00010002.pkt ");
}

TEST(SpoolPacket, TemporaryNameOfAnotherRunIsLeftAlone) {
  testing::TempDir dir;
  dir.Write("inb/tarnik-00000010.tmp", "another run is writing");
  std::string path, error;
  ASSERT_TRUE(SpoolPacket(dir.File("inb"), "mine", 0x10, path, error)) << error;
  EXPECT_EQ(path, dir.File("inb/00000011.pkt"));
  EXPECT_EQ(dir.Read("inb/tarnik-00000010.tmp"), "another run is writing");
  EXPECT_EQ(Listing(dir.File("inb")), "00000011.pkt tarnik-00000010.tmp ");
}

TEST(SpoolPacket, MissingDirectoryIsReportedWithThePath) {
  testing::TempDir dir;
  std::string path, error;
  EXPECT_FALSE(SpoolPacket(dir.File("nowhere"), "bytes", 1, path, error));
  EXPECT_EQ(path, dir.File("nowhere/tarnik-00000001.tmp"));
  EXPECT_EQ(error, "cannot create the packet: No such file or directory");
  EXPECT_FALSE(DirectoryExists(dir.File("nowhere")));
}

}  // namespace
}  // namespace tarnik
