// The texts of the converter window and its about box, as keys of the
// catalogue (catalogue.h), and the file pickers' filters. A window shows a
// key's words in its language with LabelText.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue.h"
#include "gdb_types.h"

struct ControlText {
  int id;
  TextKey text;
};

// Whether the language has texts of its own: a window in any other keeps the
// texts it shows.
bool HasOwnTexts(Language language);
// The words of a key in the language, UTF-8, '&' marking a mnemonic: English
// for a language without texts of its own; empty for no key ({}).
const char* LabelText(TextKey key, Language language);

// The text with its first "%s" replaced by the value.
std::string Filled(std::string_view text, std::string_view value);

// The window's caption with the program's version, the same in every language.
std::string DialogCaption();
// The About item of the window menu, the same in every language.
TextKey AboutMenuText();

// The texts that choosing a language with texts of its own sets, control by
// control in the order they are set. The language buttons' own labels, the
// caption and the About item keep theirs in every language.
std::span<const ControlText> LanguageTexts();

// The file pickers of both path fields.
struct FileFilters {
  std::vector<TextKey> names;  // the first one is selected
  std::string defaultSuffix;   // appended to a name typed without one
};
FileFilters GdbFileFilters();
// The filters' names in the language (LabelText).
std::vector<std::string> FilterNames(const FileFilters& filters, Language language);
// The names as one list of names and patterns, each followed by '|' and the
// list by one more: "GDB Files (*.gdb)|*.gdb|...||". The pattern of a name is
// what its last parentheses hold. A Windows file dialog takes this list with
// every '|' made a NUL.
std::string PipeSeparatedFilters(const std::vector<std::string>& names);

// The texts of the about box, control by control: the version, the credit
// line, the rights notice, the thanks across its foot and OK.
std::span<const ControlText> AboutTexts();
// A text of the about box in the language (LabelText), with the program's
// version in place of the version's "%s".
std::string AboutText(TextKey text, Language language);
// The about box's caption, the same in every language.
std::string AboutCaption();

// The locale name of the language ("en", "nl", "de"); empty for a language
// without texts of its own.
std::string_view LocaleName(Language language);
