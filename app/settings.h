// What the converter window keeps from one start to the next: the values,
// their names and text form, and the small INI file a window may keep them in.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gdb_types.h"

// What a window keeps from one start to the next. Each window stores the
// values as texts under the names of StoredSettings, and reads them back
// through SettingsFromStored, which puts a default in place of anything
// missing or not understood: a damaged store never stops the window.
struct DialogSettings {
  Language language = Language::kEnglish;
  int option = 1;            // 1 to 6
  std::string viaText;       // the via field as it was left; a number a run takes
  bool oneRoute = false;     // the one-route check box
  std::string inputFolder;   // where the last input was picked or converted; may be empty
  std::string outputFolder;  // the same for the output
  bool preview = false;      // the preview pane is shown
  bool operator==(const DialogSettings&) const = default;
};

// The language of a locale name as the system gives it ("de_DE.UTF-8",
// "nl-BE", "de"): Dutch or German where it is one of those, else English.
Language LanguageForLocale(std::string_view locale);

struct StoredSetting {
  std::string_view name;
  std::string value;  // UTF-8
};
std::vector<StoredSetting> StoredSettings(const DialogSettings& settings);
// stored gives a value by its name, nothing where there is none. A store that
// has no language yet (the first start) takes the locale's.
using StoredValue = std::function<std::optional<std::string>(std::string_view name)>;
DialogSettings SettingsFromStored(const StoredValue& stored, std::string_view locale);

// The settings as the text of a small INI file, and read back from one: a
// "[Morvex]" section of "name=value" lines, UTF-8. Lines that are no such
// pair are passed over.
std::string SettingsFileText(const DialogSettings& settings);
DialogSettings SettingsFromFileText(std::string_view text, std::string_view locale);

// Where a window keeps its settings. Load never fails: what cannot be read
// gives the defaults (and the locale's language).
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual DialogSettings Load() = 0;
  virtual void Save(const DialogSettings& settings) = 0;
};

// The settings in an INI file of SettingsFileText's form, at a path in UTF-8.
// Save makes the file's folder if it is missing and replaces the file whole,
// so that a save cut short leaves the old settings.
class SettingsFile final : public SettingsStore {
 public:
  SettingsFile(std::string path, std::string locale)
      : m_path(std::move(path)), m_locale(std::move(locale)) {}
  DialogSettings Load() override;
  void Save(const DialogSettings& settings) override;

 private:
  std::string m_path;
  std::string m_locale;
};
