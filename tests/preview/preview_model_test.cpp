// The picture model on the bundled example, worked out by hand for a window
// of 400 x 300 pixels, and on built files for what the example lacks.
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
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
// wide and 0.0088 high, so the height decides: 238 pixels (300 less 46
// above, for two status rows, and 16 below) for 0.0088 degrees, 27045.5
// pixels a degree, 4.116 m a pixel; the middle of the map is at (200, 165).
// The widest round length within a quarter of the width is 0.2 km, 48.6
// pixels.
constexpr int kWidth = 400;
constexpr int kHeight = 300;
constexpr Pixel kPier{91, 46};         // 51.4827, -0.0099: the top
constexpr Pixel kCafe{268, 214};       // 51.4765, 0.0006
constexpr Pixel kLoopStart{309, 203};  // 51.4769, 0.0030
constexpr Pixel kLoopSouth{233, 284};  // 51.4739, -0.0015: the bottom
constexpr int kScaleBarPixels = 49;

void ExpectNear(Pixel got, Pixel want, const char* what) {
  EXPECT_LE(std::abs(got.x - want.x), 1) << what << " x " << got.x;
  EXPECT_LE(std::abs(got.y - want.y), 1) << what << " y " << got.y;
}

// The shapes of a role; of the map's roles, those of the map, laid out
// before the scale bar, not the legend's samples.
std::vector<const Shape*> Of(const std::vector<Shape>& shapes, Role role) {
  const bool onMap = role != Role::ScaleBar && role != Role::NorthArrow && role != Role::Label &&
                     role != Role::Status;
  std::vector<const Shape*> found;
  for (const Shape& shape : shapes) {
    if (onMap && shape.role == Role::ScaleBar) break;
    if (shape.role == role) found.push_back(&shape);
  }
  return found;
}

std::vector<std::string> TextsOf(const std::vector<Shape>& shapes, Role role) {
  std::vector<std::string> texts;
  for (const Shape* shape : Of(shapes, role)) texts.push_back(shape->text);
  return texts;
}

// Status rows wrapped between words, read as one line.
std::string Joined(const std::vector<std::string>& rows) {
  std::string line;
  for (const std::string& row : rows) line += (line.empty() ? "" : " ") + row;
  return line;
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
  EXPECT_EQ(TextsOf(shapes, Role::Label),
            (std::vector<std::string>{"0.2 km", "N", "Input", "Result"}));
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
    const char* status;  // what a Convert would make, the rows joined
  };
  const Case cases[] = {
      {1, false, 2, 0, kPier, kCafe, "2 routes would become 2 tracks (7 points)"},
      {2, false, 2, 0, kPier, kCafe, "2 routes would become 2 tracks (7 points)"},
      // The example has no auto-generated via points: nothing is drawn as changed.
      {3, false, 0, 0, {}, {}, "Nothing to convert: the file has no auto-generated via points"},
      {4, false, 0, 0, {}, {}, "Nothing to convert: the file has no auto-generated via points"},
      // The loop's 25 points, its first and last in one pixel.
      {5, false, 1, 24, kLoopStart, kLoopStart,
       "1 track would become 1 route with 25 new waypoints"},
      {6, false, 1, 24, kLoopStart, kLoopStart,
       "1 track would become 1 route with 25 new waypoints"},
      {5, true, 1, 24, kLoopStart, kLoopStart,
       "1 track would become 1 route of at most 250 via points; every track point lies within 0 m"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("option " + std::to_string(c.option) + (c.oneRoute ? " one route" : ""));
    const preview::Picture picture = ExamplePicture(c.option, c.oneRoute);
    const auto shapes = preview::Layout(picture, kWidth, kHeight, Language::kEnglish);
    EXPECT_EQ(Joined(TextsOf(shapes, Role::Status)), c.status);
    const auto lines = Of(shapes, Role::OutputLine);
    ASSERT_EQ(lines.size(), c.lines);
    EXPECT_EQ(Of(shapes, Role::Via).size(), c.vias);
    EXPECT_TRUE(Of(shapes, Role::Reclassified).empty());
    if (c.lines == 0) continue;
    ExpectNear(lines[0]->points.front(), c.firstStart, "start");
    ExpectNear(lines[0]->points.back(), c.firstEnd, "end");
  }
}

