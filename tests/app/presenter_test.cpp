// The converter window's logic through a recording view: what a start shows,
// what each thing the user does changes, the boxes and pickers it asks for,
// and the runs it starts on real files.
#include "presenter.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "controls.h"
#include "fake_view.h"
#ifndef _WIN32
#include "fifo_feed.h"
#endif
#include "gdb_builder.h"
#include "test_fs.h"

namespace {

using runtest::ReadFile;
using runtest::TempDir;
using runtest::WriteFile;

// The texts of a window where no language button was clicked: the template's.
const std::optional<Language> kTemplateTexts;

const int kOptionButtons[] = {IDC_OPTION_1, IDC_OPTION_2, IDC_OPTION_3,
                              IDC_OPTION_4, IDC_OPTION_5, IDC_OPTION_6};
const int kViaControls[] = {IDC_MAX_VIAS_LABEL, IDC_MAX_VIAS, IDC_ONE_ROUTE};

const std::vector<std::string> kEnglishFilters = {"GDB Files (*.gdb)", "All Files (*.*)"};

// ---- GDB files for the runs ------------------------------------------------

std::string PlainFile() {
  return gdbtest::GdbFile('l', {});
}

// A track too long to convert: 10000 distinct points leave no running number
// for it. Its name is code page 1252, as in a version 'l' file.
std::string LongTrackRecord(const std::string& name) {
  gdbtest::Track track(name);
  for (int32_t i = 0; i < 10000; ++i) track.Point({0x10000000 + i, 0x20000000 + i});
  return gdbtest::TrackRecord(track);
}

// A track of 600 points winding about a line: more than one route's vias,
// and no two via choices follow it equally well.
std::string WindingTrackFile() {
  gdbtest::Track track("Bend");
  for (int32_t i = 0; i < 600; ++i) {
    track.Point({0x10000000 + i * 1000, 0x20000000 + (i % 40 < 20 ? i % 20 : 20 - i % 20) * 3000});
  }
  return gdbtest::GdbFile('l', {gdbtest::TrackRecord(track)});
}

#ifndef _WIN32
// Opens the feed's writing end once the run has opened its input.
void OpenWhenTheRunReads(FifoFeed& feed) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!feed.Open() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(feed.Open());
}
#endif

// ---- The window and its presenter ------------------------------------------

// The settings a start reads: a first start's in an English locale, with these.
DialogSettings Kept(Language language, int option = 1, const char* vias = "250") {
  DialogSettings settings = MemorySettings::FirstStart();
  settings.language = language;
  settings.option = option;
  settings.viaText = vias;
  return settings;
}

DialogSettings WithOneRouteAndPreview(DialogSettings settings) {
  settings.oneRoute = true;
  settings.preview = true;
  return settings;
}

class PresenterTest : public ::testing::Test {
 protected:
  // A window started on the settings, as a start of the program starts it.
  void Start(const DialogSettings& settings = MemorySettings::FirstStart()) {
    presenter.reset();
    view = FakeView();
    store.stored = settings;
    store.saves = 0;
    presenter.emplace(view, store);
    presenter->Start();
  }
  // Quit, then a start on what it kept.
  void Restart() {
    presenter->OnClosing();
    Start(store.stored);
  }
  const WindowState& State() const { return presenter->State(); }

  // The labels a window shows in the language: each control of the language
  // table shows its key from that table, in the language; the others keep
  // their template's, as every control does where no language was chosen.
  void ExpectTexts(std::optional<Language> language) const {
    if (!language) {
      EXPECT_TRUE(view.labels.empty());
      return;
    }
    for (const ControlText& text : LanguageTexts()) {
      ASSERT_TRUE(view.labels.contains(text.id)) << "control " << text.id;
      const FakeView::Label& label = view.labels.at(text.id);
      EXPECT_STREQ(label.text.context, text.text.context);
      EXPECT_STREQ(label.text.english, text.text.english);
      EXPECT_EQ(label.language, *language) << "control " << text.id;
    }
    EXPECT_EQ(view.labels.size(), LanguageTexts().size());
  }
  // Exactly one button of the group checked: this one.
  void ExpectChecked(int button) const {
    for (int id : RadioGroupOf(button)) EXPECT_EQ(view.Checked(id), id == button) << id;
  }
  void ExpectViaControlsEnabled(bool enabled) const {
    for (int id : kViaControls) EXPECT_EQ(view.Enabled(id), enabled) << id;
  }
  void Choose(int field, const std::string& path) { presenter->OnPathChosen(field, path); }
  // Runs what the run posts to the window until it has ended.
  void FinishRun() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (State().running && std::chrono::steady_clock::now() < until) {
      for (const auto& task : view.WaitForPosted(std::chrono::milliseconds(50))) task();
    }
    ASSERT_FALSE(State().running);
  }
  // Convert, and the run to its end.
  void Convert() {
    presenter->OnConvert();
    FinishRun();
  }
  void Type(int field, const std::string& text) {
    if (field == IDC_INPUT_PATH) presenter->OnInputEdited(text);
    if (field == IDC_OUTPUT_PATH) presenter->OnOutputEdited(text);
    if (field == IDC_MAX_VIAS) presenter->OnViaTextEdited(text);
    view.texts[field] = text;  // a field shows what is typed into it
  }

  FakeView view;
  MemorySettings store;
  std::optional<Presenter> presenter;
  TempDir dir;
  const std::string input = (dir / "in.gdb").string();
  const std::string output = (dir / "out.gdb").string();
};

