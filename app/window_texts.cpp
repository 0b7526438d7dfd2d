#include "window_texts.h"

#include <array>

#include "dialog_ids.h"
#include "morvex_version.h"

namespace {

const char kCaption[] =
    "Morvex Version " MORVEX_VERSION_SHORT " - File Converter for Mapsource GDB files";
const char kAboutMenu[] = "&About Morvex...";

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

// The column of the language in a TranslatedText; English for a language
// without texts of its own.
size_t ColumnOf(Language language) {
  if (!HasOwnTexts(language)) return 0;
  return static_cast<size_t>(language) - static_cast<size_t>(Language::kEnglish);
}

}  // namespace

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
