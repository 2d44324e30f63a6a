#include "app/stat_app.h"

#include "areas/area_import.h"
#include "common/file_system.h"
#include "common/text.h"
#include "core/text_ids.h"
#include "report/report_writer.h"
#include "scan/echo_scan.h"
#include "scan/message_analysis.h"

namespace tarnik {
namespace {

// Replaces the first "%s" of a language text with the argument, then cuts to 255 bytes.
std::string FormatText(const std::string& format, std::string_view argument) {
  std::string out = format;
  std::size_t at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, argument);
  return CutShort(out);
}

}  // namespace

std::vector<std::string> LanguageFileCandidates() {
  std::vector<std::string> candidates = {"Tarnik.Lng"};
  std::string programDirectory = ExecutableDirectory();
  if (!programDirectory.empty()) {
    candidates.push_back(programDirectory + "Tarnik.Lng");
    candidates.push_back(programDirectory + "../share/tarnik/Tarnik.Lng");
  }
  return candidates;
}

StatApp::StatApp(const std::vector<std::string>& args, Services services) : services_(services) {
  if (!LoadLanguage()) {
    services_.console.Write("Unable to open language file!\r\n");
    return;
  }
  config_ = std::make_unique<Configuration>(args.empty() ? std::string() : args.front(), language_,
                                            services_.console, services_.diagnostics);
  if (config_->Load()) {
    LoadAreas();
    LoadDataFile();
  } else {
    config_.reset();
  }
}

StatApp::~StatApp() {
  SaveDataFile();
  config_.reset();
}

bool StatApp::LoadLanguage() {
  const std::vector<std::string> candidates = LanguageFileCandidates();
  for (const std::string& candidate : candidates) {
    if (!FileExists(candidate)) continue;
    std::string reason;
    if (LoadLanguageFile(candidate, language_, &reason)) return true;
    services_.diagnostics.Error(candidate, "cannot load the language file: " + reason);
    return false;
  }
  std::string places;
  for (const std::string& candidate : candidates) {
    if (!places.empty()) places += ", ";
    // The first place is the current directory; naming it saves a guess in a cron mail.
    places += candidate.find('/') == std::string::npos
                  ? WithSeparator(CurrentDirectory()) + candidate
                  : candidate;
  }
  services_.diagnostics.Error("Tarnik.Lng", "language file not found; looked at " + places);
  return false;
}

void StatApp::LoadAreas() {
  const int errorsBefore = services_.diagnostics.errorCount();
  if (config_->areaFileType.empty()) {
    services_.diagnostics.Error(config_->fileName,
                                "no AreaFile line: no echo is known and no report is written");
  }
  ImportAreas(config_->areaFileType, config_->areaFilePath, config_->groups, language_, services_);
  // Groups left without echoes by a failed import are that one failure, told once.
  areasImported_ = services_.diagnostics.errorCount() == errorsBefore;
}

void StatApp::LoadDataFile() {
  std::string reason;
  dataEntries_ = tarnik::LoadDataFile(config_->dataFileName, &reason);
  if (!reason.empty()) {
    services_.diagnostics.Error(config_->dataFileName,
                                "cannot read the data file: " + reason +
                                    "; groups with usedatafile scan their bases from the start");
  }
}

void StatApp::SaveDataFile() {
  if (!config_ || dataEntries_.empty()) return;
  std::string reason;
  if (!tarnik::SaveDataFile(config_->dataFileName, dataEntries_, &reason)) {
    services_.console.Write(language_.LanguageText(kDataFileFailedText) + "\r\n");
    services_.diagnostics.Error(config_->dataFileName, "cannot write the data file: " + reason +
                                                           "; the scan positions are lost");
  }
}

void StatApp::Run() {
  if (!config_) return;
  for (const std::unique_ptr<EchoGroup>& group : config_->groups) {
    tables_ = std::make_unique<StatTables>();
    if (group->IsSingleEcho()) {
      services_.console.Write(
          FormatText(language_.LanguageText(kScanningEchoText), group->FirstEchoTag()));
    } else {
      services_.console.Write(
          FormatText(language_.LanguageText(kScanningGroupText), group->description));
    }
    if (ProcessGroup(*group) && WriteReport(*group)) {
      services_.console.Write(language_.LanguageText(kDoneText) + "\r\n");
    }
    tables_.reset();
  }
}

bool StatApp::ProcessGroup(EchoGroup& group) {
  group.messageCount = 0;
  if (group.echoes.empty() && areasImported_) {
    services_.diagnostics.Error(FileLine(config_->fileName, group.defineLine),
                                "group \"" + group.tagPatterns + "\" (\"" + group.description +
                                    "\") selects no echo of the tosser configuration; no report");
  }
  GroupScanState state;
  const GroupScan scan{*tables_, state, dataEntries_, language_, services_};
  for (const EchoEntry& echo : group.echoes) ScanEcho(echo, group, scan);
  SortPersonsByName(*tables_);
  return state.anyOpened;
}

bool StatApp::WriteReport(EchoGroup& group) {
  ReportWriter writer(config_->templatePath, group, language_, services_, config_->charset);
  if (!writer.IsOpen()) return false;
  writer.WriteAll(*tables_);
  return true;
}

}  // namespace tarnik
