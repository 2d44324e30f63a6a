#include "areas/crashmail_reader.h"

#include <string>
#include <utility>

#include "areas/area_sink.h"
#include "common/cp866.h"
#include "common/diagnostics.h"
#include "common/environment.h"
#include "common/text.h"

namespace tarnik {
namespace {

bool IsLatinLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

CrashmailReader::CrashmailReader(Diagnostics& diagnostics)
    : TextAreaReader(Messages{"Loading echo definitions from crashmail config... ",
                              "fault. Error opening config.\r\n", "done.\r\n"}),
      diagnostics_(diagnostics) {}

std::vector<std::string> PrefsWords(std::string_view line) {
  std::vector<std::string> words;
  std::size_t at = 0;
  for (;;) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    bool quoted = at < line.size() && line[at] == '"';
    if (quoted) ++at;
    std::string word;
    while (at < line.size() && (quoted ? line[at] != '"' : line[at] != ' ' && line[at] != '\t')) {
      if (line[at] == '\\' && at + 1 < line.size()) ++at;
      word += line[at++];
    }
    // An empty word ends the line unless it was written as "".
    if (word.empty() && !quoted) return words;
    words.push_back(std::move(word));
    if (at < line.size()) ++at;
  }
}

void CrashmailReader::ReadLine(std::string_view line, AreaSink& sink) {
  std::vector<std::string> words = PrefsWords(line);
  if (words.empty()) return;
  std::string keyword = UpperCase(words[0]);
  auto word = [&words](std::size_t i) { return i < words.size() ? words[i] : std::string(); };
  if (keyword == "AREA" || keyword == "NETMAIL" || keyword == "LOCALAREA") {
    Offer(sink);
    std::string tag = word(1);
    std::string base = UpperCase(word(3));
    std::string upperTag = UpperCase(tag);
    // Netmail is no echo; DEFAULT areas are templates for areas crashmail creates.
    bool skipped = keyword == "NETMAIL" || tag.empty() || base.empty() || upperTag == "DEFAULT" ||
                   upperTag.starts_with("DEFAULT_");
    if (skipped) return;
    if (base != "JAM" && base != "MSG") {
      diagnostics_.Error(
          Place(), "unknown message base type \"" + word(3) + "\"; area " + tag + " is not read");
      return;
    }
    if (word(4).empty()) {
      diagnostics_.Error(Place(),
                         "no path after the message base type; area " + tag + " is not read");
      return;
    }
    area_.tag = tag;
    std::string spec(1, base == "JAM" ? 'J' : 'F');
    spec += ToLocalPath(word(4));
    area_.areaSpec = std::move(spec);
    return;
  }
  if (keyword == "GROUP" && !area_.areaSpec.empty()) {
    const std::string group = word(1);
    bool letters = !group.empty();
    for (char c : group) letters = letters && IsLatinLetter(c);
    if (letters) {
      area_.group = UpperLatin(group[0]);
    } else {
      diagnostics_.Error(Place(), "invalid group \"" + group + "\" (a letter A-Z); area " +
                                      area_.tag + " keeps group " + area_.group);
    }
    return;
  }
  if (keyword == "UNCONFIRMED") area_ = Area();
}

void CrashmailReader::Finish(AreaSink& sink) { Offer(sink); }

void CrashmailReader::Offer(AreaSink& sink) {
  if (!area_.areaSpec.empty()) sink.Offer(area_.tag, area_.areaSpec, area_.group);
  area_ = Area();
}

void ReadCrashmail(const std::string& fileName, AreaSink& sink, Services services,
                   const FileOpener& files) {
  std::string path = fileName;
  if (path.empty()) path = services.environment.Get("CMCONFIGFILE");
  if (path.empty()) path = "crashmail.prefs";
  CrashmailReader(services.diagnostics)
      .Read(path, sink, services.console, services.diagnostics, files);
}

}  // namespace tarnik
