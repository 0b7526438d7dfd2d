// Every way a run can end, in every language: the one message it shows, and
// that it leaves no file open and the input as it was.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <tuple>

#include "gdb_builder.h"
#include "messages.h"
#include "run_fixture.h"
#include "summary.h"

namespace runtest {
namespace {

// The message a way out shows: its text and title in the run's language, as
// the catalogue has them; a completed run adds the summary of what it did.
struct ExpectedMessage {
  MessageId id;
  MessageStyle style;
  std::optional<ConversionCounts> summary = std::nullopt;  // a completed run's counts
};

const ExpectedMessage kInputPathEmpty = {MessageId::kInputPathEmpty, MessageStyle::Exclamation};
const ExpectedMessage kInputOpenFailed = {MessageId::kInputOpenFailed, MessageStyle::Exclamation};
const ExpectedMessage kOutputPathEmpty = {MessageId::kOutputPathEmpty, MessageStyle::Exclamation};
const ExpectedMessage kOutputOpenFailed = {MessageId::kOutputOpenFailed, MessageStyle::Exclamation};
const ExpectedMessage kViaCountInvalid = {MessageId::kViaCountInvalid, MessageStyle::Exclamation};
const ExpectedMessage kNotGdbFormat = {MessageId::kNotGdbFormat, MessageStyle::Exclamation};
const ExpectedMessage kInputTruncated = {MessageId::kInputTruncated, MessageStyle::Exclamation};
const ExpectedMessage kInputTruncatedNoOutput = {MessageId::kInputTruncatedNoOutput,
                                                 MessageStyle::Exclamation};
const ExpectedMessage kInputReadFailed = {MessageId::kInputReadFailed, MessageStyle::Exclamation};
const ExpectedMessage kOutputWriteFailed = {MessageId::kOutputWriteFailed,
                                            MessageStyle::Exclamation};
const ExpectedMessage kStopped = {MessageId::kStopped, MessageStyle::Exclamation};
const ExpectedMessage kStoppedIncomplete = {MessageId::kStoppedIncomplete,
                                            MessageStyle::Exclamation};
// What the run did to the example, on the completion message's last line.
const ExpectedMessage kCompletedRoutesToTracks = {
    MessageId::kCompleted, MessageStyle::Plain,
    ConversionCounts{.routesToTracks = 2, .trackPointsMade = 7, .recordsUnchanged = 6}};
const ExpectedMessage kCompletedTracksToRoutes = {
    MessageId::kCompleted, MessageStyle::Plain,
    ConversionCounts{
        .tracksToRoutes = 1, .routesMade = 1, .waypointsMade = 25, .recordsUnchanged = 7}};

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
  // The line below the message that says why the file failed.
  std::optional<MessageId> reason = std::nullopt;
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

// A device, which the run writes as the conversion goes.
#ifdef _WIN32
constexpr char kNullDevice[] = "NUL";
#else
constexpr char kNullDevice[] = "/dev/null";
#endif

// An input of a few of the run's blocks: one track of 100000 points.
void WriteLongTrack(const fs::path& path) {
  gdbtest::Track track("Long");
  for (int32_t i = 0; i < 100000; ++i) track.Point({i, -i});
  WriteFile(path, gdbtest::GdbFile('m', {gdbtest::TrackRecord(track)}));
}

// Stops a run at its second block of input, after its header.
class StopAtSecondBlock final : public RunProgress {
 public:
  bool OnInputRead(uint64_t) override { return ++blocks_ < 2; }
  void OnInputSize(uint64_t) override { blocks_ = 0; }

