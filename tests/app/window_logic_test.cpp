// The window logic both converter windows share, without any toolkit: the
// control table, the keyboard walk, the texts, the messages, the settings and
// the requests that the window state makes.
#include <gtest/gtest.h>

#include "catalogue.h"
#include "controls.h"
#include "morvex_version.h"
#include "window_messages.h"
#include "window_state.h"
#include "window_texts.h"

#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

const Language kLanguagesWithTexts[] = {Language::kEnglish, Language::kDutch, Language::kGerman};

TEST(WindowLogic, ControlIdsAreUniqueAndEveryTranslatedControlExists) {
  std::set<int> ids;
  for (const ControlTemplate& control : DialogControls()) {
    EXPECT_TRUE(ids.insert(control.id).second) << control.id;
  }
  for (const ControlText& text : LanguageTexts()) {
    EXPECT_NE(FindControl(text.id), nullptr) << text.id;
  }
  EXPECT_EQ(FindControl(IDOK), nullptr);
}

// The texts a window shows: the template's in English, then those the
// language sets.
std::map<int, std::string> ShownTexts(const Language* language) {
  std::map<int, std::string> shown;
  for (const ControlTemplate& control : DialogControls()) {
    shown[control.id] = LabelText(control.text, Language::kEnglish);
  }
  if (language != nullptr) {
    for (const ControlText& text : LanguageTexts()) {
      shown[text.id] = LabelText(text.text, *language);
    }
  }
  return shown;
}

// Where two texts share a mnemonic: "'K' of 1003 and 1002"; empty for none.
template <typename Texts>
std::string MnemonicClash(const Texts& texts) {
  std::map<char, int> owner;
  for (const auto& [id, text] : texts) {
    const char key = MnemonicOf(text);
    if (key == 0) continue;
    const auto [other, fresh] = owner.emplace(key, id);
    if (!fresh) {
      return "'" + std::string(1, key) + "' of " + std::to_string(id) + " and " +
             std::to_string(other->second);
    }
  }
  return {};
}

// The catalogue's own words for a key, as msgfmt compiled them; empty where
// it has none (Translate would give the English).
std::string_view CatalogueWords(TextKey key, Language language) {
  for (size_t i = 0; i < kCompiledCatalogueCount; ++i) {
    if (kCompiledCatalogues[i].language != language) continue;
    return LookUp(kCompiledCatalogues[i], std::string(key.context) + '\x04' + key.english);
  }
  return {};
}

// Every text of the window and its about box, as keys.
std::vector<TextKey> WindowKeys() {
  std::vector<TextKey> keys{AboutMenuText()};
  for (const ControlTemplate& control : DialogControls()) {
    if (control.text.english != nullptr) keys.push_back(control.text);
  }
  for (const ControlText& text : LanguageTexts()) keys.push_back(text.text);
  for (const ControlText& text : AboutTexts()) keys.push_back(text.text);
  for (const TextKey& name : GdbFileFilters().names) keys.push_back(name);
  return keys;
}

// Dutch and German have words of their own for every text of the window,
// with the English text's conversions; the language buttons' names and the
// About item are the same in every language.
TEST(WindowTexts, EveryTextHasItsWordsInEachLanguageWithTexts) {
  for (const TextKey& key : WindowKeys()) {
    for (Language language : {Language::kDutch, Language::kGerman}) {
      const std::string_view words = CatalogueWords(key, language);
      EXPECT_FALSE(words.empty()) << key.context << ": " << key.english;
      EXPECT_TRUE(SameConversions(words, key.english)) << words;
    }
  }
  std::vector<TextKey> fixed{AboutMenuText()};
  for (const LanguageButton& button : LanguageButtons()) {
    fixed.push_back(FindControl(button.id)->text);
  }
  for (const TextKey& key : fixed) {
    for (Language language : kLanguagesWithTexts) {
      EXPECT_STREQ(LabelText(key, language), key.english);
    }
  }
}

