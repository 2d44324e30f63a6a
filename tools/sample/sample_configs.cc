#include "sample_configs.h"

#include <algorithm>
#include <cstdint>

#include "areas/fastecho_format.h"
#include "common/bytes.h"
#include "common/cp866.h"
#include "common/text.h"
#include "sample_pools.h"

namespace tarnik::sample {
namespace {

constexpr const char* kCrLf = "\r\n";

// DOS tossers write their paths with backslashes.
std::string DosPath(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

void PutText(std::string& bytes, std::size_t offset, std::size_t field, const std::string& text) {
  std::size_t n = std::min(text.size(), field - 1);
  std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n),
            bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::string AreaRecord(const std::string& tag, std::uint8_t baseType, const std::string& path,
                       const std::string& description) {
  std::string record(fastecho::kAreaRecordSize, '\0');
  PutText(record, fastecho::kAreaTagOffset, fastecho::kAreaTagSize, tag);
  record[fastecho::kAreaStorageOffset] = static_cast<char>(baseType);
  PutText(record, fastecho::kAreaPathOffset, fastecho::kAreaPathSize, path);
  PutText(record, fastecho::kAreaDescriptionOffset, fastecho::kAreaDescriptionSize, description);
  return record;
}

std::string GroupSections(int list, bool all) {
  std::string n = Decimal(list);
  std::string out = "byfrom " + n + "\nbyto " + n + "\nbysubjects " + n + "\n";
  if (all) out += "bysize " + n + "\nbytotal " + n + "\nbydays\nbytime\nbydayofweek\n";
  return out;
}

}  // namespace

std::string AreasBbs(const std::vector<EchoSpec>& echoes, const std::string& passThrough) {
  std::string out = std::string("2:5020/1 ! Sample Sysop") + kCrLf;
  for (const EchoSpec& echo : echoes) {
    std::string mark = echo.kind == 'S' ? "$" : echo.kind == 'J' ? "!" : "";
    out += mark + echo.path + " " + echo.tag + " 2:5020/52 2:5020/758" + kCrLf;
  }
  if (!passThrough.empty()) out += "P " + passThrough + " 2:5020/52" + kCrLf;
  return out;
}

std::string SquishConfig(const std::vector<EchoSpec>& echoes, const std::string& passThrough) {
  std::string out;
  for (const char* line : {"; Squish configuration of the sample node", "Address 2:5020/1",
                           "Origin Sample node", "NetArea NETMAIL netmail\\ -$"}) {
    out += std::string(line) + kCrLf;
  }
  for (const EchoSpec& echo : echoes) {
    if (echo.kind == 'J') continue;
    out += "EchoArea " + echo.tag + " " + DosPath(echo.path);
    if (echo.kind == 'S') out += std::string(" -$m500 -$g") + echo.group;
    out += std::string(" 2:5020/52") + kCrLf;
  }
  if (!passThrough.empty()) out += "EchoArea " + passThrough + " files -0 2:5020/52" + kCrLf;
  return out;
}

std::string Fidoconfig(const std::vector<EchoSpec>& echoes) {
  std::string out = "# fidoconfig of the sample node\naddress 2:5020/1\nsysop Sample Sysop\n\n";
  for (const EchoSpec& echo : echoes) {
    const char* kind = echo.kind == 'S' ? "Squish" : echo.kind == 'J' ? "Jam" : "Msg";
    out += "EchoArea " + echo.tag + " " + echo.path + " -b " + kind + " -a 2:5020/1 -g " +
           std::string(1, echo.group) + " 2:5020/52\n";
  }
  return out;
}

std::string JtConfig(const std::vector<EchoSpec>& echoes, const std::string& passThrough) {
  std::string out = "# JT configuration of the sample node\n";
  for (const EchoSpec& echo : echoes) {
    const char* kind = echo.kind == 'S' ? "Squish" : echo.kind == 'J' ? "Jam" : "Msg";
    out += "Area \"" + echo.tag + "\"\n  Base 1 " + kind + " \"" + echo.path +
           "\"\n  Link 2:5020/52\n";
  }
  if (!passThrough.empty()) out += "Area \"" + passThrough + "\"\n  Base 1 PassThrough \"\"\n";
  return out;
}

std::string FastEchoConfig(const std::vector<EchoSpec>& echoes, const std::string& passThrough) {
  constexpr std::uint16_t kNodeCount = 3;
  constexpr std::uint16_t kNodeRecordSize = 142;
  constexpr std::uint32_t kExtensionSize = 64;
  std::string bytes(fastecho::kHeaderSize, '\0');
  StoreU16(&bytes[fastecho::kNodeCountOffset], kNodeCount);
  PutText(bytes, fastecho::kSemaphorePathOffset, 64, "semaphore\\");
  StoreU16(&bytes[fastecho::kNodeRecordSizeOffset], kNodeRecordSize);
  StoreU32(&bytes[fastecho::kExtensionSizeOffset], kExtensionSize);
  // Filler that the reader must step over, not zeros that would hide an offset error.
  bytes.append(kExtensionSize, '\x5A');
  for (std::uint16_t n = 0; n < kNodeCount; ++n) {
    std::string node(kNodeRecordSize, '\xA5');
    StoreU16(&node[0], 2);
    StoreU16(&node[2], 5020);
    StoreU16(&node[4], static_cast<std::uint16_t>(52 + n));
    bytes += node;
  }
  for (const EchoSpec& echo : echoes) {
    const std::uint8_t type = echo.kind == 'S'   ? fastecho::kBaseSquish
                              : echo.kind == 'J' ? fastecho::kBaseJam
                                                 : fastecho::kBaseMsg;
    bytes += AreaRecord(echo.tag, type, DosPath(echo.path), echo.description);
  }
  bytes += AreaRecord("SAMPLE.HUDSON", fastecho::kBaseHudson, "", "An old Hudson board");
  if (!passThrough.empty()) {
    bytes += AreaRecord(passThrough, fastecho::kBasePassThrough, "", "Pass-through");
  }
  return bytes;
}

std::string SampleTarnikConfig(const SampleOptions& options, const std::string& periodFrom,
                               const std::string& periodTo) {
  std::string out = "; Tarnik configuration of the generated sample node (seed " +
                    Decimal(static_cast<std::int64_t>(options.seed)) +
                    ").\n"
                    "; Other tossers' configurations of the same echoes: Tarnik-*.Cfg.\n"
                    "AreaFile areasbbs areas.bbs\n"
                    "DataFile Tarnik.Dat\n"
                    "TemplatePath templates/\n\n";
  out +=
      "; Every echo, laid out by templates/Default.Tpl, every section on.\n"
      "define SAMPLE\\.\n"
      "description \"All sample echoes\"\n"
      "statperiod *\n" +
      GroupSections(20, true) +
      "template Default.Tpl\n"
      "out all-echoes.txt\n"
      "end\n\n";
  out +=
      "; The same as a web page (no template: the built-in page) and as JSON for graphs.\n"
      "define SAMPLE\\.\n"
      "description \"All sample echoes\"\n"
      "statperiod *\n" +
      GroupSections(20, true) +
      "format html\n"
      "out all-echoes.html\n"
      "end\n\n"
      "define SAMPLE\\.\n"
      "description \"All sample echoes\"\n"
      "statperiod *\n"
      "format json\n"
      "out all-echoes.json\n"
      "end\n\n";
  out +=
      "; No such template file: the built-in layout of the language file is used.\n"
      "define ^SAMPLE\\.TALK$\n"
      "description \"SAMPLE.TALK in the built-in layout\"\n"
      "statperiod *\n" +
      GroupSections(10, true) +
      "template Builtin.Tpl\n"
      "out talk-builtin.txt\n"
      "end\n\n";
  out +=
      "; One month, written to standard output (no out line).\n"
      "define ^SAMPLE\\.TECH$ ^SAMPLE\\.SYSOP$\n"
      "description \"JAM echoes, " +
      periodFrom + " to " + periodTo +
      "\"\n"
      "statperiod " +
      periodFrom + "-" + periodTo +
      "\n"
      "byfrom 5\n"
      "bydayofweek\n"
      "template Default.Tpl\n"
      "end\n\n";
  out +=
      "; Only what is new since the last run (scan positions in Tarnik.Dat).\n"
      "define ^SAMPLE\\.RU\\.\n"
      "description \"" +
      Utf8ToCp866("Русские эхи, новое с прошлого запуска") +
      "\"\n"
      "statperiod *\n"
      "usedatafile\n" +
      GroupSections(10, false) +
      "bydays\n"
      "template Default.Tpl\n"
      "out ru-new.txt\n"
      "end\n";
  return out;
}

std::string TosserTarnikConfig(const std::string& kind, const std::string& file,
                               const std::string& pattern, const std::string& report) {
  return "; The sample echoes as the " + kind +
         " configuration lists them.\n"
         "AreaFile " +
         kind + " " + file +
         "\n"
         "TemplatePath templates/\n"
         "define " +
         pattern +
         "\n"
         "description \"Echoes of " +
         kind +
         "\"\n"
         "statperiod *\n" +
         GroupSections(10, false) +
         "bytotal 10\n"
         "template Default.Tpl\n"
         "out " +
         report +
         "\n"
         "end\n";
}

std::string Utf8TarnikConfig() {
  return "; A report in UTF-8. Each message is read in the charset its CHRS kludge names (code\n"
         "; page 866 when it names none), so a writer is one person in every charset; this\n"
         "; file and the template are written in UTF-8.\n"
         "Charset UTF-8\n"
         "AreaFile areasbbs areas.bbs\n"
         "TemplatePath templates/\n"
         "define ^SAMPLE\\.RU\\.\n"
         "description \"\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB5 "
         "\xD1\x8D\xD1\x85\xD0\xB8 \xD0\xB2 UTF-8\"\n"
         "statperiod *\n" +
         GroupSections(15, true) +
         "template Default-utf8.Tpl\n"
         "out report-utf8.txt\n"
         "end\n";
}

std::string BenchTarnikConfig(const std::vector<EchoSpec>& echoes) {
  std::string out =
      "; Benchmark: one group per message base format, every section on, long lists.\n"
      "AreaFile areasbbs areas.bbs\n"
      "TemplatePath templates/\n";
  for (const EchoSpec& echo : echoes) {
    out += "\ndefine ^" + std::string(WordOf(echo.tag, 1, ".")) + "\\." +
           std::string(WordOf(echo.tag, 2, ".")) +
           "$\n"
           "description \"" +
           echo.description +
           "\"\n"
           "statperiod *\n" +
           GroupSections(100, true) +
           "template Default.Tpl\n"
           "out " +
           LowerCase(std::string(WordOf(echo.tag, 2, "."))) +
           ".txt\n"
           "end\n";
  }
  return out;
}

}  // namespace tarnik::sample
