// What the converter windows share, whatever toolkit draws them: the control
// table, the texts of every language, the state the controls show (checked
// option, language, enabled controls) and the request a Convert click makes.
// A window creates its controls from the table, shows the model's texts and
// state, and forwards its clicks to the model.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "conversion_run.h"
#include "dialog_ids.h"
#include "gdb_types.h"

enum class ControlKind {
  Frame,
  PathField,
  Button,
  DefaultButton,
  Option,
  Label,
  NumberField,
  CheckBox,
};

enum ControlStyle : unsigned {
  kStartsGroup = 1,  // the first button of a radio group; on any other kind, ends the group
  kDisabled = 2,
  kHidden = 4,
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;  // UTF-8; an '&' marks the next character as the mnemonic
  unsigned style;    // ControlStyle flags
};

// The controls in template order, which is also the tab order and the order in
// which the radio groups are formed.
std::span<const ControlTemplate> DialogControls();
// The control's template, or nullptr for an id the dialog does not have.
const ControlTemplate* FindControl(int id);
// Whether the template makes the control a tab stop: the fields, the push
// buttons and the first button of each radio group. A window moves a group's
// stop to its checked button (DialogModel::TabStops).
bool IsTabStop(const ControlTemplate& control);
// The buttons of the radio group that holds the button, in table order; none
// for any other control.
std::vector<int> RadioGroupOf(int id);

// The mnemonic of a control text, upper case: the character after its single
// '&' ("&&" shows one '&'); 0 when it has none.
char MnemonicOf(std::string_view text);
// The text as shown, without the '&' that marks its mnemonic.
std::string WithoutMnemonic(std::string_view text);

struct ControlText {
  int id;
  std::string_view text;  // UTF-8
};

// The window's caption, the same in every language.
std::string_view DialogCaption();
// The About item of the window menu.
std::string_view AboutMenuText();

// The file pickers of both path fields.
struct FileFilters {
  std::vector<std::string> nameFilters;  // the first one is selected
  std::string defaultSuffix;             // appended to a name typed without one
};
// The filters with their names in the language; in English for a language
// without texts of its own.
FileFilters GdbFileFilters(Language language = Language::kEnglish);
// The filters as one list of names and patterns, each followed by '|' and the
// list by one more: "GDB Files (*.gdb)|*.gdb|...||". The pattern of a name is
// what its last parentheses hold. A Windows file dialog takes this list with
// every '|' made a NUL.
std::string PipeSeparatedFilters(const FileFilters& filters);

// Each language button and the language it selects.
struct LanguageButton {
  int id;
  Language language;
};
std::span<const LanguageButton> LanguageButtons();
// The texts that choosing the language sets, control by control in the order
// they are set; none for a language without texts of its own. The language
// buttons' own labels, the caption and the About item keep theirs in every
// language.
std::vector<ControlText> LanguageTexts(Language language);
bool HasOwnTexts(Language language);

// The texts of the about box in the language, control by control: the
// version, the credit line, the rights notice, the thanks across its foot and
// OK; English for a language without texts of its own. Its caption stays.
std::vector<ControlText> AboutTexts(Language language);
// The locale name of the language ("en", "nl", "de"); empty for a language
// without texts of its own.
std::string_view LocaleName(Language language);

// The processing option an option button stands for, 1 to 6; 0 for any other id.
int OptionOfButton(int id);

// The output path suggested for an input and an option: the input's name
// without its .gdb extension (in any case), a dash, what the option makes and
// ".gdb", in the input's folder as the input spells it. Empty for an empty
// input, one that ends in a folder separator, or no option.
std::string SuggestedOutputPath(std::string_view inputPath, int option);

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

// The folder part of a path, up to its last separator ('/' or '\\'); a root
// ("/", "C:\") keeps its separator. Empty for a path without a folder.
std::string FolderOfPath(std::string_view path);

// The state of one converter window, from its start as the template and the
// first checked buttons make it.
class DialogModel {
 public:
  int CheckedOption() const { return m_option; }  // 1 to 6; 0 when none is checked
  // The preview pane, shown and hidden with the Preview button.
  bool PreviewShown() const { return m_preview; }
  void SetPreviewShown(bool shown) { m_preview = shown; }
  Language CurrentLanguage() const { return m_language; }
  // The buttons the window shows checked, by id; 0 when none is.
  int CheckedOptionButton() const;
  int CheckedLanguageButton() const;
  // Whether the window shows the control enabled; the via-point label and
  // field and the one-route check box are only for options 5 and 6.
  bool IsEnabled(int id) const;
  // Whether the one-route check box is checked; a run of options 5 and 6
  // then makes one route of each track.
  bool OneRoute() const { return m_oneRoute; }
  void SetOneRoute(bool checked) { m_oneRoute = checked; }

