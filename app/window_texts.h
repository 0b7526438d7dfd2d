// The texts of the converter window and its about box in each language, and
// the file pickers' filters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gdb_types.h"

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