// A route whose entries A and C are auto-generated vias of classes 10 and 12.
std::string RouteOfAutoVias() {
  using namespace gdbtest;
  return GdbFile(
      'l',
      {RouteRecord(Route("Trip")
                       .Entry(RouteEntry("A").Data(Waypoint().Class(10)).Link({{0, 0}, {900, 900}}))
                       .Entry(RouteEntry("B").Link({{900, 900}, {1800, 0}}))
                       .Entry(RouteEntry("C").Data(Waypoint().Class(12)))
                       .Rest(LastLinkRest('l')),
                   'l')});
}

TEST(PreviewModel, OptionsThreeAndFourMarkTheViasThatChangeClass) {
  const std::string file = RouteOfAutoVias();
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
  // 50 times closer, the zigzag leaves the pane at every point: its lines
  // are cut into pieces that end just past the pane's edge.
  const auto close = preview::Layout(picture, kWidth, kHeight, Language::kEnglish,
                                     preview::Note::None, {.zoom = 50});
  const auto pieces = Of(close, Role::InputLine);
  EXPECT_GT(pieces.size(), 100u);
  for (const Shape* piece : pieces) {
    for (const Pixel& pixel : piece->points) {
      ASSERT_TRUE(pixel.x >= -8 && pixel.x <= kWidth + 8 && pixel.y >= -8 && pixel.y <= kHeight + 8)
          << pixel.x << ", " << pixel.y;
    }
  }
}

// What a Convert would make, told from the counts of the conversion into
// memory; nothing after a Convert, whose picture was read from the files.
TEST(PreviewModel, StatusSaysWhatAConvertWouldMake) {
  using enum Language;
  struct Case {
    int option;
    std::optional<ConversionCounts> counts;
    uint32_t oneRouteVias;
    Language language;
    const char* status;  // the rows joined
  };
  const ConversionCounts oneRoutes{
      .tracksToRoutes = 3, .routesMade = 3, .waypointsMade = 600, .farthestPointMetres = 18};
  const Case cases[] = {
      {1, ConversionCounts{.routesToTracks = 2, .trackPointsMade = 37}, 0, kEnglish,
       "2 routes would become 2 tracks (37 points)"},
      {2, ConversionCounts{.routesToTracks = 1, .trackPointsMade = 5}, 0, kDutch,
       "1 route zou worden omgezet in 1 track (5 punten)"},
      {1, ConversionCounts{.recordsUnchanged = 3}, 0, kGerman,
       "Nichts zu konvertieren: die Datei enthält keine Routen"},
      {5, ConversionCounts{.tracksSkipped = 31}, 0, kEnglish, "31 tracks would be skipped"},
      {5,
       ConversionCounts{
           .tracksToRoutes = 1, .routesMade = 1, .waypointsMade = 1, .tracksSkipped = 1},
       0, kDutch,
       "1 track zou worden omgezet in 1 route met 1 nieuw waypoint; 1 track zou worden "
       "overgeslagen"},
      {5, oneRoutes, 250, kEnglish,
       "3 tracks would become 3 routes of at most 250 via points; every track point lies within "
       "18 m"},
      {6, oneRoutes, 250, kGerman,
       "3 Tracks würden in 3 Routen mit höchstens 250 Zwischenpunkten umgewandelt; jeder "
       "Trackpunkt läge höchstens 18 m von seiner Route entfernt"},
      {4, ConversionCounts{.viasReclassified = 2, .recordsReclassified = 1}, 0, kGerman,
       "2 automatisch erzeugte Zwischenpunkte würden in versteckte Zwischenpunkte umgewandelt"},
      {3, ConversionCounts{.viasReclassified = 1, .recordsReclassified = 1}, 0, kFourth,
       "1 auto-generated via point would become a user waypoint via"},
      {1, std::nullopt, 0, kEnglish, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    preview::Picture picture;
    picture.mode = ModeForOption(c.option);
    picture.counts = c.counts;
    picture.oneRouteVias = c.oneRouteVias;
    const auto shapes = preview::Layout(picture, 350, 280, c.language);
    EXPECT_EQ(Joined(TextsOf(shapes, Role::Status)), c.status);
  }
}

// The legend names what the map draws, each entry a sample in its role and
// then its words; it and the status rows keep within the Windows pane.
TEST(PreviewModel, LegendNamesWhatTheMapDraws) {
  using Entries = std::vector<std::pair<Role, std::string>>;
  preview::Request reclassify;
  reclassify.mode = ModeForOption(3);
  struct Case {
    const char* name;
    preview::Picture picture;
    Language language;
    Entries legend;
  };
  const Case cases[] = {
      {"option 1",
       ExamplePicture(1),
       Language::kEnglish,
       {{Role::InputLine, "Input"}, {Role::OutputLine, "Result"}}},
      {"option 5",
       ExamplePicture(5),
       Language::kGerman,
       {{Role::InputLine, "Eingabe"},
        {Role::OutputLine, "Ergebnis"},
        {Role::Via, "Zwischenpunkte"}}},
      {"option 3",
       preview::MakePicture(RouteOfAutoVias(), reclassify),
       Language::kDutch,
       {{Role::InputLine, "Invoer"},
        {Role::OutputLine, "Resultaat"},
        {Role::Via, "Viapunten"},
        {Role::Reclassified, "Omgezette viapunten"}}},
  };
  constexpr int kPaneWidth = 350;
  constexpr int kPaneHeight = 280;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto shapes = preview::Layout(c.picture, kPaneWidth, kPaneHeight, c.language);
    const auto north = std::find_if(shapes.begin(), shapes.end(),
                                    [](const Shape& shape) { return shape.text == "N"; });
    ASSERT_NE(north, shapes.end());
    Entries legend;
    for (auto at = north + 1; at + 1 < shapes.end() && at->role != Role::Status; at += 2) {
      EXPECT_EQ((at + 1)->role, Role::Label);
      legend.emplace_back(at->role, (at + 1)->text);
    }
    EXPECT_EQ(legend, c.legend);
    // Texts taken at 6.5 pixels a character, as the layout takes them.
    for (auto at = north + 1; at < shapes.end(); ++at) {
      const auto characters = std::count_if(at->text.begin(), at->text.end(), [](char byte) {
        return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
      });
      for (const Pixel& pixel : at->points) {
        EXPECT_TRUE(pixel.x >= 0 && pixel.y >= 0 && pixel.x + 6.5 * characters <= kPaneWidth &&
                    pixel.y < kPaneHeight)
            << at->text << " at " << pixel.x << ", " << pixel.y;
      }
    }
  }
}

