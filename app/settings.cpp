#include "settings.h"

#include "controls.h"
#include "conversion_run.h"
#include "file_io.h"
#include "output_file.h"
#include "text_utils.h"
#include "window_texts.h"

namespace {

// The settings are a few short lines: a longer file is no file of ours, and
// only its start is read.
constexpr size_t kMostSettingsBytes = 1 << 16;

// The names of the stored settings; a language is stored as its LocaleName.
constexpr std::string_view kLanguageKey = "Language";
constexpr std::string_view kOptionKey = "Option";
constexpr std::string_view kViasKey = "MaxVias";
constexpr std::string_view kOneRouteKey = "OneRoute";
constexpr std::string_view kInputFolderKey = "InputFolder";
constexpr std::string_view kOutputFolderKey = "OutputFolder";
constexpr std::string_view kPreviewKey = "Preview";
constexpr std::string_view kSettingsSection = "[Morvex]";

// Blanks and tabs around a name or value of a settings file.
std::string_view TrimmedBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

Language LanguageForLocale(std::string_view locale) {
  const std::string_view code = locale.substr(0, locale.find_first_of("_-.@"));
  if (code.size() == 2 && AsciiLower(code[0]) == 'n' && AsciiLower(code[1]) == 'l') {
    return Language::kDutch;
  }
  if (code.size() == 2 && AsciiLower(code[0]) == 'd' && AsciiLower(code[1]) == 'e') {
    return Language::kGerman;
  }
  return Language::kEnglish;
}

std::vector<StoredSetting> StoredSettings(const DialogSettings& settings) {
  return {
      {kLanguageKey, std::string(LocaleName(settings.language))},
      {kOptionKey, std::to_string(settings.option)},
      {kViasKey, settings.viaText},
      {kOneRouteKey, settings.oneRoute ? "1" : "0"},
      {kInputFolderKey, settings.inputFolder},
      {kOutputFolderKey, settings.outputFolder},
      {kPreviewKey, settings.preview ? "1" : "0"},
  };
}

DialogSettings SettingsFromStored(const StoredValue& stored, std::string_view locale) {
  DialogSettings settings;
  settings.language = LanguageForLocale(locale);
  if (const std::optional<std::string> code = stored(kLanguageKey)) {
    for (const LanguageButton& button : LanguageButtons()) {
      if (HasOwnTexts(button.language) && LocaleName(button.language) == *code) {
        settings.language = button.language;
      }
    }
  }
  const std::optional<std::string> option = stored(kOptionKey);
  if (option && option->size() == 1 && (*option)[0] >= '1' && (*option)[0] <= '6') {
    settings.option = (*option)[0] - '0';
  }
  const std::optional<std::string> vias = stored(kViasKey);
  settings.viaText = vias && ViaCountOf(*vias) ? *vias : std::to_string(kDefaultViaCount);
  settings.oneRoute = stored(kOneRouteKey) == "1";
  // A folder is a single line; anything else is no path a picker can open.
  const auto folder = [&stored](std::string_view key) {
    std::string path = stored(key).value_or(std::string());
    return path.find_first_of("\r\n") == std::string::npos ? path : std::string();
  };
  settings.inputFolder = folder(kInputFolderKey);
  settings.outputFolder = folder(kOutputFolderKey);
  settings.preview = stored(kPreviewKey) == "1";
  return settings;
}

std::string SettingsFileText(const DialogSettings& settings) {
  std::string text(kSettingsSection);
  text += '\n';
  for (const StoredSetting& setting : StoredSettings(settings)) {
    const bool oneLine = setting.value.find_first_of("\r\n") == std::string::npos;
    text.append(setting.name).append("=").append(oneLine ? setting.value : "").append("\n");
  }
  return text;
}

DialogSettings SettingsFromFileText(std::string_view text, std::string_view locale) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a BOM an editor may add
  std::vector<std::pair<std::string_view, std::string_view>> values;
  bool inSection = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (TrimmedBlanks(line).starts_with('[')) {
      inSection = TrimmedBlanks(line) == kSettingsSection;
      continue;
    }
    const size_t equals = line.find('=');
    if (!inSection || equals == std::string_view::npos) continue;
    const std::string_view name = TrimmedBlanks(line.substr(0, equals));
    // A folder's name may begin or end with a blank: its value is kept whole.
    const bool folder = name == kInputFolderKey || name == kOutputFolderKey;
    values.emplace_back(name,
                        folder ? line.substr(equals + 1) : TrimmedBlanks(line.substr(equals + 1)));
  }
  return SettingsFromStored(
      [&values](std::string_view name) -> std::optional<std::string> {
        for (const auto& [key, value] : values) {
          if (key == name) return std::string(value);
        }
        return std::nullopt;
      },
      locale);
}

DialogSettings SettingsFile::Load() {
  std::string text(kMostSettingsBytes, '\0');
  size_t read = 0;
  if (const int fd = fileio::OpenForReading(m_path); fd != fileio::kNoFile) {
    int64_t got = 0;
    while (read < text.size() &&
           (got = fileio::ReadSome(fd, reinterpret_cast<uint8_t*>(text.data()) + read,
                                   text.size() - read)) > 0) {
      read += static_cast<size_t>(got);
    }
    fileio::CloseFile(fd);
  }
  text.resize(read);
  return SettingsFromFileText(text, m_locale);
}

// A settings file that cannot be written is left as it was: the window goes
// on, and the next start finds the settings of before.
void SettingsFile::Save(const DialogSettings& settings) {
  const size_t nameStart = fileio::FileNameStart(m_path);
  const bool inFolder =
      nameStart > 1 && (m_path[nameStart - 1] == '/' || m_path[nameStart - 1] == '\\');
  if (inFolder && !fileio::MakeFolder(m_path.substr(0, nameStart - 1))) return;
  const std::string text = SettingsFileText(settings);
  OutputFile file;
  if (!file.Check(m_path, fileio::FileId{}) || !file.Open()) return;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  if (fileio::WriteAll(file.Descriptor(), bytes, text.size()) != text.size()) {
    file.Discard();
    return;
  }
  file.Complete();
}
