#include "areas/fastecho_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "areas/area_test_support.h"
#include "areas/fastecho_format.h"
#include "common/byte_source.h"
#include "common/bytes.h"
#include "common/console.h"
#include "common/diagnostics.h"
#include "common/file_system.h"
#include "common/read_window.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::AreaLanguage;
using testing::RecordingSink;

constexpr char kStart[] = "Loading echo definitions from FastEcho config... ";
constexpr char kDone[] = "Loading echo definitions from FastEcho config... done.\r\n";

std::string Header(std::uint16_t nodeCount, std::uint16_t nodeRecordSize,
                   std::uint32_t extensionSize, std::string_view semaphorePath) {
  ByteWriter w;
  w.Zeros(fastecho::kNodeCountOffset);
  w.U16(nodeCount);
  w.Zeros(fastecho::kSemaphorePathOffset - w.size());
  w.Field(semaphorePath, 66);
  w.Zeros(fastecho::kNodeRecordSizeOffset - w.size());
  w.U16(nodeRecordSize);
  w.U32(extensionSize);
  return w.Take();
}

std::string Area(std::string_view tag, std::uint8_t storage, std::string_view path,
                 std::string_view description = "description") {
  ByteWriter w;
  w.Field(tag, fastecho::kAreaTagSize);
  w.Zeros(fastecho::kAreaStorageOffset - w.size());
  w.U8(storage);
  w.Zeros(fastecho::kAreaPathOffset - w.size());
  w.Field(path, fastecho::kAreaPathSize);
  w.Field(description, fastecho::kAreaDescriptionSize);
  return w.Take();
}

// Records each offer and whether the busy flag was there at that moment.
class FlagCheckingSink final : public AreaSink {
 public:
  explicit FlagCheckingSink(std::string flag) : flag_(std::move(flag)) {}
  void Offer(std::string_view tag, std::string_view areaSpec, char groupLetter) override {
    text += std::string(tag) + " " + std::string(areaSpec) + " " + groupLetter +
            (FileExists(flag_) ? " flag" : " no-flag") + "\n";
  }
  std::string text;

 private:
  std::string flag_;
};

struct ReadResult {
  std::string console;
  std::string areas;
  std::string errors;
};

ReadResult ReadConfig(const std::string& path) {
  RecordingSink sink;
  StringConsole console;
  StringConsole errors;
  Diagnostics diagnostics(errors);
  LanguageTable language = AreaLanguage();
  FastEchoReader(language).Read(path, sink, console, diagnostics);
  return {console.text(), sink.text, errors.text()};
}

TEST(FastEchoReader, OffersMsgSquishAndJamAreasWhileHoldingTheFlag) {
  testing::TempDir dir;
  std::string tag52(52, 'T');
  std::string file = Header(2, 7, 10, "sem\\") + std::string(10, 'e') + std::string(14, 'n') +
                     Area("SU.GENERAL", 0x02, "c:\\fe\\sq\\sugen") +
                     Area("msg.area", 0x01, "c:\\msg\\") + Area("JAM", 0x03, "jam") +
                     Area("HUDSON", 0x00, "") + Area("PASS", 0x07, "p") +
                     Area("KIND", 0x32, "kind") + Area("", 0x01, "") + Area("SIX", 0x06, "x");
  // A tag that fills its whole field has no terminating NUL.
  std::string full = Area("", 0x03, "full");
  full.replace(0, 52, tag52);
  file += full;
  for (std::uint8_t type : {4, 5, 8, 9, 10, 11, 12, 13, 14, 15}) file += Area("H", type, "h");
  dir.Write("fastecho.cfg", file);

  FlagCheckingSink sink("sem/febusy.0");
  StringConsole console;
  LanguageTable language = AreaLanguage();
  FastEchoReader(language).Read(dir.File("FASTECHO.CFG"), sink, console);
  EXPECT_EQ(sink.text,
            "SU.GENERAL Sc:/fe/sq/sugen A flag\n"
            "msg.area Mc:/msg/ A flag\n"
            "JAM Jjam A flag\n"
            "KIND Skind A flag\n"
            " M A flag\n" +
                tag52 + " Jfull A flag\n");
  EXPECT_EQ(console.text(), kDone);
  EXPECT_TRUE(DirectoryExists("sem"));
  EXPECT_FALSE(FileExists("sem/febusy.0"));
}