// Zoom keeps the place under the pointer where it is, a drag moves every
// place by its offset, and zooming back out or Fit shows the whole file;
// the scale bar follows. Another picture of the input keeps the view.
TEST(PreviewModel, ZoomAndPanMoveKnownPlaces) {
  preview::Request request;
  request.inputPath = ExampleGdb().string();
  preview::ShownPicture shown;
  shown.Set(preview::MakeOutcome(request));
  const preview::Path& firstRoute = shown.Current().picture.input.routes.at(0);
  const preview::Place pier = firstRoute.points.front();
  const preview::Place cafe = firstRoute.points.back();
  const auto towards = [](Pixel from, Pixel to, int times) {
    return Pixel{from.x + times * (to.x - from.x), from.y + times * (to.y - from.y)};
  };
  const Pixel drag{30, -20};
  const Pixel draggedCafe{kCafe.x + drag.x, kCafe.y + drag.y};
  const Pixel draggedPier{towards(kCafe, kPier, 2).x + drag.x, towards(kCafe, kPier, 2).y + drag.y};
  struct Step {
    const char* name;
    std::function<void()> act;
    Pixel pier;
    Pixel cafe;
    int barPixels;  // of 0.2 km
  };
  const Step steps[] = {
      {"whole", [] {}, kPier, kCafe, 49},
      {"twice as close at the cafe", [&] { shown.ZoomAt(kCafe, 2, kWidth, kHeight); },
       towards(kCafe, kPier, 2), kCafe, 97},
      {"dragged", [&] { shown.Pan(drag.x, drag.y, kWidth, kHeight); }, draggedPier, draggedCafe,
       97},
      {"half as close: whole again", [&] { shown.ZoomAt(draggedCafe, 0.5, kWidth, kHeight); },
       kPier, kCafe, 49},
      {"fitted", [&] { shown.Fit(); }, kPier, kCafe, 49},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.act();
    const auto at = [&](preview::Place place) {
      return preview::Project(shown.Current().picture, kWidth, kHeight, place, shown.View());
    };
    // Twice the constants' rounding when twice as close.
    EXPECT_NEAR(at(pier).x, step.pier.x, 2);
    EXPECT_NEAR(at(pier).y, step.pier.y, 2);
    EXPECT_NEAR(at(cafe).x, step.cafe.x, 2);
    EXPECT_NEAR(at(cafe).y, step.cafe.y, 2);
    const auto& shapes = shown.Shapes(kWidth, kHeight, Language::kEnglish);
    EXPECT_EQ(TextsOf(shapes, Role::Label).at(0), "0.2 km");
    const Shape& bar = *Of(shapes, Role::ScaleBar).at(0);
    EXPECT_EQ(bar.points[2].x - bar.points[1].x, step.barPixels);
  }
  shown.ZoomAt(kCafe, 2, kWidth, kHeight);
  const preview::Viewport close = shown.View();
  request.mode = ModeForOption(5);
  shown.Set(preview::MakeOutcome(request));
  EXPECT_EQ(shown.View(), close);
  shown.Set(preview::MakeOutcome(preview::Request{}));
  EXPECT_EQ(shown.View(), preview::Viewport{});
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
  std::vector<Case> cases = {
      {"", preview::Note::NoInput, 0},
      {(scratch / "absent.gdb").string(), preview::Note::NotReadable, 0},
      {(scratch / "text.gdb").string(), preview::Note::NotGdb, 0},
      {(scratch / "large.gdb").string(), preview::Note::Large, 0},
      {(scratch / "cut.gdb").string(), preview::Note::None, 5},
  };
#ifndef _WIN32
  // A FIFO nobody writes: never opened, as its open would wait for ever.
  ASSERT_EQ(mkfifo((scratch / "fifo.gdb").c_str(), 0600), 0);
  cases.push_back({(scratch / "fifo.gdb").string(), preview::Note::NotReadable, 0});
#endif
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
  // The note, then what a Convert would make of what could be read.
  EXPECT_EQ(Joined(TextsOf(shapes, Role::Status)),
            preview::NoteText(preview::Note::Damaged, Language::kGerman) +
                " 2 Routen würden in 2 Tracks umgewandelt (7 Punkte)");
  EXPECT_EQ(Of(shapes, Role::InputLine).size(), 3u);  // the routes, and the track as far as it goes
}

