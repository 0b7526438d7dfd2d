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

enum class ControlKind { Frame, PathField, Button, DefaultButton, Option, Label, NumberField };

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

// The via-point maximum the field shows at start.
inline constexpr unsigned kDefaultViaCount = 250;

// The state of one converter window, from its start as the template and the
// first checked buttons make it.
class DialogModel {
 public:
  int CheckedOption() const { return m_option; }  // 1 to 6; 0 when none is checked
  Language CurrentLanguage() const { return m_language; }
  // The buttons the window shows checked, by id; 0 when none is.
  int CheckedOptionButton() const;
  int CheckedLanguageButton() const;
  // Whether the window shows the control enabled; the via-point label and
  // field are only for options 5 and 6.
  bool IsEnabled(int id) const;

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

  // Where the runs' trace lines go; null (at start) for none. Not owned.
  void SetTraceOutput(OutputStream* trace) { m_trace = trace; }

  // The run a Convert click starts, with the fields as the window shows them.
  RunRequest Request(std::string inputPath, std::string outputPath, std::string_view viaText) const;

 private:
  std::optional<std::string> Suggest(std::string_view currentOutput);

  int m_option = 1;
  std::string m_inputPath;
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
