#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_lock.h"
#include "common/services.h"
#include "config/configuration.h"
#include "config/data_file.h"
#include "core/language_table.h"
#include "core/stat_tables.h"
#include "post/report_poster.h"
#include "report/report_format.h"
#include "scan/message_charsets.h"

namespace tarnik {

// The application: owns the language table, the configuration with its groups and, while one
// group is processed, its statistics tables.
class StatApp {
 public:
  // Loads the language file, then the configuration named by the first argument (Tarnik.Cfg
  // when there is none), then the echo areas and the data file.
  explicit StatApp(const std::vector<std::string>& args, Services services = DefaultServices());
  // Saves the data file when it holds entries, then frees the configuration and the language.
  ~StatApp();
  StatApp(const StatApp&) = delete;
  StatApp& operator=(const StatApp&) = delete;

  bool HasConfig() const { return config_ != nullptr; }
  void LoadAreas();
  void Run();

 private:
  // Loads the first language file found; false (with a diagnostic) when none could be.
  bool LoadLanguage();
  // Takes the lock beside the data file, waiting for a run that holds it; false (with a
  // diagnostic) when that run still holds it after the wait.
  bool TakeLock();
  // Makes the message converters and the report charset, and brings the language texts into
  // the report charset.
  void UseCharsets();
  bool ProcessGroup(EchoGroup& group);
  // False when the report output could not be created or written whole (a console line says
  // so). A report written whole is then posted when the group has a post target.
  bool WriteReport(EchoGroup& group);
  void LoadDataFile();
  void SaveDataFile();

  Services services_;
  std::unique_ptr<Configuration> config_;
  std::unique_ptr<ReportPoster> poster_;       // while config_ exists
  std::unique_ptr<StatTables> tables_;         // only while one group is processed
  std::unique_ptr<MessageCharsets> charsets_;  // once the configuration is loaded
  ReportCharset reportCharset_;
  std::vector<DataEntry> dataEntries_;
  LanguageTable language_;
  FileLock lock_;               // held from the configuration's loading to the data file's saving
  bool areasImported_ = false;  // the tosser's area list was read without a problem
};

// The environment variable giving the seconds a run waits for another that holds the lock,
// and the wait without it.
inline constexpr std::string_view kLockWaitVariable = "TARNIK_LOCK_WAIT";
inline constexpr int kDefaultLockWaitSeconds = 60;
// The wait a value of kLockWaitVariable asks for: whole seconds, 0 for none; anything else
// (empty too) gives the default.
int LockWaitSeconds(std::string_view value);

// Where the language file is looked for: the current directory, the program's own directory,
// then the installed layout (../share/tarnik/ beside the program's bin directory).
std::vector<std::string> LanguageFileCandidates();

}  // namespace tarnik