// Each input path accounts for one output path, however many are alike: a
// file of many equal tracks draws nothing as made, and in linear time.
TEST(PreviewModel, ManyEqualPathsAreMatchedOneToOne) {
  std::vector<std::string> records(64000, gdbtest::TrackRecord(gdbtest::Track("T").Point({1, 2})));
  const preview::Picture picture =
      preview::MakePicture(gdbtest::GdbFile('l', records), preview::Request{});
  ASSERT_EQ(picture.input.tracks.size(), 64000u);
  EXPECT_TRUE(
      Of(preview::Layout(picture, kWidth, kHeight, Language::kEnglish), Role::OutputLine).empty());
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
    EXPECT_EQ(Joined(TextsOf(shapes, Role::Status)),
              preview::NoteText(preview::Note::Damaged, Language::kDutch) +
                  " Niets te converteren: het bestand bevat geen routes");
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
    // Option 4 finds no via point of the example to change.
    EXPECT_EQ(Of(shapes, Role::OutputLine).empty(), !c.output || c.option == 4);
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
  EXPECT_EQ(labels(kWidth, Language::kEnglish),
            (std::vector<std::string>{"0.2 km", "N", "Input", "Result"}));
  EXPECT_EQ(labels(kWidth, Language::kDutch),
            (std::vector<std::string>{"0,2 km", "N", "Invoer", "Resultaat"}));
  EXPECT_EQ(labels(2 * kWidth, Language::kDutch),
            (std::vector<std::string>{"0,5 km", "N", "Invoer", "Resultaat"}));
  // While a newer picture is made, the status says so alone, until it comes.
  const auto statusTexts = [&shown] {
    std::vector<std::string> texts;
    for (const Shape* row : Of(shown.Shapes(2 * kWidth, kHeight, Language::kDutch), Role::Status)) {
      texts.push_back(row->text);
    }
    return texts;
  };
  shown.SetComing();
  EXPECT_EQ(statusTexts(), std::vector<std::string>{"Voorbeeld wordt bijgewerkt…"});
  shown.Set(preview::MakeOutcome(preview::Request{}));
  EXPECT_EQ(statusTexts(),
            std::vector<std::string>{preview::NoteText(preview::Note::NoInput, Language::kDutch)});
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