TEST(WindowLogic, MnemonicsAreAssignedAndNeverCollideWithinALanguage) {
  const struct {
    int id;
    std::array<char, 4> key;  // at start, in English, Dutch, German; 0 for none
  } cases[] = {
      {IDC_INPUT_GROUP, {'I', 'I', 'I', 'E'}},   {IDC_OUTPUT_GROUP, {'O', 'O', 'U', 'A'}},
      {IDC_OPTIONS_GROUP, {'P', 'P', 'V', 'V'}}, {IDC_LANGUAGE_GROUP, {'L', 'L', 'T', 'S'}},
      {IDC_CONVERT, {'C', 'C', 'C', 'K'}},       {IDCANCEL, {'Q', 'Q', 'E', 'B'}},
      {IDC_OPTION_1, {'1', '1', '1', '1'}},      {IDC_OPTION_6, {'6', '6', '6', '6'}},
      {IDC_ONE_ROUTE, {'K', 'K', 'R', 'J'}},     {IDC_BROWSE_INPUT, {0, 0, 0, 0}},
      {IDC_BROWSE_OUTPUT, {0, 0, 0, 0}},
  };
  for (size_t column = 0; column < 4; ++column) {
    const auto shown = ShownTexts(column == 0 ? nullptr : &kLanguagesWithTexts[column - 1]);
    for (const auto& c : cases) {
      EXPECT_EQ(MnemonicOf(shown.at(c.id)), c.key[column]) << c.id << " column " << column;
    }
    EXPECT_EQ(MnemonicClash(shown), "") << "column " << column;
  }
  for (Language language :
       {Language::kEnglish, Language::kDutch, Language::kGerman, Language::kFourth}) {
    std::map<int, std::string> about;
    for (const ControlText& text : AboutTexts()) about[text.id] = AboutText(text.text, language);
    EXPECT_EQ(MnemonicClash(about), "") << "about box, language " << static_cast<int>(language);
  }
}

TEST(WindowLogic, MnemonicMarksComeOffForDisplay) {
  const struct {
    const char* text;
    const char* shown;
    char key;
  } cases[] = {
      {"&Convert", "Convert", 'C'},
      {"Ein&gabe", "Eingabe", 'G'},
      {"Browse...", "Browse...", 0},
      {"Save && &quit", "Save & quit", 'Q'},
      {"&1. Convert", "1. Convert", '1'},
      {"end&", "end&", 0},
      {"", "", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithoutMnemonic(c.text), c.shown) << c.text;
    EXPECT_EQ(MnemonicOf(c.text), c.key) << c.text;
  }
}

TEST(WindowLogic, TemplateTabStopsAndRadioGroups) {
  std::vector<int> stops;
  for (const ControlTemplate& control : DialogControls()) {
    if (IsTabStop(control)) stops.push_back(control.id);
  }
  EXPECT_EQ(stops, (std::vector<int>{IDC_INPUT_PATH, IDC_BROWSE_INPUT, IDC_OUTPUT_PATH,
                                     IDC_BROWSE_OUTPUT, IDC_OPTION_1, IDC_MAX_VIAS, IDC_ONE_ROUTE,
                                     IDC_LANG_ENGLISH, IDC_PREVIEW, IDC_CONVERT, IDCANCEL}));
  const std::vector<int> options{IDC_OPTION_1, IDC_OPTION_2, IDC_OPTION_3,
                                 IDC_OPTION_4, IDC_OPTION_5, IDC_OPTION_6};
  const std::vector<int> languages{IDC_LANG_ENGLISH, IDC_LANG_DUTCH, IDC_LANG_GERMAN,
                                   IDC_LANG_FRENCH};
  EXPECT_EQ(RadioGroupOf(IDC_OPTION_1), options);
  EXPECT_EQ(RadioGroupOf(IDC_OPTION_6), options);
  EXPECT_EQ(RadioGroupOf(IDC_LANG_DUTCH), languages);
  EXPECT_TRUE(RadioGroupOf(IDC_CONVERT).empty());
  EXPECT_TRUE(RadioGroupOf(IDOK).empty());
}

Language LanguageOfButton(int id) {
  for (const LanguageButton& button : LanguageButtons()) {
    if (button.id == id) return button.language;
  }
  return Language::kEnglish;
}