// ---- A start ---------------------------------------------------------------

// Checking raises no click: a start shows the texts, checks and enabled state
// the clicks would give. English keeps the template's texts.
TEST_F(PresenterTest, StartShowsTheKeptSettings) {
  const struct {
    const char* name;
    DialogSettings settings;
    std::optional<Language> texts;
    int languageButton;
    int optionButton;
    bool vias;
  } cases[] = {
      {"first start", MemorySettings::FirstStart(), kTemplateTexts, IDC_LANG_ENGLISH, IDC_OPTION_1,
       false},
      {"German", Kept(Language::kGerman), Language::kGerman, IDC_LANG_GERMAN, IDC_OPTION_1, false},
      {"English, option 5", Kept(Language::kEnglish, 5, "731"), kTemplateTexts, IDC_LANG_ENGLISH,
       IDC_OPTION_5, true},
      {"Dutch, option 6, one route, preview", WithOneRouteAndPreview(Kept(Language::kDutch, 6)),
       Language::kDutch, IDC_LANG_DUTCH, IDC_OPTION_6, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.settings);
    ExpectTexts(c.texts);
    ExpectChecked(c.languageButton);
    ExpectChecked(c.optionButton);
    ExpectViaControlsEnabled(c.vias);
    EXPECT_EQ(view.Text(IDC_MAX_VIAS), c.settings.viaText);
    EXPECT_EQ(view.Checked(IDC_ONE_ROUTE), c.settings.oneRoute);
    EXPECT_FALSE(view.Enabled(IDC_LANG_FRENCH));
    EXPECT_TRUE(view.Enabled(IDC_CONVERT));
    EXPECT_EQ(view.languages, std::vector<Language>{c.settings.language});
    EXPECT_EQ(view.paneShown, c.settings.preview ? std::vector<bool>{true} : std::vector<bool>{});
    EXPECT_EQ(view.Text(IDC_INPUT_PATH), "");
    EXPECT_EQ(view.Text(IDC_OUTPUT_PATH), "");
    EXPECT_EQ(view.tabStops, TabStops(State()));
    EXPECT_TRUE(view.messages.empty());
  }
}

// ---- Language and option buttons -------------------------------------------

// The language buttons set every text; what the user entered stays. The
// fourth button cannot be clicked; should it be, it selects language 4 and
// changes no text. Any other id changes nothing.
TEST_F(PresenterTest, LanguageChoicesSetTheirTexts) {
  const struct {
    std::vector<int> clicks;
    Language language;
    std::optional<Language> texts;
    int checked;
  } cases[] = {
      {{IDC_LANG_ENGLISH}, Language::kEnglish, Language::kEnglish, IDC_LANG_ENGLISH},
      {{IDC_LANG_DUTCH}, Language::kDutch, Language::kDutch, IDC_LANG_DUTCH},
      {{IDC_LANG_GERMAN}, Language::kGerman, Language::kGerman, IDC_LANG_GERMAN},
      {{IDC_LANG_GERMAN, IDC_LANG_GERMAN}, Language::kGerman, Language::kGerman, IDC_LANG_GERMAN},
      {{IDC_LANG_DUTCH, IDC_LANG_ENGLISH},
       Language::kEnglish,
       Language::kEnglish,
       IDC_LANG_ENGLISH},
      {{IDC_LANG_GERMAN, IDC_LANG_DUTCH}, Language::kDutch, Language::kDutch, IDC_LANG_DUTCH},
      {{IDC_LANG_ENGLISH, IDC_LANG_ENGLISH},
       Language::kEnglish,
       Language::kEnglish,
       IDC_LANG_ENGLISH},
      {{IDC_LANG_GERMAN, IDC_LANG_FRENCH}, Language::kFourth, Language::kGerman, IDC_LANG_FRENCH},
      {{IDC_LANG_GERMAN, IDC_CONVERT}, Language::kGerman, Language::kGerman, IDC_LANG_GERMAN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.clicks));
    Start();
    Type(IDC_INPUT_PATH, "in.gdb");
    for (int id : c.clicks) presenter->OnLanguageChosen(id);
    EXPECT_EQ(State().language, c.language);
    EXPECT_EQ(view.languages.back(), c.language);
    ExpectTexts(c.texts);
    ExpectChecked(c.checked);
    EXPECT_EQ(view.Text(IDC_INPUT_PATH), "in.gdb");
    EXPECT_EQ(view.Text(IDC_MAX_VIAS), "250");
    ExpectChecked(IDC_OPTION_1);
    ExpectViaControlsEnabled(false);
  }
}

