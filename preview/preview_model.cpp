#include "preview_model.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <set>
#include <unordered_map>
#include <utility>

#include "byte_stream.h"
#include "catalogue.h"
#include "conversion.h"
#include "conversion_state.h"
#include "file_io.h"
#include "file_streams.h"
#include "messages.h"
#include "shape_reader.h"

namespace preview {
namespace {

double Degrees(int32_t semicircles) {
  return semicircles * (180.0 / 2147483648.0);
}

void AddPoint(std::vector<Place>& points, Place place) {
  if (points.empty() || !(points.back() == place)) points.push_back(place);
}

// Collects what the reader meets. A route entry without a waypoint record of
// its name before it takes its position from its link: the link's first
// point, or for the last entry the last point of the link before it.
class Collector final : public ShapeSink {
 public:
  explicit Collector(Geometry& geometry) : geometry_(geometry) {}
  ~Collector() { EndPath(); }

  void OnWaypoint(int32_t latitude, int32_t longitude, int classByte) override {
    geometry_.waypoints.push_back({latitude, longitude});
    geometry_.waypointClasses.push_back(classByte);
  }
  void OnRouteStart() override {
    EndPath();
    geometry_.routes.emplace_back();
    path_ = &geometry_.routes.back();
  }
  void OnTrackStart() override {
    EndPath();
    geometry_.tracks.emplace_back();
    path_ = &geometry_.tracks.back();
  }
  void OnRouteVia(int classByte, bool found, int32_t latitude, int32_t longitude) override {
    if (path_ == nullptr) return;
    path_->vias.push_back({latitude, longitude});
    path_->viaClasses.push_back(classByte);
    unplaced_ = found ? -1 : static_cast<int64_t>(path_->vias.size()) - 1;
  }
  void OnRoutePoint(int32_t latitude, int32_t longitude, bool firstOfLink, bool) override {
    if (path_ == nullptr) return;
    if (firstOfLink && unplaced_ >= 0) {
      path_->vias[static_cast<size_t>(unplaced_)] = {latitude, longitude};
      unplaced_ = -1;
    }
    AddPoint(path_->points, {latitude, longitude});
  }
  void OnTrackPoint(int32_t latitude, int32_t longitude) override {
    if (path_ != nullptr) AddPoint(path_->points, {latitude, longitude});
  }

 private:
  void EndPath() {
    if (path_ != nullptr && unplaced_ >= 0 && !path_->points.empty()) {
      path_->vias[static_cast<size_t>(unplaced_)] = path_->points.back();
    }
    if (path_ != nullptr && path_->points.empty() && !path_->vias.empty()) {
      path_->points = path_->vias;
    }
    path_ = nullptr;
    unplaced_ = -1;
  }

  Geometry& geometry_;
  Path* path_ = nullptr;
  int64_t unplaced_ = -1;
};

// Stops a conversion whose picture nobody wants any more.
class StopWhen final : public RecordObserver {
 public:
  explicit StopWhen(const std::function<bool()>& stale) : stale_(stale) {}
  bool OnRecord(int, const ConversionState&) override { return !(stale_ && stale_()); }

