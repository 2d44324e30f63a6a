#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/services.h"
#include "config/configuration.h"
#include "config/data_file.h"
#include "core/language_table.h"
#include "core/stat_tables.h"

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
  bool ProcessGroup(EchoGroup& group);
  // False when the report output could not be created (a console line says so).
  bool WriteReport(EchoGroup& group);
  void LoadDataFile();
  void SaveDataFile();

  Services services_;
  std::unique_ptr<Configuration> config_;
  std::unique_ptr<StatTables> tables_;  // only while one group is processed
  std::vector<DataEntry> dataEntries_;
  LanguageTable language_;
  bool areasImported_ = false;  // the tosser's area list was read without a problem
};

// Where the language file is looked for: the current directory, the program's own directory,
// then the installed layout (../share/tarnik/ beside the program's bin directory).
std::vector<std::string> LanguageFileCandidates();

}  // namespace tarnik
