// The picture model on the bundled example, worked out by hand for a window
// of 400 x 300 pixels, and on built files for what the example lacks.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "byte_stream.h"
#include "conversion.h"
#include "fake_dialog.h"
#include "gdb_builder.h"
#include "messages.h"
#include "preview_model.h"
#include "test_fs.h"

namespace runtest {
namespace {

using preview::Pixel;
using preview::Role;
using preview::Shape;

// The example spans latitudes 51.4739 to 51.4827 and longitudes -0.0099 to
// 0.0030. Middle latitude 51.4783, cosine 0.62281: the plane is 0.00803
// wide and 0.0088 high, so the height decides: 268 pixels for 0.0088
// degrees, 30454.5 pixels a degree, 3.655 m a pixel. The widest round
// length within a quarter of the width is 0.2 km, 54.7 pixels.
constexpr int kWidth = 400;
constexpr int kHeight = 300;
constexpr Pixel kPier{78, 16};         // 51.4827, -0.0099: the top
constexpr Pixel kCafe{277, 205};       // 51.4765, 0.0006
constexpr Pixel kLoopStart{322, 193};  // 51.4769, 0.0030
constexpr Pixel kLoopSouth{237, 284};  // 51.4739, -0.0015: the bottom
constexpr int kScaleBarPixels = 55;

void ExpectNear(Pixel got, Pixel want, const char* what) {
  EXPECT_LE(std::abs(got.x - want.x), 1) << what << " x " << got.x;
  EXPECT_LE(std::abs(got.y - want.y), 1) << what << " y " << got.y;
}

std::vector<const Shape*> Of(const std::vector<Shape>& shapes, Role role) {
  std::vector<const Shape*> found;
  for (const Shape& shape : shapes) {
    if (shape.role == role) found.push_back(&shape);
  }
  return found;
}

preview::Picture ExamplePicture(int option, bool oneRoute = false) {
  preview::Request request;
  request.mode = ModeForOption(option);
  request.oneRoute = oneRoute;
  return preview::MakePicture(ReadFile(ExampleGdb()), request);
}

// The picture of what a run was asked to do.
preview::Request PreviewOf(const RunRequest& run,
                           std::optional<std::string> convertedInto = std::nullopt) {
  return {.inputPath = run.inputPath,
          .mode = run.mode,
          .viaCount = run.viaCount,
          .oneRoute = run.oneRoute,
          .language = run.language,
          .convertedInto = std::move(convertedInto)};
}

TEST(PreviewModel, ExampleInputAtHandComputedPixels) {
  const preview::Picture picture = ExamplePicture(1);
  ASSERT_TRUE(picture.input.gdb && picture.input.complete);
  EXPECT_EQ(picture.input.waypoints.size(), 5u);
  ASSERT_EQ(picture.input.routes.size(), 2u);
  ASSERT_EQ(picture.input.tracks.size(), 1u);
  EXPECT_EQ(picture.input.tracks[0].points.size(), 25u);  // the repeated point once
  const std::vector<Shape> shapes = preview::Layout(picture, kWidth, kHeight, Language::kEnglish);
  const auto grey = Of(shapes, Role::InputLine);
  ASSERT_EQ(grey.size(), 3u);
  ExpectNear(grey[0]->points.front(), kPier, "first route's start");
  ExpectNear(grey[2]->points.front(), kLoopStart, "loop's start");
  ExpectNear(grey[2]->points[18], kLoopSouth, "loop's south");
  EXPECT_EQ(Of(shapes, Role::Waypoint).size(), 5u);
  const auto bar = Of(shapes, Role::ScaleBar);
  ASSERT_EQ(bar.size(), 1u);
  EXPECT_EQ(bar[0]->points[2].x - bar[0]->points[1].x, kScaleBarPixels);
  std::vector<std::string> labels;
  for (const Shape* label : Of(shapes, Role::Label)) labels.push_back(label->text);
  EXPECT_EQ(labels, (std::vector<std::string>{"0.2 km", "N"}));
  EXPECT_TRUE(Of(shapes, Role::Status).empty());
  const auto dutch = preview::Layout(picture, kWidth, kHeight, Language::kDutch);
  EXPECT_EQ(Of(dutch, Role::Label)[0]->text, "0,2 km");
}

TEST(PreviewModel, WhatEachOptionMakesOfTheExample) {
  struct Case {
    int option;
    bool oneRoute;
    size_t lines;  // coloured
    size_t vias;   // dots, one per pixel
    Pixel firstStart;
    Pixel firstEnd;
  };
  const Case cases[] = {
      {1, false, 2, 0, kPier, kCafe},
      {2, false, 2, 0, kPier, kCafe},
      {3, false, 2, 5, kPier, kCafe},
      {4, false, 2, 5, kPier, kCafe},
      // The loop's 25 points, its first and last in one pixel.
      {5, false, 1, 24, kLoopStart, kLoopStart},
      {6, false, 1, 24, kLoopStart, kLoopStart},
      {5, true, 1, 24, kLoopStart, kLoopStart},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("option " + std::to_string(c.option) + (c.oneRoute ? " one route" : ""));
    const preview::Picture picture = ExamplePicture(c.option, c.oneRoute);
    const auto shapes = preview::Layout(picture, kWidth, kHeight, Language::kEnglish);
    const auto lines = Of(shapes, Role::OutputLine);
    ASSERT_EQ(lines.size(), c.lines);
    ExpectNear(lines[0]->points.front(), c.firstStart, "start");
    ExpectNear(lines[0]->points.back(), c.firstEnd, "end");
    EXPECT_EQ(Of(shapes, Role::Via).size(), c.vias);
    EXPECT_TRUE(Of(shapes, Role::Reclassified).empty());
  }
}

TEST(PreviewModel, OptionsThreeAndFourMarkTheViasThatChangeClass) {
  using namespace gdbtest;
  const std::string file = GdbFile(
      'l',
      {RouteRecord(Route("Trip")
                       .Entry(RouteEntry("A").Data(Waypoint().Class(10)).Link({{0, 0}, {900, 900}}))
                       .Entry(RouteEntry("B").Link({{900, 900}, {1800, 0}}))
                       .Entry(RouteEntry("C").Data(Waypoint().Class(12)))
                       .Rest(LastLinkRest('l')),
                   'l')});
  for (int option = 1; option <= 4; ++option) {
    preview::Request request;
    request.mode = ModeForOption(option);
    const preview::Picture picture = preview::MakePicture(file, request);
    // Option 3 makes A and C user vias; option 4 leaves C's class 12 as it is.
    const size_t want = option == 3 ? 2 : option == 4 ? 1 : 0;
    ASSERT_EQ(picture.reclassified.size(), want) << "option " << option;
    if (want == 0) continue;
    EXPECT_EQ(picture.reclassified[0], (preview::Place{0, 0}));
    if (want == 2) {
      EXPECT_EQ(picture.reclassified[1], (preview::Place{1800, 0}));  // the last link's end
    }
    EXPECT_EQ(Of(preview::Layout(picture, kWidth, kHeight, Language::kEnglish), Role::Reclassified)
                  .size(),
              want);
  }
}

TEST(PreviewModel, LongLinesAreThinnedToTheirPixels) {
  using namespace gdbtest;
  // Zigzags: every point in another pixel, then a line whose points share few.
  Track zigzag("Zigzag");
  Track dense("Dense");
  for (int i = 0; i < 20000; ++i) {
    zigzag.Point({(i % 2) * 100000, i * 100});
    dense.Point({i, i});
  }
  preview::Request request;
  request.mode = ModeForOption(1);
  const preview::Picture picture =
      preview::MakePicture(GdbFile('l', {TrackRecord(zigzag), TrackRecord(dense)}), request);
  const auto shapes = preview::Layout(picture, kWidth, kHeight, Language::kEnglish);
  const auto lines = Of(shapes, Role::InputLine);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_LE(lines[0]->points.size(), preview::kMostLinePoints);
  EXPECT_GT(lines[0]->points.size(), preview::kMostLinePoints / 2);
  EXPECT_EQ(lines[0]->points.back(), preview::Project(picture, kWidth, kHeight, {100000, 1999900}));
  EXPECT_LE(lines[1]->points.size(), 400u);  // at most one point per pixel along the diagonal
}

TEST(PreviewModel, WhatCannotBeShownIsSaid) {
  TempDir scratch;
  const std::string example = ReadFile(ExampleGdb());
  WriteFile(scratch / "cut.gdb", example.substr(0, example.size() - 60));
  WriteFile(scratch / "text.gdb", "not a GDB file");
  // kLargeInput bytes, sparse where the file system allows.
  WriteFile(scratch / "large.gdb", example);
  std::filesystem::resize_file(scratch / "large.gdb", preview::kLargeInput);
  struct Case {
    std::string path;
    preview::Note note;
    size_t waypoints;
  };
  const Case cases[] = {
      {"", preview::Note::NoInput, 0},
      {(scratch / "absent.gdb").string(), preview::Note::NotReadable, 0},
      {(scratch / "text.gdb").string(), preview::Note::NotGdb, 0},
      {(scratch / "large.gdb").string(), preview::Note::Large, 0},
      {(scratch / "cut.gdb").string(), preview::Note::None, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    preview::Request request;
    request.inputPath = c.path;
    const preview::Outcome outcome = preview::MakeOutcome(request);
    EXPECT_EQ(outcome.note, c.note);
    EXPECT_EQ(outcome.picture.input.waypoints.size(), c.waypoints);
  }
  preview::Request request;
  request.inputPath = (scratch / "cut.gdb").string();
  const auto shapes =
      preview::Layout(preview::MakeOutcome(request).picture, kWidth, kHeight, Language::kGerman);
  const auto status = Of(shapes, Role::Status);
  ASSERT_EQ(status.size(), 1u);
  EXPECT_EQ(status[0]->text, preview::NoteText(preview::Note::Damaged, Language::kGerman));
  EXPECT_EQ(Of(shapes, Role::InputLine).size(), 3u);  // the routes, and the track as far as it goes
}

// The notes come from the catalogue; the language without texts of its own
// reads them in English, and a missing via count says what the run says.
TEST(PreviewModel, NoteTexts) {
  const struct {
    preview::Note note;
    Language language;
    std::string text;
  } cases[] = {
      {preview::Note::None, Language::kGerman, ""},
      {preview::Note::NotGdb, Language::kEnglish, "Not a GDB file"},
      {preview::Note::NoInput, Language::kDutch, "Geen invoer bestand"},
      {preview::Note::Large, Language::kGerman,
       "Große Datei: die Vorschau folgt nach Konvertieren"},
      {preview::Note::NotReadable, Language::kFourth, "The input file cannot be read"},
      {preview::Note::ViaCountInvalid, Language::kGerman,
       TextFor(MessageId::kViaCountInvalid, Language::kGerman).text},
      {preview::Note::ViaCountInvalid, Language::kFourth,
       TextFor(MessageId::kViaCountInvalid, Language::kEnglish).text},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(preview::NoteText(c.note, c.language), c.text)
        << static_cast<int>(c.note) << " in language " << static_cast<int>(c.language);
  }
}

// After Convert the picture comes from the input and the written file: the
// same picture as a conversion into memory, and for a large input the only
// one there is.
TEST(PreviewModel, AfterConvertThePictureIsReadFromTheFiles) {
  TempDir scratch;
  const auto convert = [&scratch](const std::string& input, int option) {
    FakeDialog dialog;
    dialog.inputPath = input;
    dialog.outputPath = (scratch / "out.gdb").string();
    dialog.option = option;
    EXPECT_EQ(Convert(dialog), RunOutcome::Completed);
    return dialog.Request();
  };
  const std::string example = (scratch / "example.gdb").string();
  WriteFile(example, ReadFile(ExampleGdb()));
  for (int option = 1; option <= 6; ++option) {
    SCOPED_TRACE(option);
    const RunRequest run = convert(example, option);
    const preview::Outcome fromFiles = preview::MakeOutcome(PreviewOf(run, run.outputPath));
    EXPECT_EQ(fromFiles.note, preview::Note::None);
    const preview::Picture inMemory = preview::MakeOutcome(PreviewOf(run)).picture;
    EXPECT_EQ(fromFiles.picture.input, inMemory.input);
    EXPECT_EQ(fromFiles.picture.output, inMemory.output);
    EXPECT_EQ(fromFiles.picture.reclassified, inMemory.reclassified);
  }
  const std::string large = (scratch / "large.gdb").string();
  WriteFile(large, gdbtest::GdbFile(
                       'l', {gdbtest::TrackRecord(
                                 gdbtest::Track("Walk").Point({0, 0}).Point({1 << 20, 1 << 20})),
                             gdbtest::Record('X', gdbtest::Fill(preview::kLargeInput, 0x41))}));
  const RunRequest run = convert(large, 5);
  const preview::Outcome fromFiles = preview::MakeOutcome(PreviewOf(run, run.outputPath));
  EXPECT_EQ(fromFiles.note, preview::Note::None);
  EXPECT_EQ(fromFiles.picture.output.routes.size(), 1u);
  // What is drawn is the written file as it stands, not a second conversion.
  WriteFile(run.outputPath, ReadFile(ExampleGdb()));
  EXPECT_EQ(preview::MakeOutcome(PreviewOf(run, run.outputPath)).picture.output.routes.size(), 2u);
  EXPECT_EQ(preview::MakeOutcome(PreviewOf(run)).note, preview::Note::Large);
  // A run that did not complete wrote nothing to read: the large input is
  // converted in memory.
  const preview::Outcome unwritten = preview::MakeOutcome(PreviewOf(run, ""));
  EXPECT_EQ(unwritten.note, preview::Note::None);
  EXPECT_EQ(unwritten.picture.output.routes.size(), 1u);
}

TEST(PreviewModel, TrackCutInItsHeaderIsNotDrawn) {
  using namespace gdbtest;
  const std::string before = FileHeader('l') + WaypointRecord("Home", Waypoint(), 'l') +
                             TrackRecord(Track("Walk").Points({{0, 0}, {900, 900}, {1800, 0}}));
  // The cut track's header: its name "Cut" and NUL, 5 bytes, the count.
  const std::string cut = TrackBody(Track("Cut").Points({{5000, 5000}, {6000, 6000}}));
  const std::string after = TrackRecord(Track("After").Points({{0, 1800}, {900, 2700}}));
  struct Case {
    const char* name;
    std::string file;
    size_t tracks;  // drawn: Walk, and After when the file goes on
  };
  const Case cases[] = {
      {"file ends after the name", before + Record('T', cut).substr(0, 5 + 4), 1},
      {"file ends in the 5 bytes", before + Record('T', cut).substr(0, 5 + 6), 1},
      {"file ends in the count", before + Record('T', cut).substr(0, 5 + 11), 1},
      {"record ends in the count", before + CutRecord('T', cut, 11) + after + EndRecord(), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const preview::Picture picture = preview::MakePicture(c.file, preview::Request{});
    EXPECT_EQ(picture.input.waypoints.size(), 1u);
    ASSERT_EQ(picture.input.tracks.size(), c.tracks);
    EXPECT_EQ(picture.input.tracks[0].points.size(), 3u);
    EXPECT_EQ(picture.input.tracks.back().points.size(), c.tracks == 2 ? 2u : 3u);
    const auto shapes = preview::Layout(picture, kWidth, kHeight, Language::kDutch);
    EXPECT_EQ(Of(shapes, Role::InputLine).size(), c.tracks);
    const auto status = Of(shapes, Role::Status);
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0]->text, preview::NoteText(preview::Note::Damaged, Language::kDutch));
  }
}

TEST(PreviewModel, ViaCountsTheRunRefusesMakeNoOutput) {
  struct Case {
    int option;
    const char* via;
    bool output;
  };
  const Case cases[] = {
      {5, "5", false}, {5, "abc", false}, {5, "", false},   {6, "1001", false},
      {5, "25", true}, {5, "1000", true}, {1, "abc", true}, {4, "5", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("option " + std::to_string(c.option) + " via '" + c.via + "'");
    preview::Request request;
    request.inputPath = ExampleGdb().string();
    request.mode = ModeForOption(c.option);
    request.viaCount = ViaCountOf(c.via);
    request.language = Language::kGerman;
    const preview::Outcome outcome = preview::MakeOutcome(request);
    EXPECT_EQ(outcome.note, c.output ? preview::Note::None : preview::Note::ViaCountInvalid);
    EXPECT_EQ(outcome.picture.output.gdb, c.output);
    const auto shapes =
        preview::Layout(outcome.picture, kWidth, kHeight, Language::kGerman, outcome.note);
    EXPECT_EQ(Of(shapes, Role::InputLine).size(), 3u);
    EXPECT_EQ(Of(shapes, Role::OutputLine).empty(), !c.output);
    if (!c.output) {
      ASSERT_EQ(Of(shapes, Role::Status).size(), 1u);
      EXPECT_EQ(Of(shapes, Role::Status)[0]->text,
                TextFor(MessageId::kViaCountInvalid, Language::kGerman).text);
    }
  }
}

// A window's kept layout is made again for another size, another language
// or another picture, and only then.
TEST(PreviewModel, ShownPictureKeepsItsLayoutUntilAskedOtherwise) {
  preview::Request request;
  request.inputPath = ExampleGdb().string();
  preview::ShownPicture shown;
  shown.Set(preview::MakeOutcome(request));
  const auto labels = [&shown](int width, Language language) {
    std::vector<std::string> texts;
    for (const Shape* label : Of(shown.Shapes(width, kHeight, language), Role::Label)) {
      texts.push_back(label->text);
    }
    return texts;
  };
  EXPECT_EQ(labels(kWidth, Language::kEnglish), (std::vector<std::string>{"0.2 km", "N"}));
  EXPECT_EQ(labels(kWidth, Language::kDutch), (std::vector<std::string>{"0,2 km", "N"}));
  EXPECT_EQ(labels(2 * kWidth, Language::kDutch), (std::vector<std::string>{"0,5 km", "N"}));
  shown.Set(preview::MakeOutcome(preview::Request{}));
  const auto status = Of(shown.Shapes(2 * kWidth, kHeight, Language::kDutch), Role::Status);
  ASSERT_EQ(status.size(), 1u);
  EXPECT_EQ(status[0]->text, preview::NoteText(preview::Note::NoInput, Language::kDutch));
}

TEST(PreviewModel, ReadingStopsWhenTheObserverSaysSo) {
  struct StopAfterFirst final : RecordObserver {
    bool OnRecord(int, const ConversionState&) override { return false; }
  } stop;
  const std::string example = ReadFile(ExampleGdb());
  MemoryInputStream input(example);
  const preview::Geometry geometry = preview::ReadGeometry(input, &stop);
  EXPECT_TRUE(geometry.gdb);
  EXPECT_FALSE(geometry.complete);
  EXPECT_EQ(geometry.waypoints.size(), 1u);
}

TEST(PreviewWorker, KeepsOnlyTheNewestRequest) {
  std::mutex mutex;
  std::condition_variable ready;
  int readyCalls = 0;
  preview::Worker worker([&] {
    std::lock_guard<std::mutex> lock(mutex);
    ++readyCalls;
    ready.notify_all();
  });
  preview::Request request;
  request.inputPath = ExampleGdb().string();
  for (int option = 1; option <= 6; ++option) {
    request.mode = ModeForOption(option);
    worker.Ask(request);
  }
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      ready.wait(lock, [&] { return readyCalls > 0; });
      --readyCalls;
    }
    const std::optional<preview::Outcome> outcome = worker.Take();
    if (outcome && outcome->picture.mode == ModeForOption(6)) {
      EXPECT_EQ(outcome->picture.output.routes.size(), 3u);  // the example's two and the loop's
      break;
    }
  }
}

}  // namespace
}  // namespace runtest
