// The dialog model the converter windows share, without any toolkit.
#include "dialog_model.h"

#include <gtest/gtest.h>

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
    ASSERT_EQ(texts.size(), 15u);
    EXPECT_EQ(texts[2].id, IDC_CONVERT);
    EXPECT_EQ(texts[2].text, c.convert);
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
      {"1 2", "1 2"},
      {"\u00A0"
       "40\u3000",
       "40"},
      {"\r\n", ""},
  };
  DialogModel model;
  model.CheckOption(IDC_OPTION_6);
  model.OnLanguageClicked(IDC_LANG_GERMAN);
  for (const auto& c : cases) {
    const RunRequest request = model.Request("in.gdb", "out.gdb", c.typed);
    EXPECT_EQ(request.inputPath, "in.gdb");
    EXPECT_EQ(request.outputPath, "out.gdb");
    EXPECT_EQ(request.option, 6);
    EXPECT_EQ(request.viaText, c.read) << c.typed;
    EXPECT_EQ(request.language, Language::kGerman);
    EXPECT_EQ(request.trace, nullptr);
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
  WindowReporter reporter([&shown](const WindowMessage& message) { shown.push_back(message); });
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

}  // namespace
