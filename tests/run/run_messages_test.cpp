// Every way a run can end, in every language: the one message it shows, and
// that it leaves no file open and the input as it was.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <tuple>

#include "run_fixture.h"

namespace runtest {
namespace {

struct MessageText {
  const char* text;
  const char* title;
};

// What the user reads, per language: English, Dutch, German.
struct ExpectedMessage {
  MessageText english;
  MessageText dutch;
  MessageText german;
  MessageStyle style;
};

const ExpectedMessage kInputPathEmpty = {{"No input file specified", "File error"},
                                         {"Geen invoer bestand gespecificeerd", "Bestandsfout"},
                                         {"Keine Eingabe-Datei angegeben", "Datei Fehler"},
                                         MessageStyle::Exclamation};
const ExpectedMessage kInputOpenFailed = {{"Cannot open input file", "File error"},
                                          {"Kan het invoer bestand niet openen", "Bestandsfout"},
                                          {"Kann Eingabe-Datei nicht öffnen", "Datei Fehler"},
                                          MessageStyle::Exclamation};
const ExpectedMessage kOutputPathEmpty = {{"No output file specified", "File error"},
                                          {"Geen uitvoer bestand gespecificeerd", "Bestandsfout"},
                                          {"Keine Ausgabe-Datei angegeben", "Datei Fehler"},
                                          MessageStyle::Exclamation};
const ExpectedMessage kOutputOpenFailed = {
    {"Cannot open output file\nSame file as input or Read-Only?", "File error"},
    {"Kan het uitvoer bestand niet openen\nZelfde bestand als invoer of Read-Only?",
     "Bestandsfout"},
    {"Kann Ausgabe-Datei nicht öffnen\nGleiche Datei wie Eingabe-Datei oder Nur Lesen",
     "Datei Fehler"},
    MessageStyle::Exclamation};
const ExpectedMessage kViaCountInvalid = {{"Number of via points per route invalid", "Error"},
                                          {"Aantal via punten per route ongeldig", "Fout"},
                                          {"Anzahl der Zwischenpunkte je Route ungültig", "Fehler"},
                                          MessageStyle::Exclamation};
const ExpectedMessage kNotGdbFormat = {{"Input file is not in GDB format", "File error"},
                                       {"Invoer bestand is niet in GDB formaat", "Bestandsfout"},
                                       {"Eingabe-Datei ist nicht im GDB Format", "Datei Fehler"},
                                       MessageStyle::Exclamation};
const ExpectedMessage kInputTruncated = {
    {"Input file ends before its end record - output is incomplete", "File error"},
    {"Invoer bestand eindigt voor het eindrecord - uitvoer is onvolledig", "Bestandsfout"},
    {"Eingabe-Datei endet vor dem Endedatensatz - Ausgabe ist unvollständig", "Datei Fehler"},
    MessageStyle::Exclamation};
const ExpectedMessage kInputTruncatedNoOutput = {
    {"Input file ends before its end record - no output written", "File error"},
    {"Invoer bestand eindigt voor het eindrecord - er is geen uitvoer geschreven", "Bestandsfout"},
    {"Eingabe-Datei endet vor dem Endedatensatz - es wurde keine Ausgabe geschrieben",
     "Datei Fehler"},
    MessageStyle::Exclamation};
const ExpectedMessage kInputReadFailed = {
    {"Error reading input file - no output written", "File error"},
    {"Fout bij het lezen van het invoer bestand - er is geen uitvoer geschreven", "Bestandsfout"},
    {"Fehler beim Lesen der Eingabe-Datei - es wurde keine Ausgabe geschrieben", "Datei Fehler"},
    MessageStyle::Exclamation};
const ExpectedMessage kOutputWriteFailed = {
    {"Error writing output file", "File error"},
    {"Fout bij het schrijven van het uitvoer bestand", "Bestandsfout"},
    {"Fehler beim Schreiben der Ausgabe-Datei", "Datei Fehler"},
    MessageStyle::Exclamation};
// The completion message and, on its last line, what the run did to the example.
const ExpectedMessage kCompletedRoutesToTracks = {
    {"GDB file conversion completed\n"
     "2 routes became 2 tracks (7 points); 6 records copied unchanged.",
     "Finished"},
    {"GDB bestandsconversie voltooid\n"
     "2 routes omgezet in 2 tracks (7 punten); 6 records ongewijzigd gekopieerd.",
     "Klaar"},
    {"GDB Datei Konvertierung komplett\n"
     "2 Routen in 2 Tracks umgewandelt (7 Punkte); 6 Datensätze unverändert kopiert.",
     "Fertig"},
    MessageStyle::Plain};
const ExpectedMessage kCompletedTracksToRoutes = {
    {"GDB file conversion completed\n"
     "1 track became 1 route with 25 new waypoints; 7 records copied unchanged.",
     "Finished"},
    {"GDB bestandsconversie voltooid\n"
     "1 track omgezet in 1 route met 25 nieuwe waypoints; 7 records ongewijzigd gekopieerd.",
     "Klaar"},
    {"GDB Datei Konvertierung komplett\n"
     "1 Track in 1 Route mit 25 neuen Wegpunkten umgewandelt; 7 Datensätze unverändert kopiert.",
     "Fertig"},
    MessageStyle::Plain};

// The line below the message that says why a file failed, after its path.
struct ReasonLine {
  const char* english;
  const char* dutch;
  const char* german;
};

const ReasonLine kFileMissing = {": the file does not exist", ": het bestand bestaat niet",
                                 ": die Datei existiert nicht"};
const ReasonLine kFolderMissing = {": the folder does not exist", ": de map bestaat niet",
                                   ": der Ordner existiert nicht"};
const ReasonLine kIsFolder = {": is a folder", ": is een map", ": ist ein Ordner"};
const ReasonLine kIsInput = {": is the input file", ": is het invoer bestand",
                             ": ist die Eingabe-Datei"};
const ReasonLine kReadOnly = {": is read-only", ": is Read-Only", ": ist schreibgeschützt"};
const ReasonLine kPermissionDenied = {": permission denied", ": toegang geweigerd",
                                      ": Zugriff verweigert"};
const ReasonLine kDiskFull = {": the disk is full", ": de schijf is vol",
                              ": der Datenträger ist voll"};
const ReasonLine kSystemRefused = {": the system refused it", ": het systeem weigerde het",
                                   ": das System hat es verweigert"};

// The file a reason line names.
enum class Named { kNone, kInput, kOutput };

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

class WayOutTest;

struct WayOut {
  const char* name;
  // Prepares the fixture; returns false when this machine cannot offer the case.
  std::function<bool(WayOutTest&)> setUp;
  RunOutcome outcome;
  const ExpectedMessage* message;
  Named named = Named::kNone;
  const ReasonLine* reason = nullptr;
};

void PrintTo(const WayOut& way, std::ostream* out) {
  *out << way.name;
}

class WayOutTest : public RunFixture,
                   public ::testing::WithParamInterface<std::tuple<WayOut, Language>> {
 public:
  FakeDialog& Dialog() { return dialog; }
  const fs::path& Input() const { return input; }
  const fs::path& Output() const { return output; }
  const TempDir& Dir() const { return dir; }
};

std::string ExampleBytes() {
  return ReadFile(ExampleGdb());
}

const WayOut kWaysOut[] = {
    {"BothPathsEmpty",
     [](WayOutTest& t) {
       t.Dialog().inputPath.clear();
       t.Dialog().outputPath.clear();
       return true;
     },
     RunOutcome::InputPathEmpty, &kInputPathEmpty},
    {"InputMissing",
     [](WayOutTest& t) {
       t.Dialog().inputPath = (t.Dir() / "no-such.gdb").string();
       return true;
     },
     RunOutcome::InputOpenFailed, &kInputOpenFailed, Named::kInput, &kFileMissing},
    {"InputFolderMissing",
     [](WayOutTest& t) {
       t.Dialog().inputPath = (t.Dir() / "no-such" / "in.gdb").string();
       return true;
     },
     RunOutcome::InputOpenFailed, &kInputOpenFailed, Named::kInput, &kFolderMissing},
    {"InputIsFolder",
     [](WayOutTest& t) {
       t.Dialog().inputPath = t.Dir().Path().string();
       return true;
     },
     RunOutcome::InputOpenFailed, &kInputOpenFailed, Named::kInput, &kIsFolder},
    {"InputUnreadable",
     [](WayOutTest& t) {
       // Root reads it all the same; Windows has no bits that stop reading.
       if (IsRoot() || kWindows) return false;
       const fs::path locked = t.Dir() / "locked.gdb";
       WriteFile(locked, ExampleBytes());
       SetMode(locked, 0200);
       t.Dialog().inputPath = locked.string();
       return true;
     },
     RunOutcome::InputOpenFailed, &kInputOpenFailed, Named::kInput, &kPermissionDenied},
    {"OutputPathEmpty",
     [](WayOutTest& t) {
       t.Dialog().outputPath.clear();
       return true;
     },
     RunOutcome::OutputPathEmpty, &kOutputPathEmpty},
    {"OutputIsInput",
     [](WayOutTest& t) {
       t.Dialog().outputPath = t.Dialog().inputPath;
       return true;
     },
     RunOutcome::OutputOpenFailed, &kOutputOpenFailed, Named::kOutput, &kIsInput},
    {"OutputReadOnly",
     [](WayOutTest& t) {
       WriteFile(t.Output(), "keep");
       SetMode(t.Output(), 0444);
       return true;
     },
     RunOutcome::OutputOpenFailed, &kOutputOpenFailed, Named::kOutput, &kReadOnly},
    {"OutputIsFolder",
     [](WayOutTest& t) {
       t.Dialog().outputPath = t.Dir().Path().string();
       return true;
     },
     RunOutcome::OutputOpenFailed, &kOutputOpenFailed, Named::kOutput, &kIsFolder},
    {"OutputFolderMissing",
     [](WayOutTest& t) {
       t.Dialog().outputPath = (t.Dir() / "no-such" / "out.gdb").string();
       return true;
     },
     RunOutcome::OutputOpenFailed, &kOutputOpenFailed, Named::kOutput, &kFolderMissing},
    {"OutputFolderClosed",
     [](WayOutTest& t) {
       // Root makes files there all the same; Windows has no such bits.
       if (IsRoot() || kWindows) return false;
       const fs::path closed = t.Dir() / "closed";
       fs::create_directory(closed);
       SetMode(closed, 0555);
       t.Dialog().outputPath = (closed / "out.gdb").string();
       return true;
     },
     RunOutcome::OutputOpenFailed, &kOutputOpenFailed, Named::kOutput, &kPermissionDenied},
    {"ViaCountTooSmall",
     [](WayOutTest& t) {
       t.Dialog().option = 5;
       t.Dialog().maxVias = "24";
       return true;
     },
     RunOutcome::ViaCountInvalid, &kViaCountInvalid},
    {"ViaCountTooLarge",
     [](WayOutTest& t) {
       t.Dialog().option = 6;
       t.Dialog().maxVias = "1001";
       return true;
     },
     RunOutcome::ViaCountInvalid, &kViaCountInvalid},
    {"ViaCountNotANumber",
     [](WayOutTest& t) {
       t.Dialog().option = 5;
       t.Dialog().maxVias = "abc";
       return true;
     },
     RunOutcome::ViaCountInvalid, &kViaCountInvalid},
    {"NotGdb",
     [](WayOutTest& t) {
       WriteFile(t.Input(), "This is a text file, not a GDB file.\n");
       return true;
     },
     RunOutcome::NotGdbFormat, &kNotGdbFormat},
    {"EmptyInput",
     [](WayOutTest& t) {
       WriteFile(t.Input(), "");
       return true;
     },
     RunOutcome::NotGdbFormat, &kNotGdbFormat},
    {"EndRecordMissing",
     [](WayOutTest& t) {
       const std::string whole = ExampleBytes();
       WriteFile(t.Input(), whole.substr(0, whole.size() - 7));
       return true;
     },
     RunOutcome::InputTruncated, &kInputTruncatedNoOutput},
    {"EndRecordMissingOutputWrittenInPlace",
     [](WayOutTest& t) {
       // A device is written as the conversion goes: what was converted stays.
       const std::string whole = ExampleBytes();
       WriteFile(t.Input(), whole.substr(0, whole.size() - 7));
#ifdef _WIN32
       t.Dialog().outputPath = "NUL";
#else
       t.Dialog().outputPath = "/dev/null";
#endif
       return true;
     },
     RunOutcome::InputTruncated, &kInputTruncated},
    {"InputReadFails",
     [](WayOutTest& t) {
       // Its first page is never mapped: reading it fails.
       t.Dialog().inputPath = "/proc/self/mem";
       return fs::exists("/proc/self/mem");
     },
     RunOutcome::InputReadFailed, &kInputReadFailed, Named::kInput, &kSystemRefused},
    {"OutputDeviceFull",
     [](WayOutTest& t) {
       if (!fs::exists("/dev/full")) return false;
       t.Dialog().outputPath = "/dev/full";
       return true;
     },
     RunOutcome::OutputWriteFailed, &kOutputWriteFailed, Named::kOutput, &kDiskFull},
    {"Completed", [](WayOutTest&) { return true; }, RunOutcome::Completed,
     &kCompletedRoutesToTracks},
    {"CompletedTracksToRoutes",
     [](WayOutTest& t) {
       t.Dialog().option = 6;
       t.Dialog().maxVias = "25";
       return true;
     },
     RunOutcome::Completed, &kCompletedTracksToRoutes},
};

// The message's text, and below it the path and the reason, when the way
// names a file.
std::string ExpectedText(const WayOut& way, Language language, const FakeDialog& dialog) {
  const bool english = language == Language::kEnglish;
  const bool dutch = language == Language::kDutch;
  const MessageText& message = english ? way.message->english
                               : dutch ? way.message->dutch
                                       : way.message->german;
  if (way.named == Named::kNone) return message.text;
  const std::string& path = way.named == Named::kInput ? dialog.inputPath : dialog.outputPath;
  const char* reason = english ? way.reason->english
                       : dutch ? way.reason->dutch
                               : way.reason->german;
  return std::string(message.text) + "\n" + path + reason;
}

TEST_P(WayOutTest, ShowsOneMessageAndLeavesNoFileOpen) {
  const auto& [way, language] = GetParam();
  if (!way.setUp(*this)) GTEST_SKIP() << "not available on this machine";
  const std::string inputBefore = ReadFile(input);
  const mode_t modeBefore = Mode(input);
  const int descriptorsBefore = OpenDescriptorCount();

  EXPECT_EQ(Run(language), way.outcome);

  // Language 4, the hidden button, shows no outcome message at all.
  if (language == Language::kFourth) {
    EXPECT_TRUE(dialog.boxes.empty());
  } else {
    const MessageText& expected = language == Language::kEnglish ? way.message->english
                                  : language == Language::kDutch ? way.message->dutch
                                                                 : way.message->german;
    ASSERT_EQ(dialog.boxes.size(), 1u);
    EXPECT_EQ(dialog.boxes[0].text, ExpectedText(way, language, dialog));
    EXPECT_EQ(dialog.boxes[0].title, expected.title);
    EXPECT_EQ(dialog.boxes[0].style, way.message->style);
  }
  EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore) << "a file was left open";
  EXPECT_EQ(Mode(input), modeBefore);
  EXPECT_EQ(ReadFile(input), inputBefore);
}

std::string WayOutName(const ::testing::TestParamInfo<std::tuple<WayOut, Language>>& info) {
  static const char* const kLanguages[] = {"", "English", "Dutch", "German", "Hidden"};
  return std::string(std::get<0>(info.param).name) + "_" +
         kLanguages[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, WayOutTest,
                         ::testing::Combine(::testing::ValuesIn(kWaysOut),
                                            ::testing::Values(Language::kEnglish, Language::kDutch,
                                                              Language::kGerman,
                                                              Language::kFourth)),
                         WayOutName);

}  // namespace
}  // namespace runtest
