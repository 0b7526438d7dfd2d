// The dialog model the converter windows share, without any toolkit.
#include "dialog_model.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <optional>
#include <set>

namespace {

TEST(DialogModel, ControlIdsAreUniqueAndEveryTranslatedControlExists) {
  std::set<int> ids;
  for (const ControlTemplate& control : DialogControls()) {
    EXPECT_TRUE(ids.insert(control.id).second) << control.id;
  }
  for (Language language : {Language::kEnglish, Language::kDutch, Language::kGerman}) {
    for (const ControlText& text : LanguageTexts(language)) {
      EXPECT_NE(FindControl(text.id), nullptr) << text.id;
    }
  }
  EXPECT_EQ(FindControl(IDOK), nullptr);
}

// The texts a window shows: the template's, then those of the language.
std::map<int, std::string_view> ShownTexts(const Language* language) {
  std::map<int, std::string_view> shown;
  for (const ControlTemplate& control : DialogControls()) shown[control.id] = control.text;
  if (language != nullptr) {
    for (const ControlText& text : LanguageTexts(*language)) shown[text.id] = text.text;
  }
  return shown;
}

TEST(DialogModel, MnemonicsAreAssignedAndNeverCollideWithinALanguage) {
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
  const Language languages[] = {Language::kEnglish, Language::kDutch, Language::kGerman};
  for (size_t column = 0; column < 4; ++column) {
    const auto shown = ShownTexts(column == 0 ? nullptr : &languages[column - 1]);
    for (const auto& c : cases) {
      EXPECT_EQ(MnemonicOf(shown.at(c.id)), c.key[column]) << c.id << " column " << column;
    }
    std::map<char, int> owner;
    for (const auto& [id, text] : shown) {
      const char key = MnemonicOf(text);
      if (key == 0) continue;
      const auto [other, fresh] = owner.emplace(key, id);
      EXPECT_TRUE(fresh) << "'" << key << "' of " << id << " and " << other->second << ", column "
                         << column;
    }
  }
}

TEST(DialogModel, MnemonicMarksComeOffForDisplay) {
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

TEST(DialogModel, TemplateTabStopsAndRadioGroups) {
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

// Tab walks the stops in order, a radio group by its checked button, and back.
TEST(DialogModel, TabStopsFollowTheCheckedButtonsAndTheViaField) {
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
    DialogModel model;
    model.CheckOption(c.option);
    model.OnLanguageClicked(c.language);
    ASSERT_EQ(model.TabStops(), c.stops);
    const size_t n = c.stops.size();
    for (size_t i = 0; i < n; ++i) {
      EXPECT_EQ(model.NextTabStop(c.stops[i], true), c.stops[(i + 1) % n]) << c.stops[i];
      EXPECT_EQ(model.NextTabStop(c.stops[i], false), c.stops[(i + n - 1) % n]) << c.stops[i];
    }
    // An unchecked button counts as its group; a frame as the place it stands.
    EXPECT_EQ(model.NextTabStop(IDC_OPTION_2, true), c.stops[5]);
    EXPECT_EQ(model.NextTabStop(IDC_OPTION_2, false), IDC_BROWSE_OUTPUT);
    EXPECT_EQ(model.NextTabStop(IDC_OPTIONS_GROUP, true), c.option);
    EXPECT_EQ(model.NextTabStop(0, true), IDC_INPUT_PATH);
    EXPECT_EQ(model.NextTabStop(0, false), IDCANCEL);
  }
}

TEST(DialogModel, ArrowsMoveWithinTheRadioGroupAndWrap) {
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
  const DialogModel model;
  for (const auto& c : cases) EXPECT_EQ(model.NextInRadioGroup(c.from, c.next), c.to) << c.from;
}

TEST(DialogModel, AFramesMnemonicFocusesTheFirstStopInIt) {
  DialogModel model;
  model.CheckOption(IDC_OPTION_4);
  model.OnLanguageClicked(IDC_LANG_DUTCH);
  const struct {
    int id;
    int target;
  } cases[] = {
      {IDC_INPUT_GROUP, IDC_INPUT_PATH}, {IDC_OUTPUT_GROUP, IDC_OUTPUT_PATH},
      {IDC_OPTIONS_GROUP, IDC_OPTION_4}, {IDC_LANGUAGE_GROUP, IDC_LANG_DUTCH},
      {IDC_CONVERT, IDC_CONVERT},        {IDCANCEL, IDCANCEL},
      {IDC_OPTION_2, IDC_OPTION_2},      {IDOK, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(model.MnemonicTarget(c.id), c.target) << c.id;
}

TEST(DialogModel, StartsWithOptionOneInEnglish) {
  const DialogModel model;
  EXPECT_EQ(model.CheckedOption(), 1);
  EXPECT_EQ(model.CheckedOptionButton(), IDC_OPTION_1);
  EXPECT_EQ(model.CurrentLanguage(), Language::kEnglish);
  EXPECT_EQ(model.CheckedLanguageButton(), IDC_LANG_ENGLISH);
}

TEST(DialogModel, ViaControlsAreEnabledForOptionsFiveAndSixOnly) {
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
  DialogModel model;
  EXPECT_FALSE(model.IsEnabled(IDC_MAX_VIAS));  // option 1 at start
  for (const auto& c : cases) {
    model.CheckOption(c.button);
    EXPECT_EQ(model.CheckedOption(), c.option);
    EXPECT_EQ(model.CheckedOptionButton(), c.button);
    EXPECT_EQ(model.IsEnabled(IDC_MAX_VIAS_LABEL), c.vias) << c.option;
    EXPECT_EQ(model.IsEnabled(IDC_MAX_VIAS), c.vias) << c.option;
    EXPECT_EQ(model.IsEnabled(IDC_ONE_ROUTE), c.vias) << c.option;
    EXPECT_TRUE(model.IsEnabled(IDC_CONVERT));
    EXPECT_FALSE(model.IsEnabled(IDC_LANG_FRENCH));
  }
}

TEST(DialogModel, LanguageButtonsSetTheLanguageAndReturnItsTexts) {
  const struct {
    int button;
    Language language;
    const char* convert;  // the Convert button's text; null when no texts are set
  } cases[] = {
      {IDC_LANG_DUTCH, Language::kDutch, "Converteer"},
      {IDC_LANG_GERMAN, Language::kGerman, "Konvertieren"},
      {IDC_LANG_FRENCH, Language::kFourth, nullptr},
      {IDC_CONVERT, Language::kFourth, nullptr},  // no language button: nothing changes
      {IDC_LANG_ENGLISH, Language::kEnglish, "Convert"},
  };
  DialogModel model;
  for (const auto& c : cases) {
    const std::vector<ControlText> texts = model.OnLanguageClicked(c.button);
    EXPECT_EQ(model.CurrentLanguage(), c.language) << c.button;
    EXPECT_EQ(model.CheckedLanguageButton(), c.button == IDC_CONVERT ? IDC_LANG_FRENCH : c.button);
    if (c.convert == nullptr) {
      EXPECT_TRUE(texts.empty()) << c.button;
      continue;
    }
    ASSERT_EQ(texts.size(), 17u);
    EXPECT_EQ(texts[2].id, IDC_CONVERT);
    EXPECT_EQ(WithoutMnemonic(texts[2].text), c.convert);
  }
}

TEST(DialogModel, RequestCarriesTheStateAndTheTrimmedViaText) {
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
  DialogModel model;
  model.CheckOption(IDC_OPTION_6);
  model.OnLanguageClicked(IDC_LANG_GERMAN);
  for (const auto& c : cases) {
    const RunRequest request = model.Request("in.gdb", "out.gdb", c.typed);
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
TEST(DialogModel, RequestCarriesOneRouteForOptionsFiveAndSixOnly) {
  DialogModel model;
  EXPECT_FALSE(model.OneRoute());
  for (bool checked : {true, false}) {
    model.SetOneRoute(checked);
    for (int option = 1; option <= 6; ++option) {
      model.CheckOption(IDC_OPTION_1 + option - 1);
      EXPECT_EQ(model.Request("in.gdb", "out.gdb", "250").oneRoute, checked && option >= 5)
          << option << " " << checked;
      EXPECT_EQ(model.OneRoute(), checked);
    }
  }
}

TEST(DialogModel, RunMessagesReachTheWindowFitForIt) {
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

TEST(DialogModel, PickersOfferGdbFilesFirst) {
  const FileFilters filters = GdbFileFilters();
  EXPECT_EQ(filters.nameFilters,
            (std::vector<std::string>{"GDB Files (*.gdb)", "All Files (*.*)"}));
  EXPECT_EQ(filters.defaultSuffix, "gdb");
}

TEST(DialogModel, FilterNamesSpeakTheLanguageAndKeepTheirPatterns) {
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
    const FileFilters filters = GdbFileFilters(c.language);
    EXPECT_EQ(PipeSeparatedFilters(filters), c.list);
    EXPECT_EQ(filters.defaultSuffix, "gdb");
  }
}

// The about box names the same controls in every language; a language of no
// texts of its own shows the English ones.
TEST(DialogModel, AboutTextsPerLanguage) {
  const auto ids = [](Language language) {
    std::vector<int> ids;
    for (const ControlText& text : AboutTexts(language)) ids.push_back(text.id);
    return ids;
  };
  EXPECT_EQ(ids(Language::kEnglish), (std::vector<int>{IDC_ABOUT_VERSION, IDC_ABOUT_CREDIT,
                                                       IDC_ABOUT_RIGHTS, IDC_ABOUT_THANKS, IDOK}));
  EXPECT_EQ(ids(Language::kDutch), ids(Language::kEnglish));
  EXPECT_EQ(ids(Language::kGerman), ids(Language::kEnglish));
  EXPECT_EQ(AboutTexts(Language::kFourth)[0].text, AboutTexts(Language::kEnglish)[0].text);
  EXPECT_EQ(LocaleName(Language::kDutch), "nl");
  EXPECT_EQ(LocaleName(Language::kGerman), "de");
  EXPECT_EQ(LocaleName(Language::kFourth), "");
}

TEST(DialogModel, PipeSeparatedFiltersPairEachNameWithItsPattern) {
  EXPECT_EQ(PipeSeparatedFilters(GdbFileFilters()),
            "GDB Files (*.gdb)|*.gdb|All Files (*.*)|*.*||");
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
    EXPECT_EQ(PipeSeparatedFilters({c.names, "gdb"}), c.list);
  }
}

TEST(DialogModel, SuggestedOutputNamesWhatTheOptionMakesBesideTheInput) {
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

TEST(DialogModel, SuggestionsFillTheOutputUntilTheUserTypesOne) {
  // Each step is an event with the output field's text at that moment; the
  // field is then set to what the model returns, if anything.
  enum Event { kInput, kOption, kUserTypes };
  const struct {
    Event event;
    std::string_view text;  // the input path, the option button's number, or what the user types
    std::optional<std::string_view> shown;  // what the model sets; nothing to leave the field
  } steps[] = {
      {kInput, "C:\\trips\\trip.gdb", "C:\\trips\\trip-tracks.gdb"},
      {kOption, "3", "C:\\trips\\trip-vias.gdb"},
      {kOption, "4", std::nullopt},  // the same suggestion again
      {kInput, "/srv/walk.GDB", "/srv/walk-vias.gdb"},
      {kUserTypes, "/srv/mine.gdb", std::nullopt},
      {kOption, "6", std::nullopt},
      {kInput, "/srv/other.gdb", std::nullopt},
      {kUserTypes, "", std::nullopt},  // emptied: suggestions again
      {kOption, "5", "/srv/other-routes.gdb"},
      {kInput, "", ""},  // the suggestion goes with the input
      {kInput, "/srv/run", "/srv/run-routes.gdb"},
  };
  DialogModel model;
  std::string output;
  for (const auto& step : steps) {
    std::optional<std::string> set;
    if (step.event == kUserTypes) {
      output = step.text;
    } else if (step.event == kOption) {
      model.CheckOption(IDC_OPTION_1 + (step.text[0] - '1'));
      set = model.OnOptionChanged(output);
    } else {
      set = model.OnInputChanged(step.text, output);
    }
    EXPECT_EQ(set, step.shown) << step.text;
    if (set) output = *set;
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

TEST(DialogSettings, WhatAWindowKeepsComesBack) {
  DialogModel model;
  model.OnLanguageClicked(IDC_LANG_GERMAN);
  model.CheckOption(IDC_OPTION_6);
  model.SetOneRoute(true);
  model.OnPathPicked(IDC_INPUT_PATH, "D:\\Trips\\Alps 2026\\day 1.gdb");
  model.OnConvertStarted("D:\\Trips\\Alps 2026\\day 1.gdb", "/home/jo/out/day.gdb");
  const DialogSettings kept = SettingsFromFileText(SettingsFileText(model.Settings(" 500 ")), "nl");

  DialogModel next;
  const std::vector<ControlText> texts = next.RestoreSettings(kept);
  EXPECT_EQ(next.CurrentLanguage(), Language::kGerman);
  EXPECT_EQ(next.CheckedOption(), 6);
  EXPECT_TRUE(next.IsEnabled(IDC_MAX_VIAS));
  EXPECT_TRUE(next.OneRoute());
  EXPECT_EQ(kept.viaText, "500");
  EXPECT_EQ(kept.inputFolder, "D:\\Trips\\Alps 2026");
  EXPECT_EQ(kept.outputFolder, "/home/jo/out");
  EXPECT_EQ(texts.size(), LanguageTexts(Language::kGerman).size());
  EXPECT_TRUE(DialogModel().RestoreSettings(DialogSettings()).empty());  // the template's English
}

TEST(DialogSettings, PickersOpenInTheFieldsFolderElseTheLastOne) {
  const std::set<std::string> folders = {"/data", "/data/trips", "/", "C:\\gps", "C:\\"};
  const auto isFolder = [&folders](const std::string& path) { return folders.contains(path); };
  DialogModel model;
  model.OnPathPicked(IDC_INPUT_PATH, "/data/trips/a.gdb");
  model.OnPathPicked(IDC_OUTPUT_PATH, "C:\\gps\\b.gdb");
  const struct {
    int field;
    const char* fieldPath;
    const char* folder;
  } cases[] = {
      {IDC_INPUT_PATH, "", "/data/trips"},
      {IDC_INPUT_PATH, "/data/x.gdb", "/data"},
      {IDC_INPUT_PATH, "/gone/x.gdb", "/data/trips"},  // a folder that does not exist
      {IDC_INPUT_PATH, "x.gdb", "/data/trips"},
      {IDC_INPUT_PATH, "/x.gdb", "/"},
      {IDC_OUTPUT_PATH, "", "C:\\gps"},
      {IDC_OUTPUT_PATH, "C:\\x.gdb", "C:\\"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(model.PickerFolder(c.field, c.fieldPath, isFolder), c.folder) << c.fieldPath;
  }
  model.OnConvertStarted("in.gdb", "/gone/out.gdb");  // the last folder no longer exists
  EXPECT_EQ(model.PickerFolder(IDC_OUTPUT_PATH, "", isFolder), "");
  EXPECT_EQ(DialogModel().PickerFolder(IDC_INPUT_PATH, "", isFolder), "");
}

TEST(ReplaceQuestion, AskedForAnExistingOutputNotFromTheSavePicker) {
  const std::string picked = "/data/out.gdb";
  const struct {
    const char* name;
    bool pick;
    const char* output;  // the field's text at Convert
    bool exists;
    bool asks;
  } cases[] = {
      {"typed", false, "/data/out.gdb", true, true},
      {"typed, no such file", false, "/data/out.gdb", false, false},
      {"picked", true, "/data/out.gdb", true, false},
      {"picked, then edited", true, "/data/out2.gdb", true, true},
      {"picked, then edited, no such file", true, "/data/out2.gdb", false, false},
  };
  for (const auto& c : cases) {
    DialogModel model;
    if (c.pick) model.OnPathPicked(IDC_OUTPUT_PATH, picked);
    EXPECT_EQ(model.AsksBeforeReplacing(c.output, c.exists), c.asks) << c.name;
  }
  // Once a run has started with it, the same output is not asked about again.
  DialogModel model;
  model.OnConvertStarted("in.gdb", "/data/out.gdb");
  EXPECT_FALSE(model.AsksBeforeReplacing("/data/out.gdb", true));
  EXPECT_TRUE(model.AsksBeforeReplacing("/data/other.gdb", true));

  const WindowMessage question = ReplaceQuestion("C:\\a b.gdb", Language::kGerman);
  EXPECT_EQ(question.text,
            "Ausgabe-Datei C:\\a b.gdb existiert bereits.\nSoll sie ersetzt werden?");
  EXPECT_EQ(question.title, "Info");
  EXPECT_EQ(ReplaceQuestion("x", Language::kFourth).text, "");
}

}  // namespace

TEST(DialogModel, PreviewPaneIsRememberedAndHiddenByDefault) {
  EXPECT_FALSE(SettingsFromFileText("[Morvex]\nOption=2\n", "C").preview);
  EXPECT_FALSE(SettingsFromFileText("[Morvex]\nPreview=yes\n", "C").preview);
  DialogModel model;
  model.SetPreviewShown(true);
  const DialogSettings kept = SettingsFromFileText(SettingsFileText(model.Settings("250")), "C");
  EXPECT_TRUE(kept.preview);
  DialogModel restored;
  restored.RestoreSettings(kept);
  EXPECT_TRUE(restored.PreviewShown());
}