TEST(FastEchoReader, BaseLetters) {
  const char expected[] = "HMSJHHHPHHHHHHHH";
  for (std::uint8_t type = 0; type < 16; ++type) {
    SCOPED_TRACE(static_cast<int>(type));
    EXPECT_EQ(FastEchoBaseLetter(type), expected[type]);
  }
}

TEST(FastEchoReader, BusyFlagName) {
  struct Case {
    std::string directory;
    std::string flag;
  } cases[] = {
      {"c:\\fe\\sem", "c:/fe/sem/febusy.0"},
      {"c:\\fe\\sem\\", "c:/fe/sem/febusy.0"},
      {"/var/fe/", "/var/fe/febusy.0"},
      {"", "febusy.0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.directory);
    EXPECT_EQ(FastEchoBusyFlag(c.directory), c.flag);
  }
}

TEST(FastEchoReader, CreatesTheFlagDirectoryLevelByLevel) {
  testing::TempDir dir;
  dir.Write("fe.cfg", Header(0, 0, 0, "a\\b\\c") + Area("T", 2, "t"));
  FlagCheckingSink sink("a/b/c/febusy.0");
  StringConsole console;
  LanguageTable language = AreaLanguage();
  FastEchoReader(language).Read(dir.File("fe.cfg"), sink, console);
  EXPECT_EQ(sink.text, "T St A flag\n");
  EXPECT_TRUE(DirectoryExists("a/b/c"));
  EXPECT_FALSE(FileExists("a/b/c/febusy.0"));
}

TEST(FastEchoReader, RefusesWhileTheFlagExists) {
  for (std::string flagName : {"febusy.0", "FEBUSY.0"}) {
    SCOPED_TRACE(flagName);
    testing::TempDir dir;
    dir.Write("fe.cfg", Header(0, 0, 0, "sem") + Area("T", 2, "t"));
    dir.Write("sem/" + flagName, "");
    ReadResult run = ReadConfig(dir.File("fe.cfg"));
    EXPECT_EQ(run.console,
              std::string(kStart) + "fault.\r\nAnother copy of fastecho/feutil is working!\r\n");
    EXPECT_EQ(run.errors,
              "tarnik: sem/febusy.0: FastEcho's busy flag is set (FastEcho or FEUtil "
              "is running); no echo imported\n");
    EXPECT_EQ(run.areas, "");
    EXPECT_TRUE(FileExists("sem/" + flagName)) << "someone else's flag stays";
  }
  // A directory of that name is no flag.
  testing::TempDir dir;
  dir.Write("fe.cfg", Header(0, 0, 0, "") + Area("T", 2, "t"));
  CreateDirectory(dir.File("febusy.0"));
  EXPECT_EQ(ReadConfig(dir.File("fe.cfg")).areas, "T St A\n");
}

TEST(FastEchoReader, ShortOrMissingFilesCannotBeOpened) {
  const std::string kShort =
      "tarnik: fe.cfg: shorter than a FastEcho configuration header; no echo imported\n";
  struct Case {
    std::string name;
    std::string contents;
    bool write;
    std::string errors;
  } cases[] = {
      {"missing", "", false,
       "tarnik: fe.cfg: cannot open the tosser configuration: No such file or directory; no "
       "echo imported\n"},
      {"empty", "", true, kShort},
      {"one byte short of a header", Header(0, 0, 0, "sem").substr(0, 4643), true, kShort},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    if (c.write) dir.Write("fe.cfg", c.contents);
    ReadResult run = ReadConfig("fe.cfg");
    EXPECT_EQ(run.console, std::string(kStart) + "fault.\r\nUnable to open file fe.cfg\r\n");
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_FALSE(DirectoryExists("sem")) << "no flag without a header";
  }
}

TEST(FastEchoReader, AreaRecordsToTheEndOfTheFile) {
  const std::string two = Area("ONE", 2, "one") + Area("TWO", 3, "two");
  struct Case {
    std::string name;
    std::string file;
    std::string expected;
  } cases[] = {
      {"no area records", Header(1, 20, 0, "") + std::string(20, 'n'), ""},
      {"header only", Header(0, 0, 0, ""), ""},
      {"incomplete last record is dropped", Header(0, 0, 0, "") + two + std::string(189, 'x'),
       "ONE Sone A\nTWO Jtwo A\n"},
      {"node records are skipped", Header(3, 190, 0, "") + two + two + two.substr(0, 190),
       "TWO Jtwo A\nONE Sone A\n"},
      {"first area beyond the end", Header(0xFFFF, 0xFFFF, 0xFFFFFFFF, "") + two, ""},
      // In 32 bits 4644 + 0xFFFFFFFF + 1 would wrap back to the first byte after the header.
      {"no 32-bit wrap", Header(1, 1, 0xFFFFFFFF, "") + two, ""},
      {"extension blocks are skipped", Header(0, 0, 190, "") + two, "TWO Jtwo A\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    dir.Write("fe.cfg", c.file);
    ReadResult run = ReadConfig("fe.cfg");
    EXPECT_EQ(run.areas, c.expected);
    EXPECT_EQ(run.console, kDone);
    EXPECT_FALSE(FileExists("febusy.0"));

    // The same bytes in memory, through blocks that records straddle, offer the same areas.
    FastEchoHeader header;
    ASSERT_TRUE(ParseFastEchoHeader(c.file, header));
    ReadWindow config(500);
    config.Reset(std::make_unique<MemoryByteSource>(c.file));
    RecordingSink sink;
    OfferFastEchoAreas(config, header, sink);
    EXPECT_EQ(sink.text, c.expected);
  }
}

TEST(FastEchoReader, HostileBytesNeverCrash) {
  testing::TempDir dir;
  // A semaphore directory without a terminating NUL runs to the end of the header.
  std::string header = Header(0, 0, 0, "");
  for (std::size_t i = fastecho::kSemaphorePathOffset; i < fastecho::kNodeRecordSizeOffset; ++i) {
    header[i] = 'd';
  }
  dir.Write("fe.cfg", header + Area("T", 2, "t"));
  EXPECT_EQ(ReadConfig("fe.cfg").console, kDone);
  EXPECT_FALSE(FileExists(std::string(255, 'd') + "/febusy.0"));

  std::mt19937 random(20240611);
  for (int round = 0; round < 50; ++round) {
    SCOPED_TRACE(round);
    std::string bytes(std::uniform_int_distribution<std::size_t>(0, 8000)(random), '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    // Keep the busy-flag directory empty, so no directories are made from random bytes.
    if (bytes.size() > fastecho::kSemaphorePathOffset) bytes[fastecho::kSemaphorePathOffset] = 0;
    if (round % 2 == 0 && bytes.size() >= fastecho::kHeaderSize) {
      StoreU16(&bytes[fastecho::kNodeCountOffset], 0);
      StoreU32(&bytes[fastecho::kExtensionSizeOffset], 0);
    }
    dir.Write("fe.cfg", bytes);
    ReadResult run = ReadConfig("fe.cfg");
    EXPECT_EQ(run.console.rfind(kStart, 0), 0u);
    EXPECT_FALSE(FileExists("febusy.0"));
  }
}

}  // namespace
}  // namespace tarnik
