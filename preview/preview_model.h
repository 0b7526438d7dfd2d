// The picture of a GDB file and of what a mode makes of it, without a
// toolkit. The input is read, and converted into memory, by the engine's own
// walks (ReadShapes, ConvertGdb); the places are projected onto a plane
// (equirectangular, the longitude scaled by the cosine of the middle
// latitude) and fitted to a window's rectangle; the windows draw the list of
// shapes that comes out. Every function here works on its own data and may
// run on any thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "conversion_run.h"
#include "conversion_state.h"
#include "gdb_types.h"

class InputStream;
class RecordObserver;

namespace preview {

// What a picture shows: the input and what a mode makes of it.
struct Request {
  std::string inputPath;  // UTF-8
  ConversionMode mode = ConversionMode::kRoutesToTracksAllPoints;
  std::optional<uint32_t> viaCount = kDefaultViaCount;  // as RunRequest's
  bool oneRoute = false;
  Language language = Language::kEnglish;
  // After Convert: the file the run wrote, read back with the input, whatever
  // their size; empty when the run did not complete. Nothing before a Convert:
  // the picture is then converted in memory, up to kLargeInput.
  std::optional<std::string> convertedInto;
};

struct Place {
  int32_t latitude = 0;  // semicircles, as the file has them
  int32_t longitude = 0;
  bool operator==(const Place&) const = default;
};

// A route (its link points and its entries) or a track (its points, no vias).
struct Path {
  std::vector<Place> points;  // without consecutive repeats
  std::vector<Place> vias;
  std::vector<int> viaClasses;  // class byte of each via; -1 where it was not read
  bool operator==(const Path&) const = default;
};

// What a file holds, in file order.
struct Geometry {
  std::vector<Place> waypoints;
  std::vector<int> waypointClasses;
  std::vector<Path> routes;
  std::vector<Path> tracks;
  bool gdb = false;       // the header was accepted
  bool complete = false;  // read to its end record, no record damaged
  bool operator==(const Geometry&) const = default;
};

Geometry ReadGeometry(const std::string& bytes);
// stop, when given, can end the reading after any record.
Geometry ReadGeometry(InputStream& input, RecordObserver* stop = nullptr);

// The input, what the request's mode makes of it, and the via points that a
// reclassifying mode gives another class.
struct Picture {
  Geometry input;
  Geometry output;
  ConversionMode mode = ConversionMode::kRoutesToTracksAllPoints;
  std::vector<Place> reclassified;
  // What the conversion into memory did, told as what a Convert would do;
  // none when the picture was read from the files a run wrote.
  std::optional<ConversionCounts> counts;
  uint32_t oneRouteVias = 0;  // the via maximum of one route per track, else 0
};

Picture MakePicture(const std::string& inputBytes, const Request& request);

enum class Role {
  InputLine,     // a route or track of the input, grey beneath
  OutputLine,    // a route or track the mode makes
  Via,           // a via point of an output route (a dot)
  Waypoint,      // a waypoint of the input (a small dot)
  Reclassified,  // a via point whose class the mode changes (a ring)
  ScaleBar,      // the bar and its end ticks
  NorthArrow,    // the arrow's shaft and head
  Label,         // the scale bar's length, the "N" and the legend's words, text at
                 // points[0] (its baseline's left end)
  Status,        // a row of text at the top left
};

struct Pixel {
  int x = 0;
  int y = 0;
  bool operator==(const Pixel&) const = default;
};

struct Shape {
  Role role = Role::InputLine;
  std::vector<Pixel> points;
  std::string text;  // Label and Status, UTF-8
};

// Colour of a role as 0xRRGGBB; both windows draw with these.
uint32_t ColourOf(Role role);

// At most this many points per drawn line.
inline constexpr size_t kMostLinePoints = 4000;
// Inputs of this size or more are drawn only on request, after Convert.
inline constexpr uint64_t kLargeInput = 50ull * 1024 * 1024;

// Why there is no picture, or why it is not whole. ViaCountInvalid: a mode
// that makes routes of tracks without a via count; the input is shown alone.
// Updating: not an outcome's; a newer picture is being made, and the old one
// is shown with this note alone in place of its status.
// NoMemory: the picture would not fit in memory.
enum class Note {
  None,
  NoInput,
  NotReadable,
  NotGdb,
  Damaged,
  Large,
  ViaCountInvalid,
  Updating,
  NoMemory
};
std::string NoteText(Note note, Language language);

// Which part of the picture a pane shows: by default the whole file, fitted
// below the status rows (the fit). Kept in degrees, so that another size of
// the pane or another picture of the same input shows the same place.
struct Viewport {
  double zoom = 1;       // times the fit's scale; from 1 up to a pixel of 25 cm
  bool centred = false;  // false: the file's middle in the middle of the map
  double latitude = 0;   // else the place there, in degrees,
  double longitude = 0;  // kept within the file's bounds
  bool operator==(const Viewport&) const = default;
};

// The shapes of a picture in width x height pixels, as viewport shows it, in
// drawing order: the map (the grey lines first), then the scale bar and its
// Label, the north arrow and its "N", the legend (each entry a sample in its
// role followed by its Label; in the corner where it covers the least of
// the map), then the status rows: note's text, and what a Convert would
// make when the picture has counts, each wrapped to the pane's width. Lines
// are clipped to the pane and cut where they leave it and come back; dots
// outside it are left out.
std::vector<Shape> Layout(const Picture& picture, int width, int height, Language language,
                          Note note = Note::None, const Viewport& viewport = {});

// Where a place lands in that layout (the tests find known points with it).
Pixel Project(const Picture& picture, int width, int height, Place place,
              const Viewport& viewport = {});

// One input file's picture, from its path. Before a Convert the input is read
// (up to kLargeInput) and converted; after one, the picture is read from the
// input and the file the run wrote, streamed, whatever their size, or, when
// the run did not complete, converted from the input of any size.
struct Outcome {
  Picture picture;
  Note note = Note::None;
};
Outcome MakeOutcome(const Request& request);

// The picture a window shows, its viewport and its layout, kept for the
// size, language and viewport it was last laid out for: a window repainted
// as it was (uncovered, or a box closed over it) does not lay the whole file
// out again. The window forwards the wheel and its keys to ZoomAt, a drag to
// Pan and a double click to Fit, in the pixels it lays the shapes out in and
// for the same size, and repaints.
class ShownPicture {
 public:
  // A picture of the same input (read the same) keeps the viewport, as when
  // the option changes or after Convert; another input is shown whole.
  void Set(Outcome outcome);
  // A newer picture is being made: until Set, the status says so.
  void SetComing();
  const Outcome& Current() const { return outcome_; }
  const Viewport& View() const { return viewport_; }
  const std::vector<Shape>& Shapes(int width, int height, Language language);

  // Scales by factor (above 1: closer) around at, whose place stays under
  // it; back at the fit's scale the whole file is shown again.
  void ZoomAt(Pixel at, double factor, int width, int height);
  // Moves the picture by dx, dy pixels, as a drag does.
  void Pan(int dx, int dy, int width, int height);
  void Fit() { viewport_ = {}; }

 private:
  Outcome outcome_;
  Viewport viewport_;
  bool coming_ = false;
  std::vector<Shape> shapes_;
  std::optional<std::tuple<int, int, Language, Viewport>> laidOutFor_;
};

// Computes pictures on a thread of its own, one request at a time: a newer
// request replaces one not yet started, and a result is kept only when no
// newer request came in meanwhile. ready is called on the worker thread
// after each kept result; the window then takes it on its own thread.
class Worker {
 public:
  explicit Worker(std::function<void()> ready);
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // Wants the picture of request, in place of one asked for and not yet started.
  void Ask(const Request& request);
  // The latest kept result, once; nothing when there is none new.
  std::optional<Outcome> Take();

 private:
  void Run();

  std::function<void()> ready_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<Request> pending_;
  std::optional<Outcome> result_;
  uint64_t requested_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace preview