  // The controls that Tab stops at now, in tab order: the enabled, visible
  // fields and push buttons, and of each radio group its checked button.
  std::vector<int> TabStops() const;
  // The tab stop that Tab (next) or Shift+Tab leaves the control for; a radio
  // button counts as its whole group. Wraps around.
  int NextTabStop(int fromId, bool next) const;
  // The button of the radio group that an arrow key moves to and checks: the
  // next (or previous) enabled, visible one, wrapping around; 0 for a control
  // in no group.
  int NextInRadioGroup(int id, bool next) const;
  // The control a control's mnemonic gives the focus to: a frame hands it on
  // to the first tab stop after the frame, any other control takes it.
  int MnemonicTarget(int id) const;

  // The option button now checked, by id (0 for none), whether by a click or not.
  void CheckOption(int buttonId) { m_option = OptionOfButton(buttonId); }
  // A click on a language button, by the id of the button now checked: the
  // texts to set, none when the language has none of its own.
  std::vector<ControlText> OnLanguageClicked(int buttonId);

  // The input path chosen (typed, picked, dropped or given at start) and the
  // option changed (after CheckOption), with the output field's text: the
  // text the output field is to show now, or nothing to leave it as it is.
  // An output field that is empty or still shows the last suggestion takes
  // the new one; any other text is the user's and stays.
  std::optional<std::string> OnInputChanged(std::string_view inputPath,
                                            std::string_view currentOutput);
  std::optional<std::string> OnOptionChanged(std::string_view currentOutput);

  // The settings of an earlier start: the language, the option and the last
  // folders taken over, with the texts the language sets as a click on its
  // button would set them; none for the language the window starts in, whose
  // texts the template has. The window checks the buttons and the one-route
  // box, shows the via text of the settings and the enabled state.
  std::vector<ControlText> RestoreSettings(const DialogSettings& settings);
  // The settings to keep, with the via field's text as the window shows it.
  DialogSettings Settings(std::string_view viaText) const;

  // The folder a path field's picker opens in: that of the field's path if
  // it has one and it exists, else the last folder of that field (if it
  // still exists); empty for the picker's own choice.
  std::string PickerFolder(int field, std::string_view fieldPath,
                           const std::function<bool(const std::string&)>& isFolder) const;
  // A path field filled by its picker. The file's folder becomes the field's
  // last folder; the Save picker has asked before replacing its file, so a
  // Convert with that output unchanged does not ask again.
  void OnPathPicked(int field, std::string_view path);
  // Whether a Convert must ask before the run replaces the output: the file
  // exists and the field's text is not one the user already agreed to (from
  // the Save picker, or of an earlier Convert in this window). The text
  // edited by hand counts as new, even when it started as a picked path.
  bool AsksBeforeReplacing(std::string_view outputPath, bool outputExists) const;
  // A run started with these paths: their folders become the last ones, and
  // the output is agreed to.
  void OnConvertStarted(std::string_view inputPath, std::string_view outputPath);

  // Where the runs' trace lines go; null (at start) for none. Not owned.
  void SetTraceOutput(OutputStream* trace) { m_trace = trace; }

  // The run a Convert click starts, with the fields as the window shows them.
  RunRequest Request(std::string inputPath, std::string outputPath, std::string_view viaText) const;

 private:
  std::optional<std::string> Suggest(std::string_view currentOutput);

  int m_option = 1;
  bool m_oneRoute = false;
  std::string m_inputPath;
  std::string m_inputFolder;
  std::string m_outputFolder;
  bool m_preview = false;
  std::string m_agreedOutput;  // the output the user agreed to replace; empty for none
  std::string m_lastSuggestion;
  Language m_language = Language::kEnglish;
  OutputStream* m_trace = nullptr;
};

// A message box as a window shows it.
struct WindowMessage {
  std::string text;
  std::string title;
  MessageStyle style;
  std::string checkBoxText;  // the box's check box, below its text; empty for none
};

// A message of the run or the window made fit for a window (see TextForWindow).
WindowMessage ForWindow(std::string_view text, std::string_view title, MessageStyle style);

// The question a Convert asks before the run replaces the output that exists
// (DialogModel::AsksBeforeReplacing), in the language; a Yes/No box. Empty
// text for a language without texts, which asks nothing.
WindowMessage ReplaceQuestion(std::string_view outputPath, Language language);

// Shows the run's messages through a window's message box. Each record
// message's box has a check box; once it is checked, the run's later record
// messages are only counted, and the box that ends the run says how many.
class WindowReporter final : public RunReporter {
 public:
  // Shows the box and returns whether its check box was checked when it closed.
  using ShowFunction = std::function<bool(const WindowMessage&)>;
  explicit WindowReporter(ShowFunction show) : m_show(std::move(show)) {}

  void OnRunStart(const RunRequest& request) override;
  void ShowRecordMessage(const std::string& text, const std::string& title,
                         MessageStyle style) override;
  // The box that ends the run.
  void ShowMessage(const std::string& text, const std::string& title, MessageStyle style) override;

 private:
  ShowFunction m_show;
  Language m_language = Language::kEnglish;
  bool m_silenced = false;
  unsigned m_notShown = 0;
};
