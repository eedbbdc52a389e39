// The settings store: NIMO.ini, the language files and the catalog, through the
// platform's profile-file functions. Nothing is cached; every call goes to the file.
#pragma once
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace modSettings {

// A numbered run-time error raised by a module function (1001, 1002).
class NimoError : public std::runtime_error {
 public:
  NimoError(long number, const std::string& description)
      : std::runtime_error(description), Number(number), Description(description) {}
  long Number;
  std::string Description;
};

inline constexpr long kBadIniError = 1002;
std::string BadIniDescription();

// The longest value a read returns.
inline constexpr size_t kMaxValue = 154;

// Set by a ReadSection that found no entries, cleared by one that found some.
extern bool SectionMissing;

std::string SettingsFile();
std::string CatalogFile();
// Settings/Lang: the current language file, or empty text.
std::string LanguageFile();

// Selector "Controls" reads the language file, anything else the settings file.
std::string ReadINI(const std::string& selector, const std::string& section, const std::string& key,
                    const std::string& defaultValue);
// Always writes into the settings file; the selector is not used. A write that fails
// is logged, and the user is told of the first one in a run.
void WriteINI(const std::string& selector, const std::string& section, const std::string& key,
              const std::string& value);

// Rows of key (first) and value (second) in file order; empty when the section is
// missing or empty. Throws NimoError 1002 for an entry line without "=".
using Section = std::vector<std::pair<std::string, std::string>>;
Section ReadSection(const std::string& selector, const std::string& section);

// The usual reads and writes of the program's own settings.
std::string Setting(const std::string& section, const std::string& key, const std::string& defaultValue);
void SetSetting(const std::string& section, const std::string& key, const std::string& value);

// A setting that holds a path the program wrote (Registry_Backup, Extension_Backup,
// NIMO_Location, Lang), read whole however long it is: a path cut at kMaxValue would
// name another folder.
std::string PathSetting(const std::string& section, const std::string& key, const std::string& defaultValue);
// "Section/Key: path" for each such setting that holds a path too long for the
// platform's functions (more than 248 characters for a folder, 259 for a file).
std::vector<std::string> UnusablePathSettings();

// The clear-log rule of closing: delete the log when Shutdown/ClearLog is "1".
void ApplyClearLogRule();

}  // namespace modSettings