// The via-point label and field and the one-route box are for options 5 and
// 6 only; the via text and the language stay.
TEST_F(PresenterTest, OptionChoicesEnableTheViaControls) {
  const struct {
    std::vector<int> clicks;
    std::vector<bool> enabledAfter;
  } cases[] = {
      {{IDC_OPTION_5}, {true}},
      {{IDC_OPTION_6}, {true}},
      {{IDC_OPTION_1, IDC_OPTION_2, IDC_OPTION_3, IDC_OPTION_4}, {false, false, false, false}},
      {{IDC_OPTION_5, IDC_OPTION_2, IDC_OPTION_6, IDC_OPTION_4, IDC_OPTION_5},
       {true, false, true, false, true}},
      {{IDC_OPTION_5, IDC_OPTION_5, IDC_OPTION_3, IDC_OPTION_3}, {true, true, false, false}},
      {{IDC_OPTION_5, IDC_LANG_DUTCH}, {true, true}},  // no option button: nothing changes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.clicks));
    Start();
    Type(IDC_MAX_VIAS, "731");
    int checked = IDC_OPTION_1;
    for (size_t i = 0; i < c.clicks.size(); ++i) {
      presenter->OnOptionChosen(c.clicks[i]);
      if (OptionOfButton(c.clicks[i]) != 0) checked = c.clicks[i];
      ExpectChecked(checked);
      ExpectViaControlsEnabled(c.enabledAfter[i]);
      EXPECT_EQ(view.tabStops, TabStops(State()));
      EXPECT_EQ(view.Text(IDC_MAX_VIAS), "731");
    }
    ExpectChecked(IDC_LANG_ENGLISH);
    EXPECT_EQ(State().language, Language::kEnglish);
  }
}

// ---- Paths -----------------------------------------------------------------

// Once the input is taken up, the output field suggests a name beside it for
// what the option makes, and follows the option; a typed output stays, and
// an emptied one takes suggestions again.
TEST_F(PresenterTest, OutputSuggestionFollowsTheInputAndTheOption) {
  const std::string in = "/data/trips/trip.GDB";
  const std::string suggested = "/data/trips/trip-";
  enum How { kTypedAndLeft, kBrowsed, kChosen };  // kChosen: dropped, or the start's file
  for (How how : {kTypedAndLeft, kBrowsed, kChosen}) {
    SCOPED_TRACE(how);
    Start();
    if (how == kTypedAndLeft) {
      Type(IDC_INPUT_PATH, in);
      EXPECT_EQ(view.Text(IDC_OUTPUT_PATH), "");  // not while typing
      presenter->OnInputLeft();
    } else if (how == kBrowsed) {
      view.pickAnswers.push_back(in);
      presenter->OnBrowse(IDC_INPUT_PATH);
    } else {
      Choose(IDC_INPUT_PATH, in);
    }
    EXPECT_EQ(view.Text(IDC_INPUT_PATH), in);
    EXPECT_EQ(view.Text(IDC_OUTPUT_PATH), suggested + "tracks.gdb");
    presenter->OnOptionChosen(IDC_OPTION_4);
    EXPECT_EQ(view.Text(IDC_OUTPUT_PATH), suggested + "vias.gdb");
    presenter->OnOptionChosen(IDC_OPTION_5);
    EXPECT_EQ(view.Text(IDC_OUTPUT_PATH), suggested + "routes.gdb");

    Type(IDC_OUTPUT_PATH, "mine.gdb");
    presenter->OnOptionChosen(IDC_OPTION_1);
    presenter->OnInputLeft();
    EXPECT_EQ(view.Text(IDC_OUTPUT_PATH), "mine.gdb");
    Type(IDC_OUTPUT_PATH, "");
    presenter->OnOptionChosen(IDC_OPTION_3);
    EXPECT_EQ(view.Text(IDC_OUTPUT_PATH), suggested + "vias.gdb");
    EXPECT_TRUE(view.messages.empty());
  }
  // The suggestion goes with the input, and follows a name without extension;
  // an input typed but not yet left is not taken up.
  Type(IDC_INPUT_PATH, "");
  presenter->OnInputLeft();
  EXPECT_EQ(view.Text(IDC_OUTPUT_PATH), "");
  Type(IDC_INPUT_PATH, "/data/run");
  presenter->OnOptionChosen(IDC_OPTION_6);
  EXPECT_EQ(view.Text(IDC_OUTPUT_PATH), "");
  presenter->OnInputLeft();
  EXPECT_EQ(view.Text(IDC_OUTPUT_PATH), "/data/run-routes.gdb");
}