 private:
  int blocks_ = 0;
};
StopAtSecondBlock g_stopper;

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
     RunOutcome::InputOpenFailed, &kInputOpenFailed, Named::kInput, MessageId::kFileNotFound},
    {"InputFolderMissing",
     [](WayOutTest& t) {
       t.Dialog().inputPath = (t.Dir() / "no-such" / "in.gdb").string();
       return true;
     },
     RunOutcome::InputOpenFailed, &kInputOpenFailed, Named::kInput, MessageId::kFolderNotFound},
    {"InputIsFolder",
     [](WayOutTest& t) {
       t.Dialog().inputPath = t.Dir().Path().string();
       return true;
     },
     RunOutcome::InputOpenFailed, &kInputOpenFailed, Named::kInput, MessageId::kIsFolder},
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
     RunOutcome::InputOpenFailed, &kInputOpenFailed, Named::kInput, MessageId::kPermissionDenied},
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
     RunOutcome::OutputOpenFailed, &kOutputOpenFailed, Named::kOutput, MessageId::kIsInputFile},
    {"OutputReadOnly",
     [](WayOutTest& t) {
       WriteFile(t.Output(), "keep");
       SetMode(t.Output(), 0444);
       return true;
     },
     RunOutcome::OutputOpenFailed, &kOutputOpenFailed, Named::kOutput, MessageId::kIsReadOnly},
    {"OutputIsFolder",
     [](WayOutTest& t) {
       t.Dialog().outputPath = t.Dir().Path().string();
       return true;
     },
     RunOutcome::OutputOpenFailed, &kOutputOpenFailed, Named::kOutput, MessageId::kIsFolder},
    {"OutputFolderMissing",
     [](WayOutTest& t) {
       t.Dialog().outputPath = (t.Dir() / "no-such" / "out.gdb").string();
       return true;
     },
     RunOutcome::OutputOpenFailed, &kOutputOpenFailed, Named::kOutput, MessageId::kFolderNotFound},
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
     RunOutcome::OutputOpenFailed, &kOutputOpenFailed, Named::kOutput,
     MessageId::kPermissionDenied},
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
       t.Dialog().outputPath = kNullDevice;
       return true;
     },
     RunOutcome::InputTruncated, &kInputTruncated},
    {"InputReadFails",
     [](WayOutTest& t) {
       // Its first page is never mapped: reading it fails.
       t.Dialog().inputPath = "/proc/self/mem";
       return fs::exists("/proc/self/mem");
     },
     RunOutcome::InputReadFailed, &kInputReadFailed, Named::kInput, MessageId::kSystemRefused},
    {"OutputDeviceFull",
     [](WayOutTest& t) {
       if (!fs::exists("/dev/full")) return false;
       t.Dialog().outputPath = "/dev/full";
       return true;
     },
     RunOutcome::OutputWriteFailed, &kOutputWriteFailed, Named::kOutput, MessageId::kDiskFull},
    {"Stopped",
     [](WayOutTest& t) {
       WriteLongTrack(t.Input());
       t.Dialog().progress = &g_stopper;
       return true;
     },
     RunOutcome::Stopped, &kStopped},
    {"StoppedOutputWrittenInPlace",
     [](WayOutTest& t) {
       WriteLongTrack(t.Input());
       t.Dialog().progress = &g_stopper;
       t.Dialog().outputPath = kNullDevice;
       return true;
     },
     RunOutcome::Stopped, &kStoppedIncomplete},
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

// The text with its "%s" replaced by the path.
std::string Naming(const char* text, const std::string& path) {
  std::string named = text;
  const size_t at = named.find("%s");
  return at == std::string::npos ? named : named.replace(at, 2, path);
}

// The path a way's reason line names.
const std::string& NamedPath(const WayOut& way, const FakeDialog& dialog) {
  return way.named == Named::kInput ? dialog.inputPath : dialog.outputPath;
}

// The message's text, and below it the path and the reason when the way
// names a file, or the summary when the run completed.
std::string ExpectedText(const WayOut& way, Language language, const FakeDialog& dialog) {
  std::string text = TextFor(way.message->id, language).text;
  if (way.reason)
    text += "\n" + Naming(TextFor(*way.reason, language).text, NamedPath(way, dialog));
  if (way.message->summary) {
    text += "\n" + SummaryFor(*way.message->summary, ModeForOption(dialog.option), language).text;
  }
  return text;
}

// A few messages in full, as the user reads them, where the golden cases of
// the command line do not reach them: "%s" is the named file's path.
struct SpotCheck {
  const char* way;
  Language language;
  const char* text;
  const char* title;
};
const SpotCheck kSpotChecks[] = {
    {"BothPathsEmpty", Language::kGerman, "Keine Eingabe-Datei angegeben", "Datei Fehler"},
    {"OutputPathEmpty", Language::kDutch, "Geen uitvoer bestand gespecificeerd", "Bestandsfout"},
    {"NotGdb", Language::kGerman, "Eingabe-Datei ist nicht im GDB Format", "Datei Fehler"},
    {"InputFolderMissing", Language::kDutch,
     "Kan het invoer bestand niet openen\n%s: de map bestaat niet", "Bestandsfout"},
    {"InputIsFolder", Language::kGerman, "Kann Eingabe-Datei nicht öffnen\n%s: ist ein Ordner",
     "Datei Fehler"},
    {"OutputIsFolder", Language::kDutch,
     "Kan het uitvoer bestand niet openen\nZelfde bestand als invoer of Read-Only?\n%s: is een map",
     "Bestandsfout"},
    {"InputReadFails", Language::kGerman,
     "Fehler beim Lesen der Eingabe-Datei - es wurde keine Ausgabe geschrieben\n%s: das System hat "
     "es verweigert",
     "Datei Fehler"},
    {"Stopped", Language::kGerman, "Konvertierung abgebrochen - es wurde keine Ausgabe geschrieben",
     "Info"},
    {"StoppedOutputWrittenInPlace", Language::kDutch,
     "Conversie gestopt - de uitvoer is onvolledig", "Info"},
};

const SpotCheck* SpotCheckOf(const WayOut& way, Language language) {
  for (const SpotCheck& spot : kSpotChecks) {
    if (spot.way == std::string_view(way.name) && spot.language == language) return &spot;
  }
  return nullptr;
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
    ASSERT_EQ(dialog.boxes.size(), 1u);
    EXPECT_EQ(dialog.boxes[0].text, ExpectedText(way, language, dialog));
    EXPECT_EQ(dialog.boxes[0].title, TextFor(way.message->id, language).title);
    EXPECT_EQ(dialog.boxes[0].style, way.message->style);
    if (const SpotCheck* spot = SpotCheckOf(way, language)) {
      EXPECT_EQ(dialog.boxes[0].text, Naming(spot->text, NamedPath(way, dialog)));
      EXPECT_EQ(dialog.boxes[0].title, spot->title);
    }
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
