#include "app/stat_app.h"

#include <charconv>

#include "areas/area_import.h"
#include "common/charset.h"
#include "common/file_system.h"
#include "common/text.h"
#include "core/text_ids.h"
#include "report/report_writer.h"
#include "scan/echo_scan.h"
#include "scan/message_analysis.h"

namespace tarnik {
namespace {

// Replaces the first "%s" of a language text with the argument, then cuts to 255 bytes.
std::string FormatText(const std::string& format, std::string_view argument, TextMeasure measure) {
  std::string out = format;
  std::size_t at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, argument);
  return CutShort(out, measure);
}

}  // namespace

int LockWaitSeconds(std::string_view value) {
  int seconds = 0;
  const char* last = value.data() + value.size();
  const auto [end, error] = std::from_chars(value.data(), last, seconds);
  if (value.empty() || error != std::errc() || end != last || seconds < 0) {
    return kDefaultLockWaitSeconds;
  }
  return seconds;
}

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
  if (config_->Load() && TakeLock()) {
    UseCharsets();
    poster_ = std::make_unique<ReportPoster>(*config_, services_);
    LoadAreas();
    LoadDataFile();
  } else {
    config_.reset();
  }
}

StatApp::~StatApp() {
  SaveDataFile();
  poster_.reset();
  lock_.Release();
  config_.reset();
  // What the program writes after the run is in the design's charset again.
  services_.console.SetTextCharset(kDesignCharset);
  services_.reportConsole.SetTextCharset(kDesignCharset);
}

void StatApp::UseCharsets() {
  charsets_ = std::make_unique<MessageCharsets>(config_->charset, config_->defaultCharset,
                                                services_.diagnostics);
  reportCharset_ = ReportCharsetOf(config_->charset);
  // The language file is in code page 866; from here on every text is in the report charset.
  language_.ConvertTexts(CharsetConverter(kDesignCharset, config_->charset));
  services_.console.SetTextCharset(config_->charset);
  // A quiet run has a console of its own for the reports that go to standard output.
  services_.reportConsole.SetTextCharset(config_->charset);
}

// A slow run overlapping the next one from cron must not have both read and rewrite the data
// file: the second waits for the first a while, then gives up without touching anything.
bool StatApp::TakeLock() {
  const std::string path = config_->dataFileName + ".lock";
  const int waitSeconds =
      LockWaitSeconds(services_.environment.Get(std::string(kLockWaitVariable)));
  std::string reason;
  FileLock::Result result = lock_.Take(path, 0, reason);
  if (result == FileLock::Result::kBusy && waitSeconds > 0) {
    services_.diagnostics.Warning(
        path, "another run of tarnik holds the lock; waiting up to " + Decimal(waitSeconds) + " s");
    result = lock_.Take(path, waitSeconds * 1000, reason);
  }
  // A lock file that cannot be made (a directory the run may not write in) leaves the run
  // unguarded, as every run was before; a data file there fails to save and says so.
  if (result != FileLock::Result::kBusy) return true;
  services_.diagnostics.Error(path, "another run of tarnik still holds the lock after " +
                                        Decimal(waitSeconds) + " s; this run does nothing");
  return false;
}

bool StatApp::LoadLanguage() {
  const std::vector<std::string> candidates = LanguageFileCandidates();
  for (const std::string& candidate : candidates) {
    // A pipe or device counts as well as a file; a directory of the name does not.
    if (ResolveExisting(candidate).empty() || DirectoryExists(candidate)) continue;
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
      services_.console.Write(FormatText(language_.LanguageText(kScanningEchoText),
                                         group->FirstEchoTag(), reportCharset_.measure));
    } else {
      services_.console.Write(FormatText(language_.LanguageText(kScanningGroupText),
                                         group->description, reportCharset_.measure));
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
  const GroupScan scan{*tables_,           state,          dataEntries_, language_, services_,
                       ScanThreads::kAuto, charsets_.get()};
  for (const EchoEntry& echo : group.echoes) ScanEcho(echo, group, scan);
  SortPersonsByName(*tables_);
  return state.anyOpened;
}

bool StatApp::WriteReport(EchoGroup& group) {
  const bool posting = !group.postArea.empty();
  std::string report;
  bool whole = false;
  {
    ReportWriter writer(config_->templatePath, group, language_, services_, reportCharset_);
    if (!writer.IsOpen()) return false;
    if (posting) writer.CaptureText(report);
    writer.WriteAll(*tables_);
    whole = writer.Close();
  }
  // A report that did not reach its file whole is not posted either.
  if (posting && whole) poster_->Post(group, report);
  return whole;
}

}  // namespace tarnik
