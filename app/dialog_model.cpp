#include "dialog_model.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <utility>

#include "messages.h"
#include "morvex_version.h"
#include "text_utils.h"

namespace {

using enum ControlKind;

const char kCaption[] =
    "Morvex Version " MORVEX_VERSION_SHORT " - File Converter for Mapsource GDB files";
const char kAboutMenu[] = "&About Morvex...";

// Tab order: the two paths with their Browse buttons, the options with the
// via-point field and the one-route box, the languages, then Preview, Convert
// and Quit. Preview starts a group of its own so that the language buttons'
// group ends before it.
const ControlTemplate kControls[] = {
    {IDC_INPUT_GROUP, Frame, "&Input File", 0},
    {IDC_INPUT_PATH, PathField, "", 0},
    {IDC_BROWSE_INPUT, Button, "Browse...", 0},
    {IDC_OUTPUT_GROUP, Frame, "&Output File", 0},
    {IDC_OUTPUT_PATH, PathField, "", 0},
    {IDC_BROWSE_OUTPUT, Button, "Browse...", 0},
    {IDC_OPTIONS_GROUP, Frame, "&Processing Options", 0},
    {IDC_OPTION_1, Option, "&1. Convert routes to tracks with all points", kStartsGroup},
    {IDC_OPTION_2, Option, "&2. Convert routes to tracks with via points only", 0},
    {IDC_OPTION_3, Option, "&3. Convert auto-generated route via points to user waypoint vias", 0},
    {IDC_OPTION_4, Option, "&4. Convert auto-generated route via points to hidden via points", 0},
    {IDC_OPTION_5, Option, "&5. Convert tracks to routes with user waypoint vias", 0},
    {IDC_OPTION_6, Option, "&6. Convert tracks to routes with hidden via points", 0},
    {IDC_MAX_VIAS_LABEL, Label,
     "For options 5 and 6:\nMaximum number of via points per route (25-1000)",
     kStartsGroup | kDisabled},
    {IDC_MAX_VIAS, NumberField, "", kDisabled},
    {IDC_ONE_ROUTE, CheckBox,
     "&Keep each track in one route, with the via points that follow it best",
     kStartsGroup | kDisabled},
    {IDC_LANGUAGE_GROUP, Frame, "&Language", 0},
    {IDC_LANG_ENGLISH, Option, "English", kStartsGroup},
    {IDC_LANG_DUTCH, Option, "Nederlands", 0},
    {IDC_LANG_GERMAN, Option, "Deutsch", 0},
    {IDC_LANG_FRENCH, Option, "Français", kHidden | kDisabled},
    {IDC_PREVIEW, Button, "Pre&view", kStartsGroup},
    {IDC_CONVERT, DefaultButton, "&Convert", kStartsGroup},
    {IDCANCEL, Button, "&Quit", 0},
};

struct TranslatedText {
  int id;
  std::array<const char*, 3> text;  // English, Dutch, German; UTF-8
};

const TranslatedText kLanguageTexts[] = {
    {IDC_BROWSE_INPUT, {"Browse...", "Zoek...", "Suchen..."}},
    {IDC_BROWSE_OUTPUT, {"Browse...", "Zoek...", "Suchen..."}},
    {IDC_CONVERT, {"&Convert", "&Converteer", "&Konvertieren"}},
    {IDCANCEL, {"&Quit", "&Exit", "&Beenden"}},
    {IDC_PREVIEW, {"Pre&view", "Voor&beeld", "V&orschau"}},
    {IDC_INPUT_GROUP, {"&Input file", "&Invoer bestand", "&Eingabe-Datei"}},
    {IDC_OUTPUT_GROUP, {"&Output file", "&Uitvoer bestand", "&Ausgabe-Datei"}},
    {IDC_OPTIONS_GROUP, {"&Processing options", "&Verwerkings opties", "&Verarbeitungs Optionen"}},
    {IDC_MAX_VIAS_LABEL,
     {"For options 5 and 6:\nMaximum number of via points per route (25-1000)",
      "Voor opties 5 en 6:\nMaximum aantal viapunten per route (25-1000)",
      "Für Optionen 5 und 6:\nMaximale Anzahl der Zwischenpunkte je Route (25-1000)"}},
    {IDC_LANGUAGE_GROUP, {"&Language", "&Taal", "&Sprache"}},
    {IDC_OPTION_1,
     {"&1. Convert routes to tracks with all points",
      "&1. Converteer routes naar tracks met alle punten",
      "&1. Konvertiere Routen zu Tracks mit allen Punkten"}},
    {IDC_OPTION_2,
     {"&2. Convert routes to tracks with via points only",
      "&2. Converteer routes naar tracks met alleen viapunten",
      "&2. Konvertiere Routen zu Tracks nur mit den Zwischenpunkten"}},
    {IDC_OPTION_3,
     {"&3. Convert auto-generated route via points to user waypoint vias",
      "&3. Converteer automatisch-gegenereerde route viapunten naar gebruikers waypoint vias",
      "&3. Konvertiere automatisch erzeugte Zwischenpunkte zu User-Zwischenpunkten"}},
    {IDC_OPTION_4,
     {"&4. Convert auto-generated route via points to hidden via points",
      "&4. Converteer automatisch-gegenereerde route viapunten naar verborgen viapunten",
      "&4. Konvertiere automatisch erzeugte Zwischenpunkte zu versteckten Zwischenpunkten"}},
    {IDC_OPTION_5,
     {"&5. Convert tracks to routes with user waypoint vias",
      "&5. Converteer tracks naar routes met gebruikers waypoint viapunten",
      "&5. Konvertiere Tracks zu Routen mit User-Zwischenpunkten"}},
    {IDC_OPTION_6,
     {"&6. Convert tracks to routes with hidden via points",
      "&6. Converteer tracks naar routes met verborgen viapunten",
      "&6. Konvertiere Tracks zu Routen mit versteckten Zwischenpunkten"}},
    {IDC_ONE_ROUTE,
     {"&Keep each track in one route, with the via points that follow it best",
      "Elke track in één &route houden, met de tussenpunten die hem het best volgen",
      "&Jeden Track in einer Route halten, mit den Zwischenpunkten, die ihm am besten folgen"}},
};

const TranslatedText kFilterNames[] = {
    {0, {"GDB Files (*.gdb)", "GDB bestanden (*.gdb)", "GDB-Dateien (*.gdb)"}},
    {0, {"All Files (*.*)", "Alle bestanden (*.*)", "Alle Dateien (*.*)"}},
};

const TranslatedText kAboutTexts[] = {
    {IDC_ABOUT_VERSION,
     {"Morvex version " MORVEX_VERSION_MAJOR_TEXT, "Morvex versie " MORVEX_VERSION_MAJOR_TEXT,
      "Morvex Version " MORVEX_VERSION_MAJOR_TEXT}},
    {IDC_ABOUT_CREDIT,
     {"Written by the Morvex developers", "Geschreven door de Morvex ontwikkelaars",
      "Geschrieben von den Morvex-Entwicklern"}},
    {IDC_ABOUT_RIGHTS,
     {"Copyright \u00A9 2026 the Morvex developers",
      "Copyright \u00A9 2026 de Morvex ontwikkelaars",
      "Copyright \u00A9 2026 die Morvex-Entwickler"}},
    {IDC_ABOUT_THANKS,
     {"Thanks to everyone who tried the conversions and sent us their GDB files.\nCheck a "
      "converted file in your mapping program before you rely on it.",
      "Dank aan iedereen die de conversies probeerde en ons GDB bestanden stuurde.\nControleer "
      "een geconverteerd bestand eerst in uw kaart programma.",
      "Danke an alle, die die Konvertierungen testeten und uns GDB-Dateien schickten.\nPr\u00FCfen "
      "Sie eine konvertierte Datei in Ihrem Kartenprogramm, bevor Sie ihr vertrauen."}},
    {IDOK, {"OK", "OK", "OK"}},
};

const LanguageButton kLanguageButtons[] = {
    {IDC_LANG_ENGLISH, Language::kEnglish},
    {IDC_LANG_DUTCH, Language::kDutch},
    {IDC_LANG_GERMAN, Language::kGerman},
    {IDC_LANG_FRENCH, Language::kFourth},
};

// The white space the Qt window always trimmed off the via field (what
// QString::trimmed removes), UTF-8.
const std::string_view kWhiteSpace[] = {
    " ",      "\t",     "\n",     "\v",     "\f",     "\r",     "\u0085", "\u00A0", "\u1680",
    "\u2000", "\u2001", "\u2002", "\u2003", "\u2004", "\u2005", "\u2006", "\u2007", "\u2008",
    "\u2009", "\u200A", "\u2028", "\u2029", "\u202F", "\u205F", "\u3000",
};

// Takes one white space character off the front or the back of text.
bool TrimOne(std::string_view& text, bool front) {
  for (std::string_view space : kWhiteSpace) {
    if (front ? text.starts_with(space) : text.ends_with(space)) {
      front ? text.remove_prefix(space.size()) : text.remove_suffix(space.size());
      return true;
    }
  }
  return false;
}

std::string_view Trimmed(std::string_view text) {
  while (TrimOne(text, true)) {
  }
  while (TrimOne(text, false)) {
  }
  return text;
}

constexpr size_t kNotFound = static_cast<size_t>(-1);

size_t IndexOf(int id) {
  for (size_t i = 0; i < std::size(kControls); ++i) {
    if (kControls[i].id == id) return i;
  }
  return kNotFound;
}

// The table indexes [first, end) of the control's radio group: the option
// buttons from one that starts a group up to the next control that is no
// option or starts a group itself. Any other control is a group of its own.
std::pair<size_t, size_t> GroupSpan(size_t at) {
  if (kControls[at].kind != Option) return {at, at + 1};
  size_t first = at;
  while ((kControls[first].style & kStartsGroup) == 0 && first > 0 &&
         kControls[first - 1].kind == Option) {
    --first;
  }
  size_t end = at + 1;
  while (end < std::size(kControls) && kControls[end].kind == Option &&
         (kControls[end].style & kStartsGroup) == 0) {
    ++end;
  }
  return {first, end};
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsShown(const ControlTemplate& control) {
  return (control.style & kHidden) == 0;
}

// Both separators on every system: a window may be shown a Windows path
// anywhere.
bool IsFolderSeparator(char c) {
  return c == '/' || c == '\\';
}

// What the option's run writes, as the suggested name says it.
std::string_view OutputKindOfOption(int option) {
  switch (option) {
    case 1:
    case 2:
      return "tracks";
    case 3:
    case 4:
      return "vias";
    case 5:
    case 6:
      return "routes";
    default:
      return {};
  }
}

// The path without a final ".gdb" in any case, unless that would leave the
// file no name.
std::string_view WithoutGdbExtension(std::string_view path) {
  constexpr std::string_view kExtension = ".gdb";
  if (path.size() <= kExtension.size()) return path;
  const std::string_view tail = path.substr(path.size() - kExtension.size());
  for (size_t i = 0; i < kExtension.size(); ++i) {
    if (AsciiLower(tail[i]) != kExtension[i]) return path;
  }
  const std::string_view base = path.substr(0, path.size() - kExtension.size());
  return IsFolderSeparator(base.back()) ? path : base;
}

// The line below a run's last box that counts the messages a check box
// silenced, with its line break; empty when there were none.
std::string NotShownLine(unsigned notShown, Language language) {
  const char* line = TextFor(MessageId::kMessagesNotShown, language).text;
  if (notShown == 0 || line == nullptr) return {};
  std::vector<char> counted(std::strlen(line) + 12);
  std::snprintf(counted.data(), counted.size(), line, notShown);
  std::string shown(1, '\n');
  shown += counted.data();
  return shown;
}

// The column of the language in a TranslatedText; English for a language
// without texts of its own.
size_t ColumnOf(Language language) {
  if (!HasOwnTexts(language)) return 0;
  return static_cast<size_t>(language) - static_cast<size_t>(Language::kEnglish);
}

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
    for (const LanguageButton& button : kLanguageButtons) {
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
    const std::string_view line = TrimmedBlanks(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.starts_with('[')) {
      inSection = line == kSettingsSection;
      continue;
    }
    const size_t equals = line.find('=');
    if (!inSection || equals == std::string_view::npos) continue;
    values.emplace_back(TrimmedBlanks(line.substr(0, equals)),
                        TrimmedBlanks(line.substr(equals + 1)));
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

std::string FolderOfPath(std::string_view path) {
  const size_t last = path.find_last_of("/\\");
  if (last == std::string_view::npos) return {};
  const std::string_view folder = path.substr(0, last);
  const bool root = folder.empty() || (folder.size() == 2 && folder[1] == ':');
  return std::string(root ? path.substr(0, last + 1) : folder);
}

std::span<const ControlTemplate> DialogControls() {
  return kControls;
}

const ControlTemplate* FindControl(int id) {
  for (const ControlTemplate& control : kControls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

bool IsTabStop(const ControlTemplate& control) {
  switch (control.kind) {
    case PathField:
    case NumberField:
    case CheckBox:
    case Button:
    case DefaultButton:
      return true;
    case Option:
      return (control.style & kStartsGroup) != 0;
    case Frame:
    case Label:
      return false;
  }
  return false;
}

std::vector<int> RadioGroupOf(int id) {
  std::vector<int> group;
  const size_t at = IndexOf(id);
  if (at == kNotFound || kControls[at].kind != Option) return group;
  const auto [first, end] = GroupSpan(at);
  for (size_t i = first; i < end; ++i) group.push_back(kControls[i].id);
  return group;
}

char MnemonicOf(std::string_view text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] != '&') return AsciiUpper(text[i + 1]);
    ++i;  // "&&" is a plain '&'
  }
  return 0;
}

std::string WithoutMnemonic(std::string_view text) {
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

std::string_view DialogCaption() {
  return kCaption;
}

std::string_view AboutMenuText() {
  return kAboutMenu;
}

FileFilters GdbFileFilters(Language language) {
  FileFilters filters{{}, "gdb"};
  for (const TranslatedText& name : kFilterNames) {
    filters.nameFilters.emplace_back(name.text[ColumnOf(language)]);
  }
  return filters;
}

std::string PipeSeparatedFilters(const FileFilters& filters) {
  std::string list;
  for (const std::string& name : filters.nameFilters) {
    const size_t open = name.rfind('(');
    const size_t close = name.rfind(')');
    const bool hasPattern = open != std::string::npos && close != std::string::npos && open < close;
    list += name + '|' + (hasPattern ? name.substr(open + 1, close - open - 1) : "*") + '|';
  }
  return list + '|';
}

std::span<const LanguageButton> LanguageButtons() {
  return kLanguageButtons;
}

bool HasOwnTexts(Language language) {
  return language == Language::kEnglish || language == Language::kDutch ||
         language == Language::kGerman;
}

std::vector<ControlText> LanguageTexts(Language language) {
  std::vector<ControlText> texts;
  if (!HasOwnTexts(language)) return texts;
  for (const TranslatedText& item : kLanguageTexts) {
    texts.push_back({item.id, item.text[ColumnOf(language)]});
  }
  return texts;
}

std::vector<ControlText> AboutTexts(Language language) {
  std::vector<ControlText> texts;
  for (const TranslatedText& item : kAboutTexts) {
    texts.push_back({item.id, item.text[ColumnOf(language)]});
  }
  return texts;
}

std::string_view LocaleName(Language language) {
  if (!HasOwnTexts(language)) return {};
  constexpr std::array<std::string_view, 3> kNames = {"en", "nl", "de"};
  return kNames[ColumnOf(language)];
}

int OptionOfButton(int id) {
  return id >= IDC_OPTION_1 && id <= IDC_OPTION_6 ? id - IDC_OPTION_1 + 1 : 0;
}

std::string SuggestedOutputPath(std::string_view inputPath, int option) {
  const std::string_view kind = OutputKindOfOption(option);
  if (inputPath.empty() || IsFolderSeparator(inputPath.back()) || kind.empty()) return {};
  std::string suggestion(WithoutGdbExtension(inputPath));
  return suggestion.append("-").append(kind).append(".gdb");
}

int DialogModel::CheckedOptionButton() const {
  return m_option == 0 ? 0 : IDC_OPTION_1 + m_option - 1;
}

int DialogModel::CheckedLanguageButton() const {
  for (const LanguageButton& button : kLanguageButtons) {
    if (button.language == m_language) return button.id;
  }
  return 0;
}

bool DialogModel::IsEnabled(int id) const {
  if (id == IDC_MAX_VIAS_LABEL || id == IDC_MAX_VIAS || id == IDC_ONE_ROUTE) {
    return IsTrackToRoute(ModeForOption(m_option));  // the options that read the field
  }
  const ControlTemplate* control = FindControl(id);
  return control != nullptr && (control->style & kDisabled) == 0;
}

std::vector<int> DialogModel::TabStops() const {
  std::vector<int> stops;
  for (const ControlTemplate& control : kControls) {
    if (!IsShown(control) || !IsEnabled(control.id)) continue;
    const bool stop = control.kind == Option ? control.id == CheckedOptionButton() ||
                                                   control.id == CheckedLanguageButton()
                                             : IsTabStop(control);
    if (stop) stops.push_back(control.id);
  }
  return stops;
}

int DialogModel::NextTabStop(int fromId, bool next) const {
  const std::vector<int> stops = TabStops();
  if (stops.empty()) return 0;
  const size_t at = IndexOf(fromId);
  if (at == kNotFound) return next ? stops.front() : stops.back();
  const auto [first, end] = GroupSpan(at);
  if (next) {
    for (int stop : stops) {
      if (IndexOf(stop) >= end) return stop;
    }
    return stops.front();
  }
  for (auto stop = stops.rbegin(); stop != stops.rend(); ++stop) {
    if (IndexOf(*stop) < first) return *stop;
  }
  return stops.back();
}

int DialogModel::NextInRadioGroup(int id, bool next) const {
  const size_t at = IndexOf(id);
  if (at == kNotFound || kControls[at].kind != Option) return 0;
  const auto [first, end] = GroupSpan(at);
  const size_t count = end - first;
  for (size_t step = 1; step <= count; ++step) {
    const size_t i = first + (at - first + (next ? step : count - step)) % count;
    if (IsShown(kControls[i]) && IsEnabled(kControls[i].id)) return kControls[i].id;
  }
  return id;
}

int DialogModel::MnemonicTarget(int id) const {
  const ControlTemplate* control = FindControl(id);
  if (control == nullptr) return 0;
  return control->kind == Frame ? NextTabStop(id, true) : id;
}

std::vector<ControlText> DialogModel::OnLanguageClicked(int buttonId) {
  for (const LanguageButton& button : kLanguageButtons) {
    if (button.id != buttonId) continue;
    m_language = button.language;
    return LanguageTexts(button.language);
  }
  return {};
}

std::vector<ControlText> DialogModel::RestoreSettings(const DialogSettings& settings) {
  m_option = settings.option;
  m_oneRoute = settings.oneRoute;
  m_inputFolder = settings.inputFolder;
  m_outputFolder = settings.outputFolder;
  m_preview = settings.preview;
  // English keeps the template's texts, as every start always showed them.
  if (settings.language == m_language) return {};
  for (const LanguageButton& button : kLanguageButtons) {
    if (button.language == settings.language) return OnLanguageClicked(button.id);
  }
  return {};
}

DialogSettings DialogModel::Settings(std::string_view viaText) const {
  return {m_language,     m_option, std::string(Trimmed(viaText)), m_oneRoute, m_inputFolder,
          m_outputFolder, m_preview};
}

std::string DialogModel::PickerFolder(
    int field, std::string_view fieldPath,
    const std::function<bool(const std::string&)>& isFolder) const {
  std::string folder = FolderOfPath(Trimmed(fieldPath));
  if (!folder.empty() && isFolder(folder)) return folder;
  folder = field == IDC_INPUT_PATH ? m_inputFolder : m_outputFolder;
  return !folder.empty() && isFolder(folder) ? folder : std::string();
}

void DialogModel::OnPathPicked(int field, std::string_view path) {
  std::string folder = FolderOfPath(path);
  if (field == IDC_OUTPUT_PATH) m_agreedOutput = path;
  if (folder.empty()) return;
  (field == IDC_INPUT_PATH ? m_inputFolder : m_outputFolder) = std::move(folder);
}

bool DialogModel::AsksBeforeReplacing(std::string_view outputPath, bool outputExists) const {
  return outputExists && (m_agreedOutput.empty() || outputPath != m_agreedOutput);
}

void DialogModel::OnConvertStarted(std::string_view inputPath, std::string_view outputPath) {
  if (std::string folder = FolderOfPath(inputPath); !folder.empty()) m_inputFolder = folder;
  if (std::string folder = FolderOfPath(outputPath); !folder.empty()) m_outputFolder = folder;
  m_agreedOutput = outputPath;
}

std::optional<std::string> DialogModel::OnInputChanged(std::string_view inputPath,
                                                       std::string_view currentOutput) {
  m_inputPath = inputPath;
  return Suggest(currentOutput);
}

std::optional<std::string> DialogModel::OnOptionChanged(std::string_view currentOutput) {
  return Suggest(currentOutput);
}

std::optional<std::string> DialogModel::Suggest(std::string_view currentOutput) {
  if (!currentOutput.empty() && currentOutput != m_lastSuggestion) return std::nullopt;
  m_lastSuggestion = SuggestedOutputPath(m_inputPath, m_option);
  if (m_lastSuggestion == currentOutput) return std::nullopt;
  return m_lastSuggestion;
}

RunRequest DialogModel::Request(std::string inputPath, std::string outputPath,
                                std::string_view viaText) const {
  RunRequest request;
  request.inputPath = std::move(inputPath);
  request.outputPath = std::move(outputPath);
  request.mode = ModeForOption(m_option);
  request.viaCount = ViaCountOf(Trimmed(viaText));
  // The box stays checked while another option is chosen; only a run that
  // makes routes of tracks takes it.
  request.oneRoute = m_oneRoute && IsTrackToRoute(ModeForOption(m_option));
  request.language = m_language;
  request.trace = m_trace;
  return request;
}

WindowMessage ForWindow(std::string_view text, std::string_view title, MessageStyle style) {
  return {TextForWindow(text), TextForWindow(title), style, {}};
}

WindowMessage ReplaceQuestion(std::string_view outputPath, Language language) {
  const MessageText question = TextFor(MessageId::kReplaceOutput, language);
  if (question.text == nullptr) return {};
  std::string text(question.text);
  text.replace(text.find("%s"), 2, outputPath);
  return ForWindow(text, question.title, MessageStyle::Exclamation);
}

void WindowReporter::OnRunStart(const RunRequest& request) {
  m_language = request.language;
  m_silenced = false;
  m_notShown = 0;
}

void WindowReporter::ShowRecordMessage(const std::string& text, const std::string& title,
                                       MessageStyle style) {
  if (m_silenced) {
    ++m_notShown;
    return;
  }
  WindowMessage message = ForWindow(text, title, style);
  const char* checkBox = TextFor(MessageId::kShowNoMoreMessages, m_language).text;
  if (checkBox != nullptr) message.checkBoxText = checkBox;
  m_silenced = m_show(message) && !message.checkBoxText.empty();
}

void WindowReporter::ShowMessage(const std::string& text, const std::string& title,
                                 MessageStyle style) {
  WindowMessage message = ForWindow(text, title, style);
  message.text += NotShownLine(m_notShown, m_language);
  m_show(message);
}