// A picker fills its own field, or leaves it when cancelled; its filters
// speak the window's language.
TEST_F(PresenterTest, BrowseFillsItsFieldFromThePicker) {
  const std::string chosen = "/data/trips/alps 2026.gdb";
  const struct {
    int field;
    Language language;
    std::optional<std::string> answer;
  } cases[] = {
      {IDC_INPUT_PATH, Language::kEnglish, chosen},
      {IDC_INPUT_PATH, Language::kEnglish, std::nullopt},
      {IDC_OUTPUT_PATH, Language::kEnglish, chosen},
      {IDC_OUTPUT_PATH, Language::kEnglish, std::nullopt},
      {IDC_INPUT_PATH, Language::kDutch, chosen},
      {IDC_OUTPUT_PATH, Language::kGerman, chosen},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.field << " " << c.answer.value_or("cancelled"));
    Start(Kept(c.language));
    const int other = c.field == IDC_INPUT_PATH ? IDC_OUTPUT_PATH : IDC_INPUT_PATH;
    Type(c.field, "typed by hand");
    Type(other, "other.gdb");
    view.pickAnswers.push_back(c.answer);
    presenter->OnBrowse(c.field);

    ASSERT_EQ(view.picks.size(), 1u);
    EXPECT_EQ(view.picks[0].save, c.field == IDC_OUTPUT_PATH);
    EXPECT_EQ(FilterNames(view.picks[0].filters, Language::kEnglish), kEnglishFilters);
    EXPECT_EQ(view.picks[0].language, c.language);
    EXPECT_EQ(view.picks[0].filters.defaultSuffix, "gdb");
    EXPECT_EQ(view.picks[0].name, c.field == IDC_OUTPUT_PATH ? "typed by hand" : "");
    EXPECT_EQ(view.Text(c.field), c.answer.value_or("typed by hand"));
    EXPECT_EQ(view.Text(other), "other.gdb");
    EXPECT_TRUE(view.messages.empty());
  }
  // An emptied output field: Save offers the name suggested for the input.
  Start();
  Choose(IDC_INPUT_PATH, "/data/trips/alps.gdb");
  Type(IDC_OUTPUT_PATH, "");
  presenter->OnBrowse(IDC_OUTPUT_PATH);
  ASSERT_EQ(view.picks.size(), 1u);
  EXPECT_EQ(view.picks[0].name, "alps-tracks.gdb");

  Start();
  presenter->OnBrowse(IDC_CONVERT);  // no field of a picker
  EXPECT_TRUE(view.picks.empty());
}

// A picker opens in the folder of its field's path if that exists, else in
// the last folder picked or converted in for that field, kept from one start
// to the next; at first in the picker's own choice.
TEST_F(PresenterTest, PickersOpenInTheFieldsFolderElseTheLastOne) {
  TempDir inputs;
  TempDir outputs;
  const std::string inFolder = inputs.Path().string();
  const std::string outFolder = outputs.Path().string();
  const auto folderOfPick = [this](int field) {
    view.picks.clear();
    presenter->OnBrowse(field);
    return view.picks.at(0).folder;
  };
  Start();
  EXPECT_EQ(folderOfPick(IDC_INPUT_PATH), "");
  EXPECT_EQ(folderOfPick(IDC_OUTPUT_PATH), "");
  view.pickAnswers = {(inputs / "in.gdb").string(), (outputs / "out.gdb").string()};
  presenter->OnBrowse(IDC_INPUT_PATH);
  presenter->OnBrowse(IDC_OUTPUT_PATH);
  Restart();
  ASSERT_EQ(view.Text(IDC_INPUT_PATH), "");
  EXPECT_EQ(folderOfPick(IDC_INPUT_PATH), inFolder);
  EXPECT_EQ(folderOfPick(IDC_OUTPUT_PATH), outFolder);

  const struct {
    int field;
    std::string fieldPath;
    std::string folder;
  } cases[] = {
      {IDC_INPUT_PATH, (outputs / "x.gdb").string(), outFolder},  // the field's path goes first
      {IDC_INPUT_PATH, (outputs / "gone" / "x.gdb").string(), inFolder},
      {IDC_INPUT_PATH, "x.gdb", inFolder},
      {IDC_INPUT_PATH, "  " + (outputs / "x.gdb").string() + " ", outFolder},
      {IDC_OUTPUT_PATH, (inputs / "x.gdb").string(), inFolder},
      {IDC_OUTPUT_PATH, "", outFolder},
  };
  for (const auto& c : cases) {
    Type(c.field, c.fieldPath);
    EXPECT_EQ(folderOfPick(c.field), c.folder) << c.fieldPath;
  }

  // A Convert keeps its folders too; one gone since gives the picker's choice.
  Type(IDC_INPUT_PATH, (outputs / "in.gdb").string());
  Type(IDC_OUTPUT_PATH, (dir / "gone" / "out.gdb").string());
  Convert();
  Restart();
  EXPECT_EQ(folderOfPick(IDC_INPUT_PATH), outFolder);
  EXPECT_EQ(folderOfPick(IDC_OUTPUT_PATH), "");
}

// ---- Convert ---------------------------------------------------------------