// Tab walks the stops in order, a radio group by its checked button, and back.
TEST(WindowLogic, TabStopsFollowTheCheckedButtonsAndTheViaField) {
  const struct {
    int option;
    int language;
    std::vector<int> stops;
  } cases[] = {
      {IDC_OPTION_1,
       IDC_LANG_ENGLISH,
       {IDC_INPUT_PATH, IDC_BROWSE_INPUT, IDC_OUTPUT_PATH, IDC_BROWSE_OUTPUT, IDC_OPTION_1,
        IDC_LANG_ENGLISH, IDC_PREVIEW, IDC_CONVERT, IDCANCEL}},
      {IDC_OPTION_6,
       IDC_LANG_GERMAN,
       {IDC_INPUT_PATH, IDC_BROWSE_INPUT, IDC_OUTPUT_PATH, IDC_BROWSE_OUTPUT, IDC_OPTION_6,
        IDC_MAX_VIAS, IDC_ONE_ROUTE, IDC_LANG_GERMAN, IDC_PREVIEW, IDC_CONVERT, IDCANCEL}},
  };
  for (const auto& c : cases) {
    WindowState state;
    state.option = OptionOfButton(c.option);
    state.language = LanguageOfButton(c.language);
    ASSERT_EQ(TabStops(state), c.stops);
    const size_t n = c.stops.size();
    for (size_t i = 0; i < n; ++i) {
      EXPECT_EQ(NextTabStop(state, c.stops[i], true), c.stops[(i + 1) % n]) << c.stops[i];
      EXPECT_EQ(NextTabStop(state, c.stops[i], false), c.stops[(i + n - 1) % n]) << c.stops[i];
    }
    // An unchecked button counts as its group; a frame as the place it stands.
    EXPECT_EQ(NextTabStop(state, IDC_OPTION_2, true), c.stops[5]);
    EXPECT_EQ(NextTabStop(state, IDC_OPTION_2, false), IDC_BROWSE_OUTPUT);
    EXPECT_EQ(NextTabStop(state, IDC_OPTIONS_GROUP, true), c.option);
    EXPECT_EQ(NextTabStop(state, 0, true), IDC_INPUT_PATH);
    EXPECT_EQ(NextTabStop(state, 0, false), IDCANCEL);
  }
}

TEST(WindowLogic, ArrowsMoveWithinTheRadioGroupAndWrap) {
  const struct {
    int from;
    bool next;
    int to;
  } cases[] = {
      {IDC_OPTION_1, true, IDC_OPTION_2},
      {IDC_OPTION_5, true, IDC_OPTION_6},
      {IDC_OPTION_6, true, IDC_OPTION_1},
      {IDC_OPTION_1, false, IDC_OPTION_6},
      {IDC_OPTION_4, false, IDC_OPTION_3},
      {IDC_LANG_ENGLISH, true, IDC_LANG_DUTCH},
      {IDC_LANG_GERMAN, true, IDC_LANG_ENGLISH},  // past the hidden fourth button
      {IDC_LANG_ENGLISH, false, IDC_LANG_GERMAN},
      {IDC_CONVERT, true, 0},
      {IDC_MAX_VIAS, false, 0},
  };
  const WindowState state;
  for (const auto& c : cases) EXPECT_EQ(NextInRadioGroup(state, c.from, c.next), c.to) << c.from;
}

