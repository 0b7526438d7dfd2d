// The controls of the converter window, whatever toolkit draws them: one
// table of ids, kinds, template texts (keys of the catalogue) and styles, in
// the order that is also the tab order and forms the radio groups. Both
// windows create or check their controls against it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue.h"
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
  TextKey text;    // an '&' marks the next character as the mnemonic; no key for a field
  unsigned style;  // ControlStyle flags
};

// The controls in template order, which is also the tab order and the order in
// which the radio groups are formed.
std::span<const ControlTemplate> DialogControls();
// The control's template, or nullptr for an id the dialog does not have.
const ControlTemplate* FindControl(int id);
// Where the control stands in the table; -1 for an id the dialog does not have.
int TableIndexOf(int id);
bool IsShown(const ControlTemplate& control);
// Whether the template makes the control a tab stop: the fields, the push
// buttons and the first button of each radio group. A window moves a group's
// stop to its checked button (TabStops in window_state.h).
bool IsTabStop(const ControlTemplate& control);
// The buttons of the radio group that holds the button, in table order; none
// for any other control.
std::vector<int> RadioGroupOf(int id);

// The mnemonic of a control text, upper case: the character after its single
// '&' ("&&" shows one '&'); 0 when it has none.
char MnemonicOf(std::string_view text);
// The text as shown, without the '&' that marks its mnemonic.
std::string WithoutMnemonic(std::string_view text);

// Each language button and the language it selects.
struct LanguageButton {
  int id;
  Language language;
};
std::span<const LanguageButton> LanguageButtons();

// The processing option an option button stands for, 1 to 6; 0 for any other id.
int OptionOfButton(int id);
// The button of an option 1 to 6; 0 for none.
int ButtonOfOption(int option);
// The button of a language; 0 for none.
int ButtonOfLanguage(Language language);