// Convert asks before it replaces an output file that exists, unless the
// path is the Save picker's, unchanged; No leaves the file as it was. The
// output just converted into is not asked about again.
TEST_F(PresenterTest, ConvertAsksBeforeReplacingAnOutput) {
  enum How { kTyped, kPicked, kPickedThenEdited };
  const struct {
    const char* name;
    How how;
    bool exists;
    bool yes;
    bool asked;
  } cases[] = {
      {"typed, No", kTyped, true, false, true},
      {"typed, Yes", kTyped, true, true, true},
      {"typed, new file", kTyped, false, false, false},
      {"Save picker", kPicked, true, false, false},
      {"Save picker, then edited, No", kPickedThenEdited, true, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(output);
    WriteFile(input, PlainFile());
    if (c.exists) WriteFile(output, "old output");
    Start(Kept(Language::kDutch));
    Type(IDC_INPUT_PATH, input);
    if (c.how == kTyped) {
      Type(IDC_OUTPUT_PATH, output);
    } else {
      view.pickAnswers.push_back(c.how == kPicked ? output : output + "x");
      presenter->OnBrowse(IDC_OUTPUT_PATH);
      if (c.how == kPickedThenEdited) Type(IDC_OUTPUT_PATH, output);
    }
    view.questionAnswers.push_back(c.yes);

    Convert();

    ASSERT_EQ(view.questions.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(view.questions[0].text,
                "Uitvoer bestand " + output + " bestaat al.\nWilt u het vervangen?");
      EXPECT_EQ(view.questions[0].title, "Info");
    }
    const bool runs = !c.asked || c.yes;
    EXPECT_EQ(view.messages.size(), runs ? 1u : 0u);
    EXPECT_EQ(ReadFile(output), runs ? PlainFile() : "old output");

    view.questions.clear();
    Convert();
    EXPECT_EQ(view.questions.size(), runs ? 0u : 1u);
  }
}

// After a completed run, its own output is replaced without a question only
// by the same run: any other input or choice asks again. A run the run
// itself would refuse (the input as the output, a read-only output, no
// input) is refused without a question first.
TEST_F(PresenterTest, TheReplaceQuestionFollowsTheLastCompletedRun) {
  const std::string other = (dir / "other.gdb").string();
  const std::string missing = (dir / "missing.gdb").string();
  const struct {
    const char* name;
    std::function<void()> change;
    bool asked;
    const char* left;  // the output's bytes afterwards; null: the run's
  } cases[] = {
      {"the same run", [] {}, false, nullptr},
      {"another input", [&] { Type(IDC_INPUT_PATH, other); }, true, "kept"},
      {"another option", [&] { presenter->OnOptionChosen(IDC_OPTION_6); }, true, "kept"},
      {"another via maximum", [&] { Type(IDC_MAX_VIAS, "100"); }, true, "kept"},
      {"the one-route box", [&] { presenter->OnOneRouteToggled(true); }, true, "kept"},
      {"the output is the input", [&] { Type(IDC_OUTPUT_PATH, input); }, false, "kept"},
      {"no input", [&] { Type(IDC_INPUT_PATH, missing); }, false, "kept"},
      {"a read-only output",
       [&] { std::filesystem::permissions(output, std::filesystem::perms::owner_read); }, false,
       "kept"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(output);
    WriteFile(input, PlainFile());
    WriteFile(other, PlainFile());
    Start();
    presenter->OnOptionChosen(IDC_OPTION_5);
    Type(IDC_INPUT_PATH, input);
    Type(IDC_OUTPUT_PATH, output);
    Convert();
    ASSERT_EQ(ReadFile(output), PlainFile());
    WriteFile(output, "kept");
    view.questions.clear();
    view.questionAnswers.push_back(false);

    c.change();
    Convert();

    EXPECT_EQ(view.questions.size(), c.asked ? 1u : 0u);
    EXPECT_EQ(ReadFile(output), c.left != nullptr ? c.left : PlainFile());
    EXPECT_EQ(ReadFile(input), PlainFile());
    std::filesystem::permissions(output, std::filesystem::perms::owner_all);
  }
  // A run that did not complete leaves no agreement behind.
  Type(IDC_INPUT_PATH, missing);
  Convert();
  Type(IDC_INPUT_PATH, input);
  view.questions.clear();
  Convert();
  EXPECT_EQ(view.questions.size(), 1u);
}

// Runs with the run's messages in the window's language; the window keeps
// the user's entries and its settings.
TEST_F(PresenterTest, ConvertRunsAndShowsTheRunsMessages) {
  struct Box {
    std::string text;
    std::string title;
    MessageStyle style;
  };
  const MessageStyle kPlain = MessageStyle::Plain;
  const MessageStyle kWarn = MessageStyle::Exclamation;
  const std::string longTrack = gdbtest::GdbFile('l', {LongTrackRecord("Z\xFC"
                                                                       "rich")});
  const struct {
    const char* name;
    int languageButton;
    int optionButton;
    std::string vias;
    std::string inputBytes;  // empty: no input path
    std::vector<Box> boxes;
  } cases[] = {
      {"English, no input path",
       IDC_LANG_ENGLISH,
       IDC_OPTION_1,
       "250",
       "",
       {{"No input file specified", "File error", kWarn}}},
      {"German, no input path",
       IDC_LANG_GERMAN,
       IDC_OPTION_3,
       "250",
       "",
       {{"Keine Eingabe-Datei angegeben", "Datei Fehler", kWarn}}},
      {"English, completed",
       IDC_LANG_ENGLISH,
       IDC_OPTION_1,
       "250",
       PlainFile(),
       {{"GDB file conversion completed\nNothing to convert: the file has no routes.\nOutput "
         "file: " +
             output,
         "Finished", kPlain}}},
      {"German, via count too small",
       IDC_LANG_GERMAN,
       IDC_OPTION_6,
       "24",
       PlainFile(),
       {{"Anzahl der Zwischenpunkte je Route ungültig", "Fehler", kWarn}}},
      {"Dutch, track skipped",
       IDC_LANG_DUTCH,
       IDC_OPTION_5,
       "250",
       longTrack,
       {{"Kan niet meer dan 10000 trackpoints converteren,\ntrack \"Zürich\" overgeslagen.", "Info",
         kWarn},
        {"GDB bestandsconversie voltooid\n1 track overgeslagen.\nUitvoerbestand: " + output,
         "Klaar", kPlain}}},
      {"German, track skipped",
       IDC_LANG_GERMAN,
       IDC_OPTION_6,
       "1000",
       longTrack,
       {{"Kann nicht mehr als 10000 Trackpunkten konvertieren,\ntrack \"Zürich\" übersprungen.",
         "Info", kWarn},
        {"GDB Datei Konvertierung komplett\n1 Track übersprungen.\nAusgabedatei: " + output,
         "Fertig", kPlain}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(output);
    Start();
    presenter->OnLanguageChosen(c.languageButton);
    presenter->OnOptionChosen(c.optionButton);
    Type(IDC_MAX_VIAS, c.vias);
    if (!c.inputBytes.empty()) {
      WriteFile(input, c.inputBytes);
      Type(IDC_INPUT_PATH, input);
      Type(IDC_OUTPUT_PATH, output);
    }

    Convert();

    ASSERT_EQ(view.messages.size(), c.boxes.size());
    for (size_t i = 0; i < c.boxes.size(); ++i) {
      EXPECT_EQ(view.messages[i].text, c.boxes[i].text);
      EXPECT_EQ(view.messages[i].title, c.boxes[i].title);
      EXPECT_EQ(view.messages[i].style, c.boxes[i].style);
    }
    EXPECT_EQ(view.busyShown, (std::vector<bool>{true, false}));
    EXPECT_EQ(view.Text(IDC_INPUT_PATH), c.inputBytes.empty() ? "" : input);
    ExpectChecked(c.optionButton);
    EXPECT_EQ(store.saves, 1);
    EXPECT_EQ(store.stored.option, OptionOfButton(c.optionButton));
    if (c.boxes.back().title == "Finished") {
      EXPECT_EQ(ReadFile(output), c.inputBytes);
    }
  }
}

// The via text goes to the run as typed, without the white space around it;
// the run takes 25 to 1000 for option 5, and nothing that only a wrap past
// 32 bits would make a number.
TEST_F(PresenterTest, ViaTextReachesTheRunTrimmed) {
  const struct {
    const char* typed;
    bool accepted;
  } cases[] = {
      {"250", true},         {" 731\t", true},      {"0025", true},        {"", false},
      {"4294967295", false}, {"4294967296", false}, {"4294967321", false},  // would wrap to 25
      {"12a", false},        {"-25", false},        {"1 2", false},
  };
  WriteFile(input, PlainFile());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    std::filesystem::remove(output);
    Start(Kept(Language::kEnglish, 5));
    Type(IDC_INPUT_PATH, input);
    Type(IDC_OUTPUT_PATH, output);
    Type(IDC_MAX_VIAS, c.typed);
    Convert();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].title, c.accepted ? "Finished" : "Error");
    if (!c.accepted) {
      EXPECT_EQ(view.messages[0].text, "Number of via points per route invalid");
    }
  }
}

// Checking the second "Info" box's check box hides the other three; the
// completion box counts them, and the next run shows its boxes again.
TEST_F(PresenterTest, CheckBoxSilencesTheRestOfTheRun) {
  std::vector<std::string> records;
  for (const char* name : {"A", "B", "C", "D", "E"}) records.push_back(LongTrackRecord(name));
  WriteFile(input, gdbtest::GdbFile('l', records));
  Start(Kept(Language::kEnglish, 5));
  Type(IDC_INPUT_PATH, input);
  Type(IDC_OUTPUT_PATH, output);
  view.checkBoxCheckedFrom = 2;

  Convert();

  const std::string checkBox = "Show no more messages for this conversion";
  ASSERT_EQ(view.messages.size(), 3u);
  EXPECT_NE(view.messages[1].text.find("\"B\""), std::string::npos);
  EXPECT_EQ(view.messages[0].checkBoxText, checkBox);
  EXPECT_EQ(view.messages[1].checkBoxText, checkBox);
  EXPECT_EQ(view.messages[2].title, "Finished");
  EXPECT_TRUE(view.messages[2].text.ends_with(
      "skipped.\n3 more messages were not shown.\nOutput file: " + output))
      << view.messages[2].text;
  EXPECT_EQ(view.messages[2].checkBoxText, "");

  view.messages.clear();
  view.checkBoxCheckedFrom = 0;
  Convert();
  ASSERT_EQ(view.messages.size(), 6u);
  EXPECT_EQ(view.messages[5].text.find("not shown"), std::string::npos);
}

#ifndef _WIN32
// While a run goes on, Convert is its Stop and the rest is disabled; once it
// has gone on for half a second, a bar shows its progress (without a share
// for a pipe). Stop, Escape and the close box end it at its next block of
// input: the old output stays as it was and no file is left beside it. The
// close box then closes the window without the run's box.
TEST_F(PresenterTest, StopEndsARunAndLeavesTheOutputAsItWas) {
  const struct {
    const char* name;
    std::function<bool(Presenter&)> stop;  // whether the window closes at once
    bool closes;
  } cases[] = {
      {"Stop", [](Presenter& p) { return p.OnConvert(), false; }, false},
      {"Escape", [](Presenter& p) { return p.OnEscape(); }, false},
      {"the close box", [](Presenter& p) { return p.OnClosing(); }, true},
  };
  const std::string bytes = WindingTrackFile();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(input);
    FifoFeed pipe(input);
    WriteFile(output, "old output");
    Start(Kept(Language::kDutch));
    Type(IDC_INPUT_PATH, input);
    Type(IDC_OUTPUT_PATH, output);
    view.questionAnswers.push_back(true);
    presenter->OnConvert();
    OpenWhenTheRunReads(pipe);
    ASSERT_TRUE(pipe.Write(bytes.substr(0, bytes.size() / 2)));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (view.progress.empty() && std::chrono::steady_clock::now() < until) {
      for (const auto& task : view.WaitForPosted(std::chrono::milliseconds(50))) task();
    }
    ASSERT_FALSE(view.progress.empty());
    ASSERT_TRUE(view.progress[0].has_value());
    EXPECT_EQ(view.progress[0]->text, "Converteren…");
    EXPECT_EQ(view.progress[0]->percent, std::nullopt);
    EXPECT_STREQ(view.labels.at(IDC_CONVERT).text.english, "&Stop");
    for (const ControlTemplate& control : DialogControls()) {
      EXPECT_EQ(view.Enabled(control.id), control.id == IDC_CONVERT) << control.id;
    }

    EXPECT_FALSE(c.stop(*presenter));
    ASSERT_TRUE(pipe.Write(bytes.substr(bytes.size() / 2)));
    pipe.Close();
    FinishRun();

    EXPECT_EQ(view.closes, c.closes ? 1 : 0);
    if (c.closes) {
      EXPECT_TRUE(view.messages.empty());
    } else {
      ASSERT_EQ(view.messages.size(), 1u);
      EXPECT_EQ(view.messages[0].text, "Conversie gestopt - er is geen uitvoer geschreven");
    }
    EXPECT_EQ(ReadFile(output), "old output");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
    EXPECT_EQ(view.progress.back(), std::nullopt);
    EXPECT_STREQ(view.labels.at(IDC_CONVERT).text.english, "&Convert");
    EXPECT_TRUE(view.Enabled(IDC_INPUT_PATH));
    EXPECT_EQ(store.saves, 1);
  }
}