 private:
  const std::function<bool()>& stale_;
};

// A mode that makes routes of tracks takes the via count as a run does, and
// makes no output without one.
bool LacksViaCount(const Request& request) {
  return IsTrackToRoute(request.mode) && !request.viaCount;
}

// The waypoints and route vias whose class byte the mode changed.
void MarkReclassified(Picture& picture) {
  if (!IsReclassifying(picture.mode)) return;
  const Geometry& in = picture.input;
  const Geometry& out = picture.output;
  for (size_t i = 0; i < in.waypoints.size() && i < out.waypoints.size(); ++i) {
    if (in.waypointClasses[i] != out.waypointClasses[i]) {
      picture.reclassified.push_back(out.waypoints[i]);
    }
  }
  for (size_t r = 0; r < in.routes.size() && r < out.routes.size(); ++r) {
    const Path& before = in.routes[r];
    const Path& after = out.routes[r];
    for (size_t v = 0; v < before.vias.size() && v < after.vias.size(); ++v) {
      if (before.viaClasses[v] != after.viaClasses[v]) {
        picture.reclassified.push_back(after.vias[v]);
      }
    }
  }
}

Picture MakePictureUnless(const std::string& inputBytes, const Request& request,
                          const std::function<bool()>& stale) {
  Picture picture;
  picture.mode = request.mode;
  picture.input = ReadGeometry(inputBytes);
  if (!picture.input.gdb || LacksViaCount(request) || (stale && stale())) return picture;
  ConversionSettings settings;
  settings.language = request.language;
  if (IsTrackToRoute(request.mode)) {
    settings.maxViasPerRoute = *request.viaCount;
    settings.oneRoute = request.oneRoute;
  }
  StringOutputStream output;
  {
    ConversionStatePtr state = NewConversionState();
    MemoryInputStream input(inputBytes);
    StopWhen observer(stale);
    ConvertGdb(*state, settings, input, output, request.mode, &observer);
  }
  picture.output = ReadGeometry(output.Bytes());
  MarkReclassified(picture);
  return picture;
}

size_t HashOf(const Path& path) {
  uint64_t hash = 1469598103934665603ull;  // FNV-1a over the coordinates
  const auto mix = [&hash](const std::vector<Place>& places) {
    for (const Place& place : places) {
      for (const int32_t value : {place.latitude, place.longitude}) {
        hash = (hash ^ static_cast<uint32_t>(value)) * 1099511628211ull;
      }
    }
    hash = (hash ^ places.size()) * 1099511628211ull;
  };
  mix(path.points);
  mix(path.vias);
  return static_cast<size_t>(hash);
}

// The paths a mode makes: the tracks of the modes that make tracks of routes,
// the routes of the others, less those the input already had as they are
// (each input path accounts for one output path). By hash, so that a file of
// many paths costs no more than reading it.
std::vector<const Path*> MadePaths(const Picture& picture) {
  const bool tracks = IsRouteToTrack(picture.mode);
  const std::vector<Path>& before = tracks ? picture.input.tracks : picture.input.routes;
  const std::vector<Path>& after = tracks ? picture.output.tracks : picture.output.routes;
  std::vector<const Path*> made;
  if (IsReclassifying(picture.mode)) {
    for (const Path& path : after) made.push_back(&path);
    return made;
  }
  std::unordered_multimap<size_t, const Path*> unmatched;
  for (const Path& path : before) unmatched.emplace(HashOf(path), &path);
  for (const Path& path : after) {
    auto [first, last] = unmatched.equal_range(HashOf(path));
    while (first != last && !(*first->second == path)) ++first;
    if (first != last) {
      unmatched.erase(first);
    } else {
      made.push_back(&path);
    }
  }
  return made;
}

// The plane and its fit to the window.
struct Frame {
  bool empty = true;
  double cosine = 1;
  double centreX = 0;
  double centreY = 0;
  double scale = 1;  // pixels per degree of arc
  int width = 0;
  int height = 0;

