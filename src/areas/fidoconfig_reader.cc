#include "areas/fidoconfig_reader.h"

#include <string>

#include "areas/area_sink.h"
#include "areas/fidoconfig_lines.h"
#include "areas/squish_config_reader.h"
#include "common/console.h"
#include "common/cp866.h"
#include "common/diagnostics.h"
#include "common/environment.h"
#include "common/file_system.h"
#include "common/text.h"

namespace tarnik {
namespace {

// Area options whose value is the next word.
bool TakesValue(std::string_view option) {
  for (std::string_view name : {"-a", "-p", "-$m", "-lr", "-lw", "-dupecheck", "-dupehistory",
                                "-scan", "-tooold", "-toonew"}) {
    if (option == name) return true;
  }
  return false;
}

}  // namespace

void FidoconfigReader::Read(const std::string& path, AreaSink& sink, Console& console,
                            const Environment& environment) {
  console.Write("Loading echo definitions from fidoconfig... ");
  FidoconfigLines lines(environment, diagnostics_, files_);
  std::string fileName = ToLocalPath(path);
  if (!lines.Open(fileName)) {
    console.Write("fault. Error opening config.\r\n");
    diagnostics_.Error(fileName, "cannot open the tosser configuration: " + lines.openError() +
                                     "; no echo imported");
    return;
  }
  std::string line;
  while (lines.Next(line)) ReadLine(line, sink, lines.place());
  console.Write("done.\r\n");
}

void FidoconfigReader::ReadLine(std::string_view line, AreaSink& sink, std::string_view where) {
  std::string keyword = LowerCase(WordOf(line, 1, kBlanks));
  if (keyword == "echoareadefaults") {
    defaults_ = Options();
    std::string first = LowerCase(WordOf(line, 2, kBlanks));
    if (!first.empty() && first != "off") ReadOptions(line, 2, true, defaults_, where);
    return;
  }
  if (!IsAreaKeyword(keyword)) return;
  Options options = keyword == "echoarea" || keyword == "localarea" ? defaults_ : Options();
  std::string_view path = WordOf(line, 3, kBlanks);
  if (LowerCase(path) == "passthrough") options.passThrough = true;
  ReadOptions(line, 4, false, options, where);
  if (options.passThrough) return;
  char group = options.group.empty()       ? 'A'
               : options.group.size() == 1 ? options.group[0]
                                           : kNoGroupLetter;
  sink.Offer(UpperCase(WordOf(line, 2, kBlanks)), options.kind + ToLocalPath(path), group);
}

void FidoconfigReader::ReadOptions(std::string_view line, int first, bool inDefaults,
                                   Options& options, std::string_view where) {
  int count = WordCount(line, kBlanks);
  for (int i = first; i <= count; ++i) {
    std::string option = LowerCase(WordOf(line, i, kBlanks));
    std::string_view value = WordOf(line, i + 1, kBlanks);
    if (option == "-pass" || (inDefaults && option == "passthrough")) {
      options.passThrough = true;
    } else if (option == "-b") {
      options.kind = 'F';
      // "-b -b Jam" has always meant JAM: a word that starts with "-" is no base type.
      if (value.empty() || value[0] == '-') {
        diagnostics_.Error(where, "\"-b\" without a message base type; read as *.MSG");
        continue;
      }
      ++i;
      std::string kind = LowerCase(value);
      if (kind == "squish") {
        options.kind = 'S';
      } else if (kind == "jam") {
        options.kind = 'J';
      } else if (kind != "msg") {
        diagnostics_.Error(
            where, "unknown message base type " + Quoted(value) + " after \"-b\"; read as *.MSG");
      }
    } else if (option == "-g") {
      if (value.empty()) {
        diagnostics_.Error(where, "\"-g\" without a group name");
        continue;
      }
      ++i;
      options.group = std::string(value);
    } else if (option == "-d") {
      // A quoted description runs to the word that ends with the closing quote.
      ++i;
      bool open = !value.empty() && value[0] == '"' && (value.size() == 1 || value.back() != '"');
      while (open && i < count) {
        std::string_view word = WordOf(line, ++i, kBlanks);
        open = word.back() != '"';
      }
    } else if (TakesValue(option)) {
      ++i;
    }
  }
}

std::string FindFidoconfig(const std::string& fileName, const Environment& environment,
                           const std::string& root) {
  if (!fileName.empty()) return fileName;
  std::string variable = environment.Get("FIDOCONFIG");
  if (!variable.empty()) return variable;
  std::string base = root;
  while (!base.empty() && base.back() == '/') base.pop_back();
  for (const char* name : {"/etc/fido/config", "/usr/local/etc/fido/config"}) {
    if (FileExists(base + name)) return base + name;
  }
  return {};
}

void ReadFidoconfig(const std::string& fileName, AreaSink& sink, Services services,
                    const std::string& root, const FileOpener& files) {
  std::string path = FindFidoconfig(fileName, services.environment, root);
  if (path.empty()) {
    services.console.Write("Fidoconfig environment is not defined!");
    services.diagnostics.Error("FIDOCONFIG",
                               "not set, and neither /etc/fido/config nor "
                               "/usr/local/etc/fido/config exists; no echo imported");
    return;
  }
  FidoconfigReader(services.diagnostics, files)
      .Read(path, sink, services.console, services.environment);
}

}  // namespace tarnik