TEST(WindowLogic, AFramesMnemonicFocusesTheFirstStopInIt) {
  WindowState state;
  state.option = 4;
  state.language = Language::kDutch;
  const struct {
    int id;
    int target;
  } cases[] = {
      {IDC_INPUT_GROUP, IDC_INPUT_PATH}, {IDC_OUTPUT_GROUP, IDC_OUTPUT_PATH},
      {IDC_OPTIONS_GROUP, IDC_OPTION_4}, {IDC_LANGUAGE_GROUP, IDC_LANG_DUTCH},
      {IDC_CONVERT, IDC_CONVERT},        {IDCANCEL, IDCANCEL},
      {IDC_OPTION_2, IDC_OPTION_2},      {IDOK, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(MnemonicTarget(state, c.id), c.target) << c.id;
}

TEST(WindowLogic, StartsWithOptionOneInEnglish) {
  const WindowState state;
  EXPECT_EQ(CheckedOptionButton(state), IDC_OPTION_1);
  EXPECT_EQ(CheckedLanguageButton(state), IDC_LANG_ENGLISH);
  EXPECT_EQ(state.viaText, "250");
}

TEST(WindowLogic, ViaControlsAreEnabledForOptionsFiveAndSixOnly) {
  const struct {
    int button;
    int option;
    bool vias;
  } cases[] = {
      {IDC_OPTION_1, 1, false},
      {IDC_OPTION_2, 2, false},
      {IDC_OPTION_3, 3, false},
      {IDC_OPTION_4, 4, false},
      {IDC_OPTION_5, 5, true},
      {IDC_OPTION_6, 6, true},
      {0, 0, false},
  };
  WindowState state;
  EXPECT_FALSE(IsEnabled(state, IDC_MAX_VIAS));  // option 1 at start
  for (const auto& c : cases) {
    state.option = OptionOfButton(c.button);
    EXPECT_EQ(state.option, c.option);
    EXPECT_EQ(CheckedOptionButton(state), c.button);
    EXPECT_EQ(IsEnabled(state, IDC_MAX_VIAS_LABEL), c.vias) << c.option;
    EXPECT_EQ(IsEnabled(state, IDC_MAX_VIAS), c.vias) << c.option;
    EXPECT_EQ(IsEnabled(state, IDC_ONE_ROUTE), c.vias) << c.option;
    EXPECT_TRUE(IsEnabled(state, IDC_CONVERT));
    EXPECT_FALSE(IsEnabled(state, IDC_LANG_FRENCH));
  }
}

// The key a language click sets on the control.
TextKey LanguageKeyOf(int id) {
  for (const ControlText& text : LanguageTexts()) {
    if (text.id == id) return text.text;
  }
  return {};
}

TEST(WindowTexts, EachLanguageButtonHasItsTextsButTheFourth) {
  const struct {
    Language language;
    int button;
    const char* convert;  // null when the language has no texts of its own
    const char* options;
  } cases[] = {
      {Language::kEnglish, IDC_LANG_ENGLISH, "&Convert", "&Processing options"},
      {Language::kDutch, IDC_LANG_DUTCH, "&Converteer", "&Verwerkings opties"},
      {Language::kGerman, IDC_LANG_GERMAN, "&Konvertieren", "&Verarbeitungs Optionen"},
      {Language::kFourth, IDC_LANG_FRENCH, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ButtonOfLanguage(c.language), c.button);
    EXPECT_EQ(HasOwnTexts(c.language), c.convert != nullptr);
    if (c.convert == nullptr) continue;
    EXPECT_STREQ(LabelText(LanguageKeyOf(IDC_CONVERT), c.language), c.convert);
    EXPECT_STREQ(LabelText(LanguageKeyOf(IDC_OPTIONS_GROUP), c.language), c.options);
  }
  EXPECT_EQ(LanguageTexts().size(), 17u);
  EXPECT_STREQ(LabelText(LanguageKeyOf(IDC_CONVERT), Language::kFourth), "&Convert");
  EXPECT_STREQ(LabelText({}, Language::kDutch), "");
}

TEST(WindowState, RequestCarriesTheStateAndTheTrimmedViaText) {
  const struct {
    const char* typed;
    const char* read;
  } cases[] = {
      {"250", "250"},
      {" 731\t", "731"},
      {"", ""},
      {"10 0", "10 0"},
      {"\u00A0"
       "40\u3000",
       "40"},
      {"\r\n", ""},
      {"\r\n30\r\n", "30"},
  };
  WindowState state;
  state.inputPath = "in.gdb";
  state.outputPath = "out.gdb";
  state.option = 6;
  state.language = Language::kGerman;
  for (const auto& c : cases) {
    state.viaText = c.typed;
    const RunRequest request = RunRequestOf(state);
    EXPECT_EQ(request.inputPath, "in.gdb");
    EXPECT_EQ(request.outputPath, "out.gdb");
    EXPECT_EQ(request.mode, ModeForOption(6));
    EXPECT_EQ(request.viaCount, ViaCountOf(c.read)) << c.typed;
    EXPECT_EQ(request.language, Language::kGerman);
    EXPECT_EQ(request.trace, nullptr);
  }
}

// A checked one-route box goes with a run only where the run makes routes
// of tracks; it stays checked through the other options.
TEST(WindowState, RequestCarriesOneRouteForOptionsFiveAndSixOnly) {
  WindowState state;
  for (bool checked : {true, false}) {
    state.oneRoute = checked;
    for (int option = 1; option <= 6; ++option) {
      state.option = option;
      EXPECT_EQ(RunRequestOf(state).oneRoute, checked && option >= 5) << option << " " << checked;
    }
  }
}

TEST(WindowLogic, RunMessagesReachTheWindowFitForIt) {
  const struct {
    std::string text;
    std::string shown;
  } cases[] = {
      {"Done.", "Done."},
      {"Name \xF8\x80 here", "Name \uFFFD here"},
      {"bad \xFF byte", "bad \uFFFD byte"},
      // A reason's line: the break stays, a control in the path does not.
      {"Cannot open input file\n/tmp/a\x01z.gdb: the file does not exist",
       "Cannot open input file\n/tmp/a\uFFFDz.gdb: the file does not exist"},
      // The run's texts are UTF-8; the marks of a name's unsafe characters and
      // bytes that are no character show as U+FFFD.
      {"Anzahl ung\xC3\xBCltig", "Anzahl ungültig"},
      {"track \"Z\xFCrich\" skipped.", "track \"Z\uFFFDrich\" skipped."},
      {"\"Z\xFCrich\" \xC3\xBC"
       "bersprungen.",
       "\"Z\uFFFDrich\" übersprungen."},
      {"\x80 \x96 \x9F", "\uFFFD \uFFFD \uFFFD"},
      {"ab\xC3", "ab\uFFFD"},
      {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},
      {"a\x1B[2J\nb \xF8\x87", "a\uFFFD[2J\nb \uFFFD"},
  };
  std::vector<WindowMessage> shown;
  WindowReporter reporter([&shown](const WindowMessage& message) {
    shown.push_back(message);
    return false;
  });
  for (const auto& c : cases) {
    reporter.ShowMessage(c.text, c.text, MessageStyle::Plain);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, c.shown);
    EXPECT_EQ(shown.back().title, c.shown);
    EXPECT_EQ(shown.back().style, MessageStyle::Plain);
  }
}

TEST(WindowLogic, PickersOfferGdbFilesFirst) {
  const FileFilters filters = GdbFileFilters();
  EXPECT_EQ(FilterNames(filters, Language::kEnglish),
            (std::vector<std::string>{"GDB Files (*.gdb)", "All Files (*.*)"}));
  EXPECT_EQ(filters.defaultSuffix, "gdb");
}

TEST(WindowLogic, FilterNamesSpeakTheLanguageAndKeepTheirPatterns) {
  const struct {
    Language language;
    const char* list;
  } cases[] = {
      {Language::kEnglish, "GDB Files (*.gdb)|*.gdb|All Files (*.*)|*.*||"},
      {Language::kDutch, "GDB bestanden (*.gdb)|*.gdb|Alle bestanden (*.*)|*.*||"},
      {Language::kGerman, "GDB-Dateien (*.gdb)|*.gdb|Alle Dateien (*.*)|*.*||"},
      {Language::kFourth, "GDB Files (*.gdb)|*.gdb|All Files (*.*)|*.*||"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PipeSeparatedFilters(FilterNames(GdbFileFilters(), c.language)), c.list);
  }
}

// The about box's texts in each language, the version filled in; a language
// of no texts of its own shows the English ones. The captions stay.
TEST(WindowLogic, AboutTextsPerLanguage) {
  std::vector<int> ids;
  for (const ControlText& text : AboutTexts()) ids.push_back(text.id);
  EXPECT_EQ(ids, (std::vector<int>{IDC_ABOUT_VERSION, IDC_ABOUT_CREDIT, IDC_ABOUT_RIGHTS,
                                   IDC_ABOUT_THANKS, IDOK}));
  const TextKey version = AboutTexts()[0].text;
  const struct {
    Language language;
    std::string version;
  } cases[] = {
      {Language::kEnglish, "Morvex version " MORVEX_VERSION_MAJOR_TEXT},
      {Language::kDutch, "Morvex versie " MORVEX_VERSION_MAJOR_TEXT},
      {Language::kGerman, "Morvex Version " MORVEX_VERSION_MAJOR_TEXT},
      {Language::kFourth, "Morvex version " MORVEX_VERSION_MAJOR_TEXT},
  };
  for (const auto& c : cases) EXPECT_EQ(AboutText(version, c.language), c.version);
  EXPECT_EQ(AboutCaption(), "About Morvex");
  EXPECT_EQ(DialogCaption(),
            "Morvex Version " MORVEX_VERSION_SHORT " - File Converter for Mapsource GDB files");
  EXPECT_EQ(LocaleName(Language::kDutch), "nl");
  EXPECT_EQ(LocaleName(Language::kGerman), "de");
  EXPECT_EQ(LocaleName(Language::kFourth), "");
}

TEST(WindowLogic, PipeSeparatedFiltersPairEachNameWithItsPattern) {
  const struct {
    std::vector<std::string> names;
    std::string list;
  } cases[] = {
      {{}, "|"},
      {{"Tracks (*.gdb *.gpx)"}, "Tracks (*.gdb *.gpx)|*.gdb *.gpx||"},
      {{"Old (v1) (*.old)"}, "Old (v1) (*.old)|*.old||"},
      {{"Everything"}, "Everything|*||"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PipeSeparatedFilters(c.names), c.list);
  }
}

TEST(WindowLogic, SuggestedOutputNamesWhatTheOptionMakesBesideTheInput) {
  const struct {
    std::string_view input;
    int option;
    std::string_view suggested;
  } cases[] = {
      {"/home/ann/trip.gdb", 1, "/home/ann/trip-tracks.gdb"},
      {"/home/ann/trip.gdb", 2, "/home/ann/trip-tracks.gdb"},
      {"/home/ann/trip.gdb", 3, "/home/ann/trip-vias.gdb"},
      {"/home/ann/trip.gdb", 4, "/home/ann/trip-vias.gdb"},
      {"/home/ann/trip.gdb", 5, "/home/ann/trip-routes.gdb"},
      {"/home/ann/trip.gdb", 6, "/home/ann/trip-routes.gdb"},
      {"C:\\trips\\trip.gdb", 1, "C:\\trips\\trip-tracks.gdb"},
      {"C:/Trips\\Trip.GDB", 5, "C:/Trips\\Trip-routes.gdb"},
      {"trip.Gdb", 3, "trip-vias.gdb"},
      {"/data/trip", 1, "/data/trip-tracks.gdb"},
      {"/data/trip.gpx", 4, "/data/trip.gpx-vias.gdb"},
      {"/data/trip.gdb.bak", 6, "/data/trip.gdb.bak-routes.gdb"},
      {"/data/.gdb", 1, "/data/.gdb-tracks.gdb"},
      {"/data.gdb/", 1, ""},
      {"C:\\trips\\", 1, ""},
      {"", 1, ""},
      {"/data/trip.gdb", 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SuggestedOutputPath(c.input, c.option), c.suggested)
        << c.input << " option " << c.option;
  }
}

// A window whose user checks the check box of the record box numbered checkAt
// (from 1; 0 for never) and records every box.
struct CheckingWindow {
  explicit CheckingWindow(size_t checkAt) : checkAt(checkAt) {}
  size_t checkAt;
  std::vector<WindowMessage> shown;
  WindowReporter::ShowFunction Show() {
    return [this](const WindowMessage& message) {
      shown.push_back(message);
      return shown.size() == checkAt;
    };
  }
};

RunRequest RequestIn(Language language) {
  RunRequest request;
  request.language = language;
  return request;
}

TEST(WindowReporter, CheckedBoxSilencesTheRestOfTheRunAndTheLastBoxCountsThem) {
  CheckingWindow window(2);
  WindowReporter reporter(window.Show());
  reporter.OnRunStart(RequestIn(Language::kEnglish));
  for (int i = 1; i <= 5; ++i) {
    reporter.ShowRecordMessage("track " + std::to_string(i), "Info", MessageStyle::Exclamation);
  }
  reporter.ShowCompletion("Done.", "Ready", "2 tracks", "Summary");
  ASSERT_EQ(window.shown.size(), 3u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(window.shown[i].text, "track " + std::to_string(i + 1));
    EXPECT_EQ(window.shown[i].checkBoxText, "Show no more messages for this conversion");
  }
  EXPECT_EQ(window.shown[2].text, "Done.\n2 tracks\n3 more messages were not shown.");
  EXPECT_EQ(window.shown[2].checkBoxText, "");

  // A new run shows its messages again and counts none.
  window.shown.clear();
  reporter.OnRunStart(RequestIn(Language::kEnglish));
  reporter.ShowRecordMessage("track 6", "Info", MessageStyle::Exclamation);
  reporter.ShowMessage("Error writing output file", "File error", MessageStyle::Exclamation);
  ASSERT_EQ(window.shown.size(), 2u);
  EXPECT_EQ(window.shown[0].text, "track 6");
  EXPECT_EQ(window.shown[1].text, "Error writing output file");
}

TEST(WindowReporter, CheckBoxAndCountSpeakTheRunsLanguage) {
  const struct {
    Language language;
    std::string checkBox;
    std::string lastLine;  // of a failure after one silenced message
  } cases[] = {
      {Language::kEnglish, "Show no more messages for this conversion",
       "1 more messages were not shown."},
      {Language::kDutch, "Geen berichten meer tonen voor deze conversie",
       "1 andere berichten zijn niet getoond."},
      {Language::kGerman, "Keine weiteren Meldungen f\xC3\xBCr diese Konvertierung anzeigen",
       "1 weitere Meldungen wurden nicht angezeigt."},
  };
  for (const auto& c : cases) {
    CheckingWindow window(1);
    WindowReporter reporter(window.Show());
    reporter.OnRunStart(RequestIn(c.language));
    reporter.ShowRecordMessage("first", "Info", MessageStyle::Exclamation);
    reporter.ShowRecordMessage("second", "Info", MessageStyle::Exclamation);
    reporter.ShowMessage("Failed", "File error", MessageStyle::Exclamation);
    ASSERT_EQ(window.shown.size(), 2u);
    EXPECT_EQ(window.shown[0].checkBoxText, c.checkBox);
    EXPECT_EQ(window.shown[1].text, "Failed\n" + c.lastLine);
    EXPECT_EQ(window.shown[1].style, MessageStyle::Exclamation);
  }
}

// A completed run's box names the output and offers its folder, in the run's
// language, when the output is a file; a device has no folder to open.
TEST(WindowReporter, CompletionNamesAFileOutputAndOffersItsFolder) {
#ifdef _WIN32
  const std::string device = "NUL";
#else
  const std::string device = "/dev/null";
#endif
  const std::string file = ::testing::TempDir() + "completion-output.gdb";
  std::fclose(std::fopen(file.c_str(), "wb"));
  const struct {
    Language language;
    std::string output;
    std::string text;
    std::string button;
  } cases[] = {
      {Language::kEnglish, file, "Done\n2 tracks\nOutput file: " + file, "Open folder"},
      {Language::kDutch, file, "Done\n2 tracks\nUitvoerbestand: " + file, "Map openen"},
      {Language::kGerman, file, "Done\n2 tracks\nAusgabedatei: " + file,
       "Ordner \xC3\xB6"
       "ffnen"},
      {Language::kEnglish, device, "Done\n2 tracks", ""},
      {Language::kFourth, file, "Done\n2 tracks", ""},
  };
  for (const auto& c : cases) {
    CheckingWindow window(0);
    WindowReporter reporter(window.Show());
    RunRequest request = RequestIn(c.language);
    request.outputPath = c.output;
    reporter.OnRunStart(request);
    reporter.ShowCompletion("Done", "Finished", "2 tracks", "Summary");
    ASSERT_EQ(window.shown.size(), 1u);
    EXPECT_EQ(window.shown[0].text, c.text);
    EXPECT_EQ(window.shown[0].folderButtonText, c.button);
    EXPECT_EQ(window.shown[0].fileToShow, c.button.empty() ? "" : c.output);
  }
  std::remove(file.c_str());
}

// The fourth language has no texts: no check box, so nothing can be silenced.
TEST(WindowReporter, WithoutACheckBoxTextEveryMessageShows) {
  CheckingWindow window(1);
  WindowReporter reporter(window.Show());
  reporter.OnRunStart(RequestIn(Language::kFourth));
  reporter.ShowRecordMessage("first", "Info", MessageStyle::Exclamation);
  reporter.ShowRecordMessage("second", "Info", MessageStyle::Exclamation);
  ASSERT_EQ(window.shown.size(), 2u);
  EXPECT_EQ(window.shown[0].checkBoxText, "");
}

// ---- Settings kept from one start to the next --------------------------------

TEST(DialogSettings, LocaleGivesTheLanguageOfTheFirstStart) {
  const struct {
    const char* locale;
    Language language;
  } cases[] = {
      {"de_DE.UTF-8", Language::kGerman}, {"de", Language::kGerman},
      {"DE-at", Language::kGerman},       {"nl-BE", Language::kDutch},
      {"nl_NL@euro", Language::kDutch},   {"fr_FR", Language::kEnglish},
      {"C", Language::kEnglish},          {"", Language::kEnglish},
      {"nds_DE", Language::kEnglish},     {"den", Language::kEnglish},
  };
  for (const auto& c : cases) EXPECT_EQ(LanguageForLocale(c.locale), c.language) << c.locale;
}

TEST(DialogSettings, StoredValuesAreCheckedAndWhatIsNotUnderstoodFallsBack) {
  const struct {
    const char* file;  // the settings file's text
    const char* locale;
    Language language;
    int option;
    const char* vias;
    const char* inputFolder;
    bool oneRoute = false;
  } cases[] = {
      {"", "de_DE", Language::kGerman, 1, "250", ""},
      {"[Morvex]\nLanguage=nl\nOption=6\nMaxVias=500\nInputFolder=C:\\trips\\alps\nOneRoute=1\n",
       "de_DE", Language::kDutch, 6, "500", "C:\\trips\\alps", true},
      {"\xEF\xBB\xBF[Morvex]\r\nLanguage = de\r\nOption=5\r\nMaxVias=1000\r\nOneRoute = 1\r\n", "C",
       Language::kGerman, 5, "1000", "", true},
      {"[Morvex]\nLanguage=fr\nOption=7\nMaxVias=24\nOneRoute=yes\n", "nl_BE", Language::kDutch, 1,
       "250", ""},
      {"[Morvex]\nLanguage=\nOption=0\nMaxVias=12a\nOneRoute=11\n", "C", Language::kEnglish, 1,
       "250", ""},
      {"[Morvex]\nOption=55\nMaxVias=4294967321\nOneRoute=0\n", "C", Language::kEnglish, 1, "250",
       ""},
      {"[Other]\nLanguage=de\nOption=3\nOneRoute=1\n[Morvex]\nInputFolder=/a=b\n", "C",
       Language::kEnglish, 1, "250", "/a=b"},
      {"\x01\xFF garbage\n=\n[Morvex\nOption=", "C", Language::kEnglish, 1, "250", ""},
  };
  for (const auto& c : cases) {
    const DialogSettings settings = SettingsFromFileText(c.file, c.locale);
    EXPECT_EQ(settings.language, c.language) << c.file;
    EXPECT_EQ(settings.option, c.option) << c.file;
    EXPECT_EQ(settings.viaText, c.vias) << c.file;
    EXPECT_EQ(settings.inputFolder, c.inputFolder) << c.file;
    EXPECT_EQ(settings.oneRoute, c.oneRoute) << c.file;
  }
}

TEST(ReplaceQuestion, NamesTheOutputInTheLanguage) {
  const WindowMessage question = ReplaceQuestion("C:\\a b.gdb", Language::kGerman);
  EXPECT_EQ(question.text,
            "Ausgabe-Datei C:\\a b.gdb existiert bereits.\nSoll sie ersetzt werden?");
  EXPECT_EQ(question.title, "Info");
  EXPECT_EQ(ReplaceQuestion("x", Language::kFourth).text, "");
}

}  // namespace