// A run held up opening a pipe that nobody writes cannot stop: a second
// close closes the window all the same, and the run ends later on its own.
// Escape right after the last box, before the run's end has reached the
// window, closes the window once it has: the run has nothing left to stop.
TEST_F(PresenterTest, EscapeAfterTheLastBoxClosesTheWindow) {
  Start();
  WriteFile(input, PlainFile());
  Type(IDC_INPUT_PATH, input);
  Type(IDC_OUTPUT_PATH, output);
  presenter->OnConvert();
  std::vector<std::function<void()>> held;  // what comes after the box
  for (int i = 0; i < 1200 && held.empty(); ++i) {
    for (auto& task : view.WaitForPosted(std::chrono::milliseconds(50))) {
      if (view.messages.empty()) {
        task();
      } else {
        held.push_back(std::move(task));
      }
    }
  }
  ASSERT_EQ(view.messages.size(), 1u);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(presenter->OnEscape());
  for (const auto& task : held) task();
  FinishRun();
  EXPECT_EQ(view.closes, 1);
}

TEST_F(PresenterTest, ASecondCloseDoesNotWaitForAStuckRun) {
  FifoFeed pipe(input);
  Start();
  Type(IDC_INPUT_PATH, input);
  Type(IDC_OUTPUT_PATH, output);
  presenter->OnConvert();
  EXPECT_FALSE(presenter->OnClosing());
  EXPECT_TRUE(presenter->OnClosing());
  presenter.reset();
  EXPECT_EQ(store.saves, 1);
  OpenWhenTheRunReads(pipe);  // the run opens its input, finds it empty and ends
  pipe.Close();
  EXPECT_FALSE(std::filesystem::exists(output));
}
#endif