  Pixel Map(Place place) const {
    const double x = Degrees(place.longitude) * cosine;
    const double y = Degrees(place.latitude);
    return {static_cast<int>(std::lround(width / 2.0 + (x - centreX) * scale)),
            static_cast<int>(std::lround(height / 2.0 - (y - centreY) * scale))};
  }
};

constexpr int kMargin = 16;

template <class Visit>
void EachPlace(const Geometry& geometry, Visit&& visit) {
  for (const Place& place : geometry.waypoints) visit(place);
  for (const std::vector<Path>* paths : {&geometry.routes, &geometry.tracks}) {
    for (const Path& path : *paths) {
      for (const Place& place : path.points) visit(place);
      for (const Place& place : path.vias) visit(place);
    }
  }
}

Frame FrameOf(const Picture& picture, int width, int height) {
  Frame frame;
  frame.width = width;
  frame.height = height;
  int32_t minLat = std::numeric_limits<int32_t>::max();
  int32_t maxLat = std::numeric_limits<int32_t>::min();
  int32_t minLon = minLat;
  int32_t maxLon = maxLat;
  auto widen = [&](Place place) {
    minLat = std::min(minLat, place.latitude);
    maxLat = std::max(maxLat, place.latitude);
    minLon = std::min(minLon, place.longitude);
    maxLon = std::max(maxLon, place.longitude);
  };
  EachPlace(picture.input, widen);
  EachPlace(picture.output, widen);
  if (minLat > maxLat) return frame;
  frame.empty = false;
  const double middle = (Degrees(minLat) + Degrees(maxLat)) / 2;
  frame.cosine = std::max(std::cos(middle * std::numbers::pi / 180), 0.01);
  const double left = Degrees(minLon) * frame.cosine;
  const double right = Degrees(maxLon) * frame.cosine;
  frame.centreX = (left + right) / 2;
  frame.centreY = middle;
  // A lone point, or a line along one axis, is shown at 100 m across.
  constexpr double kLeastSpan = 0.0009;
  const double spanX = std::max(right - left, kLeastSpan);
  const double spanY = std::max(Degrees(maxLat) - Degrees(minLat), kLeastSpan);
  const double roomX = std::max(width - 2 * kMargin, 1);
  const double roomY = std::max(height - 2 * kMargin, 1);
  frame.scale = std::min(roomX / spanX, roomY / spanY);
  return frame;
}

// A line's pixels: repeats of a pixel dropped, then at most kMostLinePoints
// kept, evenly, with the last.
std::vector<Pixel> Thinned(const Frame& frame, const std::vector<Place>& places) {
  std::vector<Pixel> pixels;
  for (const Place& place : places) {
    const Pixel pixel = frame.Map(place);
    if (pixels.empty() || !(pixels.back() == pixel)) pixels.push_back(pixel);
  }
  if (pixels.size() <= kMostLinePoints) return pixels;
  const size_t stride = (pixels.size() + kMostLinePoints - 2) / (kMostLinePoints - 1);
  std::vector<Pixel> kept;
  for (size_t i = 0; i < pixels.size(); i += stride) kept.push_back(pixels[i]);
  if (!(kept.back() == pixels.back())) kept.push_back(pixels.back());
  return kept;
}

// Dots land once per pixel.
void AddDots(std::vector<Shape>& shapes, std::set<std::pair<int, int>>& taken, Role role,
             const Frame& frame, const std::vector<Place>& places) {
  for (const Place& place : places) {
    const Pixel pixel = frame.Map(place);
    if (taken.insert({pixel.x, pixel.y}).second) shapes.push_back({role, {pixel}, {}});
  }
}

std::string Kilometres(double km, Language language) {
  char text[32];
  if (km >= 1) {
    std::snprintf(text, sizeof text, "%.0f km", km);
  } else {
    std::snprintf(text, sizeof text, "%.2g km", km);
    if (language == Language::kDutch || language == Language::kGerman) {
      for (char* c = text; *c != '\0'; ++c) {
        if (*c == '.') *c = ',';
      }
    }
  }
  return text;
}

constexpr double kMetresPerDegree = 111319.49;

void AddScaleBar(std::vector<Shape>& shapes, const Frame& frame, Language language) {
  const double metresPerPixel = kMetresPerDegree / frame.scale;
  const double most = std::max(frame.width / 4.0, 20.0);
  double km = 0.01;
  for (double decade = 0.01; decade <= 100000; decade *= 10) {
    for (double step : {1.0, 2.0, 5.0}) {
      if (decade * step * 1000 / metresPerPixel <= most) km = decade * step;
    }
  }
  const int length = static_cast<int>(std::lround(km * 1000 / metresPerPixel));
  const int x = 12;
  const int y = frame.height - 12;
  shapes.push_back(
      {Role::ScaleBar, {{x, y - 5}, {x, y}, {x + length, y}, {x + length, y - 5}}, {}});
  shapes.push_back({Role::Label, {{x + 4, y - 6}}, Kilometres(km, language)});
}

void AddNorthArrow(std::vector<Shape>& shapes, const Frame& frame) {
  const int x = frame.width - 18;
  shapes.push_back({Role::NorthArrow, {{x, 40}, {x, 12}}, {}});
  shapes.push_back({Role::NorthArrow, {{x - 5, 22}, {x, 12}, {x + 5, 22}}, {}});
  shapes.push_back({Role::Label, {{x - 4, 54}}, "N"});
}

}  // namespace

Geometry ReadGeometry(const std::string& bytes) {
  MemoryInputStream input(bytes);
  return ReadGeometry(input);
}

Geometry ReadGeometry(InputStream& input, RecordObserver* stop) {
  Geometry geometry;
  ConversionStatePtr state = NewConversionState();
  ShapeReadResult result;
  {
    Collector collector(geometry);
    result = ReadShapes(*state, input, collector, stop);
  }
  geometry.gdb = result.headerAccepted;
  geometry.complete = result.reachedEnd && result.recordsDamaged == 0;
  return geometry;
}

Picture MakePicture(const std::string& inputBytes, const Request& request) {
  return MakePictureUnless(inputBytes, request, {});
}

uint32_t ColourOf(Role role) {
  switch (role) {
    case Role::InputLine:
      return 0xA8A8A8;
    case Role::OutputLine:
      return 0xD03010;
    case Role::Via:
      return 0x1040C0;
    case Role::Waypoint:
      return 0x707070;
    case Role::Reclassified:
      return 0x10A030;
    default:
      return 0x000000;
  }
}

namespace {

TextKey NoteKey(Note note) {
  switch (note) {
    case Note::NoInput:
      return T_("preview NoInput", "No input file");
    case Note::NotReadable:
      return T_("preview NotReadable", "The input file cannot be read");
    case Note::NotGdb:
      return T_("preview NotGdb", "Not a GDB file");
    case Note::Damaged:
      return T_("preview Damaged", "Damaged file: showing what could be read");
    case Note::Large:
      return T_("preview Large", "Large file: the preview follows Convert");
    case Note::None:
    case Note::ViaCountInvalid:  // the run's own message
      break;
  }
  return {nullptr, nullptr};
}

}  // namespace

// A language without texts of its own is shown the English ones.
std::string NoteText(Note note, Language language) {
  if (note == Note::ViaCountInvalid) {
    const char* text = TextFor(MessageId::kViaCountInvalid, language).text;
    return text != nullptr ? text : TextFor(MessageId::kViaCountInvalid, Language::kEnglish).text;
  }
  const TextKey key = NoteKey(note);
  if (key.english == nullptr) return "";
  const char* text = Translate(key, language);
  return text != nullptr ? text : key.english;
}

std::vector<Shape> Layout(const Picture& picture, int width, int height, Language language,
                          Note note) {
  std::vector<Shape> shapes;
  const Frame frame = FrameOf(picture, width, height);
  if (!frame.empty) {
    for (const std::vector<Path>* paths : {&picture.input.routes, &picture.input.tracks}) {
      for (const Path& path : *paths)
        shapes.push_back({Role::InputLine, Thinned(frame, path.points), {}});
    }
    std::set<std::pair<int, int>> taken;
    AddDots(shapes, taken, Role::Waypoint, frame, picture.input.waypoints);
    const std::vector<const Path*> made = MadePaths(picture);
    for (const Path* path : made)
      shapes.push_back({Role::OutputLine, Thinned(frame, path->points), {}});
    taken.clear();
    for (const Path* path : made) AddDots(shapes, taken, Role::Via, frame, path->vias);
    taken.clear();
    AddDots(shapes, taken, Role::Reclassified, frame, picture.reclassified);
    AddScaleBar(shapes, frame, language);
    AddNorthArrow(shapes, frame);
  }
  if (note == Note::None && picture.input.gdb && !picture.input.complete) note = Note::Damaged;
  if (note != Note::None) shapes.push_back({Role::Status, {{8, 18}}, NoteText(note, language)});
  return shapes;
}

Pixel Project(const Picture& picture, int width, int height, Place place) {
  return FrameOf(picture, width, height).Map(place);
}

namespace {

// What the file at path holds; nothing when it cannot be opened or read.
std::optional<Geometry> ReadGeometryOfFile(const std::string& path,
                                           const std::function<bool()>& stale) {
  const int fd = fileio::OpenForReading(path);
  if (fd < 0) return std::nullopt;
  Geometry geometry;
  bool failed = false;
  {
    FileInputStream input(fd);
    StopWhen stop(stale);
    geometry = ReadGeometry(input, &stop);
    failed = input.Failed();
  }
  fileio::CloseFile(fd);
  if (failed) return std::nullopt;
  return geometry;
}

// The input and the output a run wrote, each read from its file as it stands
// and never held whole, so that an input of any size is pictured after
// Convert without being converted a second time.
Outcome OutcomeOfWrittenFiles(const Request& request, const std::string& outputPath,
                              const std::function<bool()>& stale) {
  Outcome outcome;
  outcome.picture.mode = request.mode;
  std::optional<Geometry> input = ReadGeometryOfFile(request.inputPath, stale);
  if (!input) {
    outcome.note = Note::NotReadable;
    return outcome;
  }
  outcome.picture.input = std::move(*input);
  if (!outcome.picture.input.gdb) {
    outcome.note = Note::NotGdb;
    return outcome;
  }
  if (std::optional<Geometry> output = ReadGeometryOfFile(outputPath, stale)) {
    outcome.picture.output = std::move(*output);
  }
  MarkReclassified(outcome.picture);
  return outcome;
}

Outcome MakeOutcomeUnless(const Request& request, const std::function<bool()>& stale) {
  Outcome outcome;
  outcome.picture.mode = request.mode;
  if (request.inputPath.empty()) {
    outcome.note = Note::NoInput;
    return outcome;
  }
  // After Convert the input is pictured whatever its size.
  const bool allowLarge = request.convertedInto.has_value();
  if (allowLarge && !request.convertedInto->empty()) {
    return OutcomeOfWrittenFiles(request, *request.convertedInto, stale);
  }
  const int fd = fileio::OpenForReading(request.inputPath);
  if (fd < 0) {
    outcome.note = Note::NotReadable;
    return outcome;
  }
  const int64_t size = fileio::SizeOf(fd);
  if (!allowLarge && size >= static_cast<int64_t>(kLargeInput)) {
    fileio::CloseFile(fd);
    outcome.note = Note::Large;
    return outcome;
  }
  std::string bytes;
  if (size > 0) bytes.reserve(static_cast<size_t>(size));
  std::vector<uint8_t> buffer(1 << 16);
  bool failed = false;
  for (;;) {
    const int64_t got = fileio::ReadSome(fd, buffer.data(), buffer.size());
    if (got <= 0) {
      failed = got < 0;
      break;
    }
    bytes.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(got));
    // A file that grows while it is read, or one whose size was not told.
    if (!allowLarge && bytes.size() >= kLargeInput) {
      fileio::CloseFile(fd);
      outcome.note = Note::Large;
      return outcome;
    }
    if (stale && stale()) break;
  }
  fileio::CloseFile(fd);
  if (failed) {
    outcome.note = Note::NotReadable;
    return outcome;
  }
  outcome.picture = MakePictureUnless(bytes, request, stale);
  if (!outcome.picture.input.gdb) {
    outcome.note = Note::NotGdb;
  } else if (LacksViaCount(request)) {
    outcome.note = Note::ViaCountInvalid;
  }
  return outcome;
}

}  // namespace

