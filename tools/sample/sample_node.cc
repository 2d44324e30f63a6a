#include "sample_node.h"

#include <cstdio>

#include "common/charset.h"
#include "common/file.h"
#include "common/file_system.h"
#include "common/text.h"
#include "core/calendar.h"
#include "msgbase/msg_format.h"
#include "sample_configs.h"
#include "sample_echo.h"
#include "sample_pools.h"
#include "sample_random.h"

namespace tarnik::sample {
namespace {

constexpr const char* kPassThrough = "SAMPLE.FILES";

struct SizePreset {
  const char* name;
  int messages;
  int writers;
  int subjects;
  int spanDays;
};

constexpr SizePreset kPresets[] = {
    {"small", 40, 70, 80, 90},
    {"medium", 400, 250, 400, 180},
    {"large", 4000, 1200, 3000, 365},
};

bool WriteFile(const std::string& path, std::string_view contents, std::string& error) {
  File file;
  if (!file.Open(path, FileMode::kCreate) || !file.Write(contents.data(), contents.size())) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

std::vector<EchoSpec> SampleEchoes(int perEcho, bool exact) {
  struct Row {
    const char* tag;
    char kind;
    const char* path;
    char group;
    const char* description;
    double cyrillicShare;
    double volume;
  };
  static constexpr Row kRows[] = {
      {"SAMPLE.TALK", 'S', "echoes/talk", 'A', "Talk about anything", 0.25, 1.5},
      {"SAMPLE.TECH", 'J', "echoes/tech", 'A', "Mailers, tossers, editors", 0.2, 1.0},
      {"SAMPLE.CHAT", 'M', "echoes/chat", 'B', "Chat among points", 0.3, 0.6},
      {"SAMPLE.SYSOP", 'J', "echoes/sysop", 'B', "Sysops only", 0.3, 0.4},
      {"SAMPLE.RU.FIDO", 'S', "echoes/rufido", 'R', "Fido in Russian", 0.85, 1.2},
      {"SAMPLE.RU.HUMOR", 'S', "echoes/ruhumor", 'R', "Jokes in Russian", 0.9, 0.8},
  };
  std::vector<EchoSpec> echoes;
  for (const Row& row : kRows) {
    EchoSpec echo;
    echo.tag = row.tag;
    echo.kind = row.kind;
    echo.path = row.path;
    echo.group = row.group;
    echo.description = row.description;
    echo.cyrillicShare = row.cyrillicShare;
    echo.messages = exact ? perEcho : static_cast<int>(perEcho * row.volume + 0.5);
    echoes.push_back(echo);
  }
  return echoes;
}

std::vector<EchoSpec> BenchEchoes(int messages) {
  std::vector<EchoSpec> echoes(3);
  const char* tags[] = {"BENCH.SQUISH", "BENCH.JAM", "BENCH.MSG"};
  const char kinds[] = {'S', 'J', 'M'};
  const char* paths[] = {"bench/squish", "bench/jam", "bench/msg"};
  const char* descriptions[] = {"Benchmark: Squish", "Benchmark: JAM", "Benchmark: *.MSG"};
  for (std::size_t i = 0; i < echoes.size(); ++i) {
    echoes[i].tag = tags[i];
    echoes[i].kind = kinds[i];
    echoes[i].path = paths[i];
    echoes[i].description = descriptions[i];
    echoes[i].cyrillicShare = 0.3;
    echoes[i].messages = messages;
  }
  // Message numbers of a *.MSG directory end below msg::kNumberLimit; higher ones are never
  // read, so writing them would only make the base look larger than what is scanned.
  if (echoes[2].messages > msg::kNumberLimit - 1) echoes[2].messages = msg::kNumberLimit - 1;
  return echoes;
}

std::string DateText(std::int32_t dayNumber) {
  std::int32_t day = 0, month = 0, year = 0;
  DateOfDayNumber(dayNumber, day, month, year);
  return TwoDigits(day) + "." + TwoDigits(month) + "." + Decimal(year);
}

std::string ReadmeText(bool bench) {
  if (bench) {
    return "Benchmark node made by tarnik-sample: one echo per message base format\r\n"
           "(bench/squish, bench/jam, bench/msg), areas.bbs, and Tarnik.Cfg with one group per\r\n"
           "format and every report section on. Run tarnik in this folder.\r\n";
  }
  return "Sample FidoNet node made by tarnik-sample.\r\n"
         "\r\n"
         "echoes/      message bases: Squish (talk, rufido, ruhumor), JAM (tech, sysop),\r\n"
         "             *.MSG (chat), written through Tarnik's own base writers\r\n"
         "areas.bbs    squish.cfg   fidoconfig   jt.cfg   fastecho.cfg (binary)\r\n"
         "             the same echoes in five tossers' configurations\r\n"
         "Tarnik.Cfg   groups with Default.Tpl, the built-in layout, an HTML page, a JSON\r\n"
         "             document, standard output, an explicit period and the data file;\r\n"
         "             run: tarnik\r\n"
         "Tarnik-*.Cfg one group per tosser configuration; run for example:\r\n"
         "             tarnik Tarnik-fastecho.Cfg\r\n"
         "             FIDOCONFIG=fidoconfig tarnik Tarnik-fidoconfig.Cfg\r\n"
         "Tarnik-utf8.Cfg  a UTF-8 report of the Russian echoes, whose messages come in\r\n"
         "             code page 866, UTF-8 and KOI8-R: tarnik Tarnik-utf8.Cfg\r\n";
}

}  // namespace

bool WriteSampleNode(const SampleOptions& options, std::string& error,
                     std::int64_t& totalMessages) {
  totalMessages = 0;
  const SizePreset* preset = nullptr;
  for (const SizePreset& p : kPresets) {
    if (options.size == p.name) preset = &p;
  }
  if (preset == nullptr) {
    error = "unknown size " + options.size + " (small, medium or large)";
    return false;
  }
  if (options.referenceMonth < 1 || options.referenceMonth > 12 || options.referenceDay < 1 ||
      options.referenceDay > 31 || options.referenceYear < 1981 || options.referenceYear > 2099) {
    error = "the reference date must lie in 1981..2099";
    return false;
  }
  std::string templateText;
  if (!options.templateFile.empty() && !ReadWholeFile(options.templateFile, templateText)) {
    error = "cannot read the template " + options.templateFile;
    return false;
  }
  const std::string outDir = options.outDir.empty() ? "." : options.outDir;
  if (DirectoryHasEntries(outDir)) {
    error = outDir + " is not empty; give a new or empty folder";
    return false;
  }
  // Everything is written from inside the folder: Squish keeps the path its base was created
  // under in the base header, and the relative path the tosser configurations name makes
  // the output the same wherever the folder is.
  if (!CreateDirectories(outDir) || !ChangeDirectory(outDir)) {
    error = "cannot create " + outDir;
    return false;
  }

  const bool bench = options.bench > 0;
  const int writers = options.writers > 0 ? options.writers : bench ? 20000 : preset->writers;
  const int subjects = options.subjects > 0 ? options.subjects : bench ? 50000 : preset->subjects;
  const int perEcho = options.messages > 0 ? options.messages : preset->messages;
  std::vector<EchoSpec> echoes =
      bench ? BenchEchoes(options.bench) : SampleEchoes(perEcho, options.messages > 0);

  const SampleRandom seed(options.seed);
  const SamplePools pools;
  SampleRandom peopleRandom = seed.Fork(1);
  SampleRandom subjectRandom = seed.Fork(2);
  const std::vector<Person> people = MakePeople(writers, 0.35, peopleRandom, pools);
  const SubjectPool subjectPool(subjects, subjectRandom, pools);
  const NodeContext context{
      pools,
      people,
      subjectPool,
      DayNumber(options.referenceYear, options.referenceMonth, options.referenceDay),
      bench ? 365 : preset->spanDays,
      bench ? 1.0 : 0.7,
      FtnAddress{2, 5020, 1, 0},
      !bench};

  for (std::size_t i = 0; i < echoes.size(); ++i) {
    if (!WriteEcho(echoes[i], echoes[i].path, context, seed.Fork(100 + i), error)) {
      return false;
    }
    totalMessages += echoes[i].messages;
    if (bench) {
      std::printf("%s: %d messages in %s\n", echoes[i].tag.c_str(), echoes[i].messages,
                  echoes[i].path.c_str());
      std::fflush(stdout);
    }
  }

  const std::string passThrough = bench ? "" : kPassThrough;
  if (!WriteFile("areas.bbs", AreasBbs(echoes, passThrough), error) ||
      !WriteFile("README.txt", ReadmeText(bench), error)) {
    return false;
  }
  if (bench) {
    if (!WriteFile("Tarnik.Cfg", BenchTarnikConfig(echoes), error)) return false;
  } else {
    const std::int32_t monthStart = DayNumber(options.referenceYear, options.referenceMonth, 1);
    std::int32_t day = 0, month = 0, year = 0;
    DateOfDayNumber(monthStart - 1, day, month, year);
    const std::string periodFrom = DateText(DayNumber(year, month, 1));
    const std::string periodTo = DateText(monthStart - 1);
    const std::string all = "SAMPLE\\.";
    std::string squishVariant =
        TosserTarnikConfig("squish", "squish.cfg", all, "report-squish.txt");
    squishVariant +=
        "\n; The tosser's group R (-$gR in squish.cfg).\n"
        "define ~R\n"
        "description \"Squish group R\"\n"
        "statperiod *\n"
        "byfrom 10\n"
        "template Default.Tpl\n"
        "out report-group-r.txt\n"
        "end\n";
    if (!WriteFile("squish.cfg", SquishConfig(echoes, passThrough), error) ||
        !WriteFile("fidoconfig", Fidoconfig(echoes), error) ||
        !WriteFile("jt.cfg", JtConfig(echoes, passThrough), error) ||
        !WriteFile("fastecho.cfg", FastEchoConfig(echoes, passThrough), error) ||
        !WriteFile("Tarnik.Cfg", SampleTarnikConfig(options, periodFrom, periodTo), error) ||
        !WriteFile("Tarnik-squish.Cfg", squishVariant, error) ||
        !WriteFile("Tarnik-fidoconfig.Cfg",
                   TosserTarnikConfig("fidoconfig", "", all, "report-fidoconfig.txt"), error) ||
        !WriteFile("Tarnik-jt.Cfg", TosserTarnikConfig("jt", "jt.cfg", all, "report-jt.txt"),
                   error) ||
        !WriteFile("Tarnik-fastecho.Cfg",
                   TosserTarnikConfig("fastecho", "fastecho.cfg", all, "report-fastecho.txt"),
                   error) ||
        !WriteFile("Tarnik-utf8.Cfg", Utf8TarnikConfig(), error)) {
      return false;
    }
  }

  if (!CreateDirectories("templates")) {
    error = "cannot create templates";
    return false;
  }
  if (!options.templateFile.empty() && !WriteFile("templates/Default.Tpl", templateText, error)) {
    return false;
  }
  // The template is in code page 866, like the reports it lays out; a UTF-8 report needs it
  // in UTF-8.
  if (!bench && !options.templateFile.empty() &&
      !WriteFile("templates/Default-utf8.Tpl",
                 CharsetConverter("CP866", "UTF-8").Convert(templateText), error)) {
    return false;
  }
  return true;
}

}  // namespace tarnik::sample