// The one-route box stays checked through options 1 to 4; with option 5 it
// converts as a run of one route per track does, and it comes back checked
// at the next start.
TEST_F(PresenterTest, OneRouteReachesTheRunAndIsKept) {
  WriteFile(input, WindingTrackFile());
  const auto optionFiveOutput = [this](bool oneRoute) {
    DialogSettings settings = Kept(Language::kEnglish, 5);
    settings.oneRoute = oneRoute;
    Start(settings);
    Type(IDC_INPUT_PATH, input);
    Type(IDC_OUTPUT_PATH, output);
    Convert();
    return ReadFile(output);
  };
  const std::string several = optionFiveOutput(false);
  Start();
  EXPECT_FALSE(view.Checked(IDC_ONE_ROUTE));
  presenter->OnOptionChosen(IDC_OPTION_5);
  presenter->OnOneRouteToggled(true);
  for (int option : {IDC_OPTION_1, IDC_OPTION_2, IDC_OPTION_3, IDC_OPTION_4, IDC_OPTION_5}) {
    presenter->OnOptionChosen(option);
  }
  Type(IDC_INPUT_PATH, input);
  Type(IDC_OUTPUT_PATH, output);
  std::filesystem::remove(output);
  Convert();
  const std::string oneRoute = ReadFile(output);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_FALSE(oneRoute.empty());
  EXPECT_NE(oneRoute, several);

  Restart();
  EXPECT_TRUE(view.Checked(IDC_ONE_ROUTE));
  EXPECT_TRUE(view.Enabled(IDC_ONE_ROUTE));
  std::filesystem::remove(output);
  EXPECT_EQ(optionFiveOutput(true), oneRoute);
}

