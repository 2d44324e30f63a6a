// fuzz_seeds: writes the seed corpora of the fuzz targets, one directory per target.
//
//   fuzz_seeds SOURCE_DIR FIXTURES_DIR OUT_DIR
//
// Seeds come from small bases made here with the writing side of each format, from the bases
// of the interop fixtures (skipped when FIXTURES_DIR is missing), from the sample files under
// data/, and from a few hand-made inputs. Each seed is laid out as its target splits input.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "areas/fastecho_format.h"
#include "common/bytes.h"
#include "common/clock.h"
#include "common/file_system.h"
#include "config/data_file.h"
#include "core/ftn_address.h"
#include "core/language_table.h"
#include "fuzz_support.h"
#include "msgbase/message_base.h"

namespace {

using namespace tarnik;

std::string outDir;
int seedCount = 0;

void Seed(std::string_view target, std::string_view name, std::string_view bytes) {
  std::string dir = outDir + std::string(target) + "/";
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  fuzz::WriteBytes(dir + std::string(name), bytes);
  ++seedCount;
}

std::string Read(const std::string& path) {
  std::string bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

std::string U32(std::size_t value) {
  std::string bytes(4, '\0');
  StoreU32(bytes.data(), static_cast<std::uint32_t>(value));
  return bytes;
}

std::string U16(std::size_t value) {
  std::string bytes(2, '\0');
  StoreU16(bytes.data(), static_cast<std::uint16_t>(value));
  return bytes;
}

std::string SquishSeed(const std::string& base) {
  std::string sqd = Read(base + ".sqd");
  return U32(sqd.size()) + sqd + Read(base + ".sqi");
}

std::string JamSeed(const std::string& base) {
  std::string jhr = Read(base + ".jhr");
  std::string jdx = Read(base + ".jdx");
  return U32(jhr.size()) + U32(jdx.size()) + jhr + jdx + Read(base + ".jdt");
}

// Files as the *.MSG target reads them: number byte, 16-bit length, bytes.
std::string MsgDirSeed(const std::vector<std::pair<int, std::string>>& files) {
  std::string seed;
  for (const auto& [number, bytes] : files) {
    seed += static_cast<char>(number);
    seed += U16(bytes.size());
    seed += bytes.substr(0, 0xFFFF);
  }
  return seed;
}

struct Posting {
  const char* from;
  const char* to;
  const char* subject;
  const char* kludges;
  const char* body;
  std::uint16_t day;
};

constexpr Posting kPostings[] = {
    {"John Doe", "All", "Hello", "\x01MSGID: 2:5020/9999.12 0badcafe\r\x01PID: Fuzz 1\r",
     "Hi all.\r\r--- Fuzz\r * Origin: Test (2:5020/9999.12)\rSEEN-BY: 5020/1 9999\r"
     "\x01PATH: 5020/9999\r",
     3},
    {"\x88\xa2\xa0\xad", "John Doe", "Re: Hello",
     "\x01MSGID: 1:261/38 12345678\r\x01REPLY: 2:5020/9999.12 0badcafe\r",
     " JD> Hi all.\rHello John.\r@not counted\r---\r", 4},
    {"", "ALL", "", "", "Line without kludges and without origin", 5},
};

// Writes the postings into a new base of that kind; false when the writing side refuses.
bool MakeBase(std::string_view kind, const std::string& path) {
  FixedClock clock(LocalTime{2025, 2, 6, 10, 20, 31, 0});
  std::unique_ptr<MessageBase> base = CreateMessageBase(kind, nullptr, clock);
  if (!base || !base->Create(path)) return false;
  for (const Posting& p : kPostings) {
    if (!base->NewMessage()) return false;
    base->SetFrom(p.from);
    base->SetTo(p.to);
    base->SetSubject(p.subject);
    base->SetMsgType(1);
    base->SetDateWritten(MsgDateTime{10, 20, 31, 0, p.day, 2, 2025});
    base->SetDateArrived(MsgDateTime{11, 0, 0, 0, p.day, 2, 2025});
    base->WriteText(p.kludges);
    base->WriteText(p.body);
    if (!base->WriteMessage()) return false;
    base->CloseMessage();
  }
  base->Close();
  return true;
}

void BaseSeeds(const std::string& fixtures) {
  std::string work = fuzz::FreshDir("seeds");
  if (MakeBase("S", work + "squish/made")) Seed("squish", "made", SquishSeed(work + "squish/made"));
  if (MakeBase("J", work + "jam/made")) Seed("jam", "made", JamSeed(work + "jam/made"));
  if (MakeBase("F", work + "msg/")) {
    std::vector<std::pair<int, std::string>> files;
    for (int n = 1; n <= 3; ++n)
      files.emplace_back(n, Read(work + "msg/" + std::to_string(n) + ".msg"));
    Seed("msg_dir", "made", MsgDirSeed(files));
  }

  if (!DirectoryExists(fixtures)) {
    std::printf("fuzz_seeds: no fixtures at %s, only made seeds\n", fixtures.c_str());
    return;
  }
  for (const char* name : {"SMALL", "killed"}) {
    Seed("squish", name, SquishSeed(fixtures + "smapi/squish/" + name));
  }
  Seed("jam", "cm_small", JamSeed(fixtures + "crashmail/jam/CM_JAM_SMALL"));
  Seed("jam", "sm_killed", JamSeed(fixtures + "smapi/jam/killed"));
  Seed("jam", "cm_packed", JamSeed(fixtures + "crashmail/jam/packed"));
  Seed("msg_dir", "sm_talk",
       MsgDirSeed({{1, Read(fixtures + "smapi/msg/talk/1.msg")},
                   {2, Read(fixtures + "smapi/msg/talk/2.msg")},
                   {3, Read(fixtures + "smapi/msg/talk/3.msg")}}));
  Seed("msg_dir", "cm_plain",
       MsgDirSeed({{2, Read(fixtures + "crashmail/msg/plain/2.msg")},
                   {3, Read(fixtures + "crashmail/msg/plain/3.msg")}}));
  Seed("msg_dir", "cm_netmail", MsgDirSeed({{2, Read(fixtures + "crashmail/msg/netmail/2.msg")}}));
  Seed("configuration", "fidoconfig_like", Read(fixtures + "crashmail/fidoconfig"));
  const std::string fidoconfig = Read(fixtures + "smapi/fidoconfig");
  Seed("tosser_config", "smapi_fidoconfig", U32(fidoconfig.size()) + fidoconfig);
}

std::string FastEchoArea(std::string_view tag, std::uint8_t storage, std::string_view path) {
  std::string record(fastecho::kAreaRecordSize, '\0');
  record.replace(fastecho::kAreaTagOffset, tag.size(), tag);
  record[fastecho::kAreaStorageOffset] = static_cast<char>(storage);
  record.replace(fastecho::kAreaPathOffset, path.size(), path);
  record.replace(fastecho::kAreaDescriptionOffset, 4, "Desc");
  return record;
}

void FastEchoSeeds() {
  std::string header(fastecho::kHeaderSize, '\0');
  header.replace(0, 4, "FE\x01\x00", 4);
  std::string areas = FastEchoArea("FIDO.SQUISH", 0x12, "C:\\FE\\SQ\\FIDO") +
                      FastEchoArea("FIDO.JAM", 0x13, "C:\\FE\\JAM\\FIDO") +
                      FastEchoArea("FIDO.MSG", 0x11, "C:\\FE\\MSG\\FIDO\\") +
                      FastEchoArea("HUDSON", 0x10, "") + FastEchoArea("PASS", 0x07, "");
  Seed("fastecho", "plain", header + areas);

  // Two node records and an extension block before the areas.
  std::string withNodes = header;
  StoreU16(withNodes.data() + fastecho::kNodeCountOffset, 2);
  StoreU16(withNodes.data() + fastecho::kNodeRecordSizeOffset, 24);
  StoreU32(withNodes.data() + fastecho::kExtensionSizeOffset, 16);
  Seed("fastecho", "nodes", withNodes + std::string(16 + 2 * 24, '\x55') + areas);
}

void TextSeeds(const std::string& source) {
  // The default template one section a seed: the target's inputs are capped far below the
  // whole file, whose sections hold nothing one of them alone does not.
  const std::string full = Read(source + "data/templates/Default.Tpl");
  int section = 0;
  for (std::size_t at = full.find("#define"); at != std::string::npos;) {
    const std::size_t end = full.find("#end", at);
    const std::size_t next = end == std::string::npos ? end : full.find("#define", end);
    Seed("template", "default-" + std::to_string(++section),
         full.substr(at, next == std::string::npos ? next : next - at));
    at = next;
  }
  Seed("template", "small",
       "; comment\r\n#define Header\r\n@echo @description @messages\r\n"
       "@assign(@x,@numformat(1234567))\r\n@rightpad(@username,20) @x\r\n#end\r\n"
       "#define ByTotal\r\n@assign(@linelength,30)\r\n@num. @username @linebytotal\r\n#end\n");
  Seed("configuration", "sample", Read(source + "data/sample/Tarnik.Cfg"));
  Seed("configuration", "small",
       "areafile areasbbs areas.bbs\r\ndatafile Tarnik.Dat\r\ntemplatepath templates\\\r\n"
       "define FIDO.* RU\\..*TALK ~A\r\n description \"Fido\"\r\n statperiod week\r\n"
       " byfrom 10\r\n byto 5\r\n bysubjects 5\r\n bysize 3\r\n bydays\r\n bytime\r\n"
       " out report.txt\r\nend\r\n");

  const std::string husky =
      "# main file\nset base=/fido\ncommentChar #\nif [module]==tarnik\n include [DIR]areas\n"
      "elseif [OS]=~UN*\n include [DIR]config\nelse\nendif\nifdef HOME\nifndef X\nendif\n"
      "endif\nEchoAreaDefaults -b Jam -g B -d \"a -b msg\"\n"
      "EchoArea RU.LINUX [base]/ru.linux 2:5020/1 # comment\n"
      "LocalArea LOCAL passthrough\nEchoAreaDefaults off\n";
  const std::string areas =
      "EchoArea A /a -b Squish -g Long -pass \\\n  -$m 100\nBadArea BAD `x` -b msg\n";
  Seed("tosser_config", "husky_split", U32(husky.size()) + husky + areas);
  const std::string prefs =
      "AKA 2:5020/9999\nAREA \"R20.TALK\" 2:5020/9999 JAM \"/fido/r20 talk\"\nGROUP b\n"
      "area DEFAULT_A 2:5020/9999 jam /fido/%a\nNETMAIL N 2:5020/9999 MSG n\nUNCONFIRMED\n"
      "AREA \"PASS\" 2:5020/9999\nLOCALAREA L 2:5020/9999 MSG l\\ x\n";
  Seed("tosser_config", "crashmail_prefs", U32(prefs.size()) + prefs);

  std::vector<std::pair<std::int32_t, std::string>> texts;
  for (std::int32_t id = 30000; id <= 30062; ++id)
    texts.emplace_back(id, "Text " + std::to_string(id) + "\r\n");
  texts.emplace_back(30046, "done.");
  Seed("language", "built", EncodeLanguageFile(texts));
  std::string compiled = Read(source + "build/Tarnik.Lng");
  if (!compiled.empty()) Seed("language", "compiled", compiled);

  Seed("data_file", "built",
       EncodeDataFile({{"FIDO.TEST", 12}, {"RU.\x8D\xE0", 0xFFFFFFFF}, {"", 0}}));

  const std::pair<std::string_view, std::string_view> patterns[] = {
      {"FIDO.*", "FIDO.TEST"},
      {"^RU\\.(TALK|CHAT)$", "RU.TALK"},
      {"[A-Z]+\\.[0-9]?", "AB.1"},
      {"(a|b)*c+d?", "ababccd"},
      {"\x8D\xE0.*", "\xAD\xE0xx"}};
  int i = 0;
  for (const auto& [pattern, subject] : patterns) {
    Seed("pattern", "p" + std::to_string(i++),
         std::string(1, static_cast<char>(pattern.size())) + std::string(pattern) +
             std::string(subject));
  }

  // Source and target charset numbers (see charset_fuzz.cc), then a message text.
  const std::string kludges =
      "\x01MSGID: 2:5020/1 1\r\x01"
      "CHRS: UTF-8 4\r";
  Seed("charset", "cp866", std::string("\x00\x00", 2) + kludges + "\x8F\xE0\xA8\xA2\xA5\xE2\r");
  Seed(
      "charset", "utf8",
      std::string("\x01\x01", 2) + kludges + "\xD0\x9F\xD1\x80\xD0\xB8 \xE6\x97\xA5\xE6\x9C\xAC\r");
  Seed("charset", "sjis", std::string("\x06\x00", 2) + "\x93\xFA\x96\x7B\x93");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: fuzz_seeds SOURCE_DIR FIXTURES_DIR OUT_DIR\n");
    return 2;
  }
  std::string source = std::string(argv[1]) + "/";
  std::string fixtures = std::string(argv[2]) + "/";
  outDir = std::string(argv[3]) + "/";
  BaseSeeds(fixtures);
  FastEchoSeeds();
  TextSeeds(source);
  std::printf("fuzz_seeds: %d seeds in %s\n", seedCount, outDir.c_str());
  return 0;
}
