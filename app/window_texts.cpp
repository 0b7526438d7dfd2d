#include "window_texts.h"

#include <array>
#include <iterator>

#include "dialog_ids.h"
#include "morvex_version.h"

namespace {

// The context of each text names the control that shows it; the template's
// texts (controls.cpp) share it where they differ from these.
constexpr ControlText kLanguageTexts[] = {
    {IDC_BROWSE_INPUT, T_("IDC_BROWSE_INPUT", "Browse...")},
    {IDC_BROWSE_OUTPUT, T_("IDC_BROWSE_OUTPUT", "Browse...")},
    {IDC_CONVERT, T_("IDC_CONVERT", "&Convert")},
    {IDCANCEL, T_("IDCANCEL", "&Quit")},
    {IDC_PREVIEW, T_("IDC_PREVIEW", "Pre&view")},
    {IDC_INPUT_GROUP, T_("IDC_INPUT_GROUP", "&Input file")},
    {IDC_OUTPUT_GROUP, T_("IDC_OUTPUT_GROUP", "&Output file")},
    {IDC_OPTIONS_GROUP, T_("IDC_OPTIONS_GROUP", "&Processing options")},
    {IDC_MAX_VIAS_LABEL,
     T_("IDC_MAX_VIAS_LABEL",
        "For options 5 and 6:\nMaximum number of via points per route (25-1000)")},
    {IDC_LANGUAGE_GROUP, T_("IDC_LANGUAGE_GROUP", "&Language")},
    {IDC_OPTION_1, T_("IDC_OPTION_1", "&1. Convert routes to tracks with all points")},
    {IDC_OPTION_2, T_("IDC_OPTION_2", "&2. Convert routes to tracks with via points only")},
    {IDC_OPTION_3,
     T_("IDC_OPTION_3", "&3. Convert auto-generated route via points to user waypoint vias")},
    {IDC_OPTION_4,
     T_("IDC_OPTION_4", "&4. Convert auto-generated route via points to hidden via points")},
    {IDC_OPTION_5, T_("IDC_OPTION_5", "&5. Convert tracks to routes with user waypoint vias")},
    {IDC_OPTION_6, T_("IDC_OPTION_6", "&6. Convert tracks to routes with hidden via points")},
    {IDC_ONE_ROUTE,
     T_("IDC_ONE_ROUTE", "&Keep each track in one route, with the via points that follow it best")},
};

// What a name's parentheses hold is the pattern a Windows picker filters with.
constexpr TextKey kFilterNames[] = {
    T_("file filter", "GDB Files (*.gdb)"),
    T_("file filter", "All Files (*.*)"),
};

// The version's "%s" is filled in by AboutText.
constexpr ControlText kAboutTexts[] = {
    {IDC_ABOUT_VERSION, T_("IDC_ABOUT_VERSION", "Morvex version %s")},
    {IDC_ABOUT_CREDIT, T_("IDC_ABOUT_CREDIT", "Written by the Morvex developers")},
    {IDC_ABOUT_RIGHTS, T_("IDC_ABOUT_RIGHTS", "Copyright \u00A9 2026 the Morvex developers")},
    {IDC_ABOUT_THANKS,
     T_("IDC_ABOUT_THANKS",
        "Thanks to everyone who tried the conversions and sent us their GDB files.\nCheck a "
        "converted file in your mapping program before you rely on it.")},
    {IDOK, T_("IDOK", "OK")},
};

}  // namespace

std::string Filled(std::string_view text, std::string_view value) {
  std::string filled(text);
  if (const size_t at = filled.find("%s"); at != std::string::npos) filled.replace(at, 2, value);
  return filled;
}

bool HasOwnTexts(Language language) {
  return HasTexts(language);
}

const char* LabelText(TextKey key, Language language) {
  if (key.english == nullptr) return "";
  const char* text = Translate(key, HasOwnTexts(language) ? language : Language::kEnglish);
  return text != nullptr ? text : key.english;
}

std::string DialogCaption() {
  // TRANSLATORS: the same in every language; %s is the version.
  const TextKey caption =
      T_("IDD_MAIN", "Morvex Version %s - File Converter for Mapsource GDB files");
  return Filled(LabelText(caption, Language::kEnglish), MORVEX_VERSION_SHORT);
}

TextKey AboutMenuText() {
  // TRANSLATORS: the same in every language.
  return T_("IDS_ABOUT_MENU", "&About Morvex...");
}

std::span<const ControlText> LanguageTexts() {
  return kLanguageTexts;
}

FileFilters GdbFileFilters() {
  return {{std::begin(kFilterNames), std::end(kFilterNames)}, "gdb"};
}

std::vector<std::string> FilterNames(const FileFilters& filters, Language language) {
  std::vector<std::string> names;
  for (const TextKey& name : filters.names) names.emplace_back(LabelText(name, language));
  return names;
}

std::string PipeSeparatedFilters(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) {
    const size_t open = name.rfind('(');
    const size_t close = name.rfind(')');
    const bool hasPattern = open != std::string::npos && close != std::string::npos && open < close;
    list += name + '|' + (hasPattern ? name.substr(open + 1, close - open - 1) : "*") + '|';
  }
  return list + '|';
}

std::span<const ControlText> AboutTexts() {
  return kAboutTexts;
}

std::string AboutText(TextKey text, Language language) {
  return Filled(LabelText(text, language), MORVEX_VERSION_MAJOR_TEXT);
}

std::string AboutCaption() {
  // TRANSLATORS: the same in every language.
  return LabelText(T_("IDD_ABOUT", "About Morvex"), Language::kEnglish);
}

std::string_view LocaleName(Language language) {
  if (!HasOwnTexts(language)) return {};
  constexpr std::array<std::string_view, 3> kNames = {"en", "nl", "de"};
  return kNames[static_cast<size_t>(language) - static_cast<size_t>(Language::kEnglish)];
}