// ---- Settings, About, the preview ------------------------------------------

// Closing keeps the language, option, via text (trimmed), one-route box,
// the folders and the pane.
TEST_F(PresenterTest, ClosingKeepsTheSettings) {
  TempDir picked;
  Start();
  presenter->OnLanguageChosen(IDC_LANG_GERMAN);
  presenter->OnOptionChosen(IDC_OPTION_6);
  Type(IDC_MAX_VIAS, " 500 ");
  presenter->OnOneRouteToggled(true);
  view.pickAnswers.push_back((picked / "in.gdb").string());
  presenter->OnBrowse(IDC_INPUT_PATH);
  presenter->OnPreviewClicked();
  presenter->StopPreview();
  EXPECT_EQ(store.saves, 0);

  presenter->OnClosing();

  EXPECT_EQ(store.saves, 1);
  EXPECT_EQ(store.stored.language, Language::kGerman);
  EXPECT_EQ(store.stored.option, 6);
  EXPECT_EQ(store.stored.viaText, "500");
  EXPECT_TRUE(store.stored.oneRoute);
  EXPECT_EQ(store.stored.inputFolder, picked.Path().string());
  EXPECT_EQ(store.stored.outputFolder, "");
  EXPECT_TRUE(store.stored.preview);
}

TEST_F(PresenterTest, AboutSpeaksTheWindowsLanguage) {
  Start(Kept(Language::kDutch));
  presenter->OnAbout();
  EXPECT_EQ(view.abouts, std::vector<Language>{Language::kDutch});
}

// The pane shows a picture of what the controls say, made away from the
// window's thread and handed over through a posted task; none once stopped.
TEST_F(PresenterTest, PreviewShowsAPictureOfTheInput) {
  const auto runPosted = [this](std::chrono::seconds wait) {
    const auto until = std::chrono::steady_clock::now() + wait;
    while (std::chrono::steady_clock::now() < until && view.pictures.empty()) {
      for (const auto& task : view.TakePosted()) task();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  };
  WriteFile(input, WindingTrackFile());
  Start();
  Choose(IDC_INPUT_PATH, input);
  presenter->OnOptionChosen(IDC_OPTION_5);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(view.TakePosted().empty());  // no pane, no picture

  presenter->OnPreviewClicked();
  EXPECT_EQ(view.paneShown, std::vector<bool>{true});
  runPosted(std::chrono::seconds(30));
  ASSERT_EQ(view.pictures.size(), 1u);
  EXPECT_EQ(view.pictures[0].note, preview::Note::None);
  EXPECT_EQ(view.pictures[0].picture.mode, ModeForOption(5));
  EXPECT_EQ(view.pictures[0].picture.input.tracks.size(), 1u);

  presenter->OnPreviewClicked();
  EXPECT_EQ(view.paneShown, (std::vector<bool>{true, false}));
  presenter->OnPreviewClicked();
  presenter->StopPreview();
  for (const auto& task : view.TakePosted()) task();
  EXPECT_EQ(view.pictures.size(), 1u);
}

}  // namespace
