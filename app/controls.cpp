#include "controls.h"

#include <iterator>

namespace {

using enum ControlKind;

// The template of a field, whose contents are the user's.
constexpr TextKey kNoLabel{nullptr, nullptr};

// Tab order: the two paths with their Browse buttons, the options with the
// via-point field and the one-route box, the languages, then Preview, Convert
// and Quit. Preview starts a group of its own so that the language buttons'
// group ends before it. The texts are those a window shows at its start, in
// English; each language button is named in its own language, in every
// language.
const ControlTemplate kControls[] = {
    {IDC_INPUT_GROUP, Frame, T_("IDC_INPUT_GROUP", "&Input File"), 0},
    {IDC_INPUT_PATH, PathField, kNoLabel, 0},
    {IDC_BROWSE_INPUT, Button, T_("IDC_BROWSE_INPUT", "Browse..."), 0},
    {IDC_OUTPUT_GROUP, Frame, T_("IDC_OUTPUT_GROUP", "&Output File"), 0},
    {IDC_OUTPUT_PATH, PathField, kNoLabel, 0},
    {IDC_BROWSE_OUTPUT, Button, T_("IDC_BROWSE_OUTPUT", "Browse..."), 0},
    {IDC_OPTIONS_GROUP, Frame, T_("IDC_OPTIONS_GROUP", "&Processing Options"), 0},
    {IDC_OPTION_1, Option, T_("IDC_OPTION_1", "&1. Convert routes to tracks with all points"),
     kStartsGroup},
    {IDC_OPTION_2, Option, T_("IDC_OPTION_2", "&2. Convert routes to tracks with via points only"),
     0},
    {IDC_OPTION_3, Option,
     T_("IDC_OPTION_3", "&3. Convert auto-generated route via points to user waypoint vias"), 0},
    {IDC_OPTION_4, Option,
     T_("IDC_OPTION_4", "&4. Convert auto-generated route via points to hidden via points"), 0},
    {IDC_OPTION_5, Option,
     T_("IDC_OPTION_5", "&5. Convert tracks to routes with user waypoint vias"), 0},
    {IDC_OPTION_6, Option,
     T_("IDC_OPTION_6", "&6. Convert tracks to routes with hidden via points"), 0},
    {IDC_MAX_VIAS_LABEL, Label,
     T_("IDC_MAX_VIAS_LABEL",
        "For options 5 and 6:\nMaximum number of via points per route (25-1000)"),
     kStartsGroup | kDisabled},
    {IDC_MAX_VIAS, NumberField, kNoLabel, kDisabled},
    {IDC_ONE_ROUTE, CheckBox,
     T_("IDC_ONE_ROUTE", "&Keep each track in one route, with the via points that follow it best"),
     kStartsGroup | kDisabled},
    {IDC_LANGUAGE_GROUP, Frame, T_("IDC_LANGUAGE_GROUP", "&Language"), 0},
    {IDC_LANG_ENGLISH, Option, T_("IDC_LANG_ENGLISH", "English"), kStartsGroup},
    {IDC_LANG_DUTCH, Option, T_("IDC_LANG_DUTCH", "Nederlands"), 0},
    {IDC_LANG_GERMAN, Option, T_("IDC_LANG_GERMAN", "Deutsch"), 0},
    {IDC_LANG_FRENCH, Option, T_("IDC_LANG_FRENCH", "Français"), kHidden | kDisabled},
    {IDC_PREVIEW, Button, T_("IDC_PREVIEW", "Pre&view"), kStartsGroup},
    {IDC_CONVERT, DefaultButton, T_("IDC_CONVERT", "&Convert"), kStartsGroup},
    {IDCANCEL, Button, T_("IDCANCEL", "&Quit"), 0},
};

const LanguageButton kLanguageButtons[] = {
    {IDC_LANG_ENGLISH, Language::kEnglish},
    {IDC_LANG_DUTCH, Language::kDutch},
    {IDC_LANG_GERMAN, Language::kGerman},
    {IDC_LANG_FRENCH, Language::kFourth},
};

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::span<const ControlTemplate> DialogControls() {
  return kControls;
}

const ControlTemplate* FindControl(int id) {
  const int at = TableIndexOf(id);
  return at < 0 ? nullptr : &kControls[at];
}

int TableIndexOf(int id) {
  for (size_t i = 0; i < std::size(kControls); ++i) {
    if (kControls[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

bool IsShown(const ControlTemplate& control) {
  return (control.style & kHidden) == 0;
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
  const int at = TableIndexOf(id);
  if (at < 0 || kControls[at].kind != Option) return group;
  // From the button that starts the group up to the next control that is no
  // option or starts a group itself.
  size_t first = static_cast<size_t>(at);
  while ((kControls[first].style & kStartsGroup) == 0 && first > 0 &&
         kControls[first - 1].kind == Option) {
    --first;
  }
  for (size_t i = first; i < std::size(kControls) && kControls[i].kind == Option; ++i) {
    if (i > first && (kControls[i].style & kStartsGroup) != 0) break;
    group.push_back(kControls[i].id);
  }
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

std::span<const LanguageButton> LanguageButtons() {
  return kLanguageButtons;
}

int OptionOfButton(int id) {
  return id >= IDC_OPTION_1 && id <= IDC_OPTION_6 ? id - IDC_OPTION_1 + 1 : 0;
}

int ButtonOfOption(int option) {
  return option >= 1 && option <= 6 ? IDC_OPTION_1 + option - 1 : 0;
}

int ButtonOfLanguage(Language language) {
  for (const LanguageButton& button : kLanguageButtons) {
    if (button.language == language) return button.id;
  }
  return 0;
}