Outcome MakeOutcome(const Request& request) {
  return MakeOutcomeUnless(request, {});
}

void ShownPicture::Set(Outcome outcome) {
  outcome_ = std::move(outcome);
  laidOutFor_.reset();
}

const std::vector<Shape>& ShownPicture::Shapes(int width, int height, Language language) {
  const std::tuple<int, int, Language> wanted{width, height, language};
  if (laidOutFor_ != wanted) {
    shapes_ = Layout(outcome_.picture, width, height, language, outcome_.note);
    laidOutFor_ = wanted;
  }
  return shapes_;
}

Worker::Worker(std::function<void()> ready)
    : ready_(std::move(ready)), thread_([this] { Run(); }) {}

Worker::~Worker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void Worker::Ask(const Request& request) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_ = request;
    ++requested_;
  }
  wake_.notify_all();
}

std::optional<Outcome> Worker::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::optional<Outcome> taken = std::move(result_);
  result_.reset();
  return taken;
}

void Worker::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || pending_.has_value(); });
    if (stopping_) return;
    const Request request = std::move(*pending_);
    pending_.reset();
    const uint64_t generation = requested_;
    lock.unlock();
    const std::function<bool()> stale = [this, generation] {
      std::lock_guard<std::mutex> check(mutex_);
      return stopping_ || requested_ != generation;
    };
    Outcome outcome = MakeOutcomeUnless(request, stale);
    lock.lock();
    if (stopping_) return;
    if (requested_ != generation) continue;
    result_ = std::move(outcome);
    lock.unlock();
    ready_();
    lock.lock();
  }
}

}  // namespace preview
