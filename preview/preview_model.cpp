#include "preview_model.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <numbers>
#include <set>
#include <span>
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
#include "summary.h"

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
    picture.counts = ConvertGdb(*state, settings, input, output, request.mode, &observer).counts;
  }
  if (settings.oneRoute) picture.oneRouteVias = settings.maxViasPerRoute;
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
// (each input path accounts for one output path); of a reclassifying mode,
// the routes with a via point whose class it changes. By hash, so that a
// file of many paths costs no more than reading it.
std::vector<const Path*> MadePaths(const Picture& picture) {
  const bool tracks = IsRouteToTrack(picture.mode);
  const std::vector<Path>& before = tracks ? picture.input.tracks : picture.input.routes;
  const std::vector<Path>& after = tracks ? picture.output.tracks : picture.output.routes;
  std::vector<const Path*> made;
  if (IsReclassifying(picture.mode)) {
    for (size_t r = 0; r < after.size(); ++r) {
      if (r >= before.size() || before[r].viaClasses != after[r].viaClasses) {
        made.push_back(&after[r]);
      }
    }
    return made;
  }
  std::unordered_multimap<size_t, const Path*> unmatched;
  for (const Path& path : before) unmatched.emplace(HashOf(path), &path);
  // Paths of one hash stand side by side: the walk starts at the first and
  // stops at the first equal one, never going through all of them (equal_range
  // would, and a file of many equal paths would take quadratic time).
  for (const Path& path : after) {
    const size_t hash = HashOf(path);
    auto it = unmatched.find(hash);
    while (it != unmatched.end() && it->first == hash && !(*it->second == path)) ++it;
    if (it != unmatched.end() && it->first == hash) {
      unmatched.erase(it);
    } else {
      made.push_back(&path);
    }
  }
  return made;
}

// The rectangle of latitudes and longitudes that holds every place.
struct Extent {
  bool empty = true;
  int32_t minLat = std::numeric_limits<int32_t>::max();
  int32_t maxLat = std::numeric_limits<int32_t>::min();
  int32_t minLon = std::numeric_limits<int32_t>::max();
  int32_t maxLon = std::numeric_limits<int32_t>::min();
};

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

Extent ExtentOf(const Picture& picture) {
  Extent extent;
  auto widen = [&extent](Place place) {
    extent.minLat = std::min(extent.minLat, place.latitude);
    extent.maxLat = std::max(extent.maxLat, place.latitude);
    extent.minLon = std::min(extent.minLon, place.longitude);
    extent.maxLon = std::max(extent.maxLon, place.longitude);
  };
  EachPlace(picture.input, widen);
  EachPlace(picture.output, widen);
  extent.empty = extent.minLat > extent.maxLat;
  return extent;
}

struct Point {
  double x = 0;
  double y = 0;
};

Pixel Rounded(Point point) {
  return {static_cast<int>(std::lround(point.x)), static_cast<int>(std::lround(point.y))};
}

constexpr int kMargin = 16;
// The map starts below two status rows.
constexpr int kStatusBaseline = 18;
constexpr int kStatusRow = 15;
constexpr int kTopMargin = kStatusBaseline + kStatusRow + 13;
constexpr double kMetresPerDegree = 111319.49;
// The closest zoom shows 25 cm a pixel; a semicircle is about 9 mm.
constexpr double kFinestMetresPerPixel = 0.25;

// The plane and its fit to the window: a place of the plane at (centreX,
// centreY) lands in the middle of the map's room.
struct Frame {
  bool empty = true;
  double cosine = 1;
  double centreX = 0;
  double centreY = 0;
  double scale = 1;     // pixels per degree of arc
  double fitScale = 1;  // the scale that shows the whole file
  double middleX = 0;   // the middle of the map's room, in pixels
  double middleY = 0;
  int width = 0;
  int height = 0;

  double PlaneX(Place place) const { return Degrees(place.longitude) * cosine; }
  Point PointOf(Place place) const {
    return {middleX + (PlaneX(place) - centreX) * scale,
            middleY - (Degrees(place.latitude) - centreY) * scale};
  }
  Pixel Map(Place place) const { return Rounded(PointOf(place)); }
  double MostZoom() const {
    return std::max(1.0, kMetresPerDegree / kFinestMetresPerPixel / fitScale);
  }
};

Frame FitOf(const Extent& extent, int width, int height) {
  Frame frame;
  frame.width = width;
  frame.height = height;
  if (extent.empty) return frame;
  frame.empty = false;
  const double middle = (Degrees(extent.minLat) + Degrees(extent.maxLat)) / 2;
  frame.cosine = std::max(std::cos(middle * std::numbers::pi / 180), 0.01);
  const double left = Degrees(extent.minLon) * frame.cosine;
  const double right = Degrees(extent.maxLon) * frame.cosine;
  frame.centreX = (left + right) / 2;
  frame.centreY = middle;
  // A lone point, or a line along one axis, is shown at 100 m across.
  constexpr double kLeastSpan = 0.0009;
  const double spanX = std::max(right - left, kLeastSpan);
  const double spanY = std::max(Degrees(extent.maxLat) - Degrees(extent.minLat), kLeastSpan);
  const double roomX = std::max(width - 2 * kMargin, 1);
  const double roomY = std::max(height - kTopMargin - kMargin, 1);
  frame.scale = frame.fitScale = std::min(roomX / spanX, roomY / spanY);
  frame.middleX = width / 2.0;
  frame.middleY = (kTopMargin + height - kMargin) / 2.0;
  return frame;
}

Frame FrameOf(const Extent& extent, int width, int height, const Viewport& viewport) {
  Frame frame = FitOf(extent, width, height);
  if (frame.empty) return frame;
  frame.scale = frame.fitScale * std::clamp(viewport.zoom, 1.0, frame.MostZoom());
  if (viewport.centred) {
    frame.centreX = viewport.longitude * frame.cosine;
    frame.centreY = viewport.latitude;
  }
  return frame;
}

// The viewport that puts the plane's (x, y) in the middle of the map, kept
// within the file's bounds so that some of it always shows.
Viewport Centred(const Extent& extent, const Frame& frame, double zoom, double x, double y) {
  const double longitude =
      std::clamp(x / frame.cosine, Degrees(extent.minLon), Degrees(extent.maxLon));
  const double latitude = std::clamp(y, Degrees(extent.minLat), Degrees(extent.maxLat));
  return {.zoom = zoom, .centred = true, .latitude = latitude, .longitude = longitude};
}

Viewport ZoomedAt(const Extent& extent, int width, int height, const Viewport& viewport, Pixel at,
                  double factor) {
  const Frame frame = FrameOf(extent, width, height, viewport);
  if (frame.empty || !(factor > 0)) return viewport;
  const double zoom = std::min(frame.scale / frame.fitScale * factor, frame.MostZoom());
  if (zoom <= 1) return {};
  const double dx = at.x - frame.middleX;
  const double dy = at.y - frame.middleY;
  const double x = frame.centreX + dx / frame.scale;  // the place under at
  const double y = frame.centreY - dy / frame.scale;
  const double scale = frame.fitScale * zoom;
  return Centred(extent, frame, zoom, x - dx / scale, y + dy / scale);
}

Viewport Panned(const Extent& extent, int width, int height, const Viewport& viewport, int dx,
                int dy) {
  const Frame frame = FrameOf(extent, width, height, viewport);
  if (frame.empty) return viewport;
  return Centred(extent, frame, frame.scale / frame.fitScale, frame.centreX - dx / frame.scale,
                 frame.centreY + dy / frame.scale);
}

struct Box {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
  bool Holds(Point point) const {
    return point.x >= left && point.x <= right && point.y >= top && point.y <= bottom;
  }
};

// The pane and a little around it, so that a line leaving it is drawn to its edge.
Box ClipBoxOf(const Frame& frame, double around) {
  return {-around, -around, frame.width + around, frame.height + around};
}

// The part of the segment from a to b within box (Liang and Barsky's
// clipping); none when the segment misses the box.
std::optional<std::pair<Point, Point>> Clipped(Point a, Point b, const Box& box) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double towards[4] = {-dx, dx, -dy, dy};
  const double room[4] = {a.x - box.left, box.right - a.x, a.y - box.top, box.bottom - a.y};
  double enter = 0;
  double leave = 1;
  for (int side = 0; side < 4; ++side) {
    if (towards[side] == 0) {
      if (room[side] < 0) return std::nullopt;
      continue;
    }
    const double t = room[side] / towards[side];
    if (towards[side] < 0) {
      enter = std::max(enter, t);
    } else {
      leave = std::min(leave, t);
    }
    if (enter > leave) return std::nullopt;
  }
  return std::pair{Point{a.x + enter * dx, a.y + enter * dy},
                   Point{a.x + leave * dx, a.y + leave * dy}};
}

using Piece = std::vector<Pixel>;

// A line's pixels within box, repeats of a pixel dropped: one piece, or
// where it leaves the box and comes back, a piece for each stretch inside.
std::vector<Piece> PiecesOf(const Frame& frame, const Box& box, const std::vector<Place>& places) {
  std::vector<Piece> pieces;
  if (places.empty()) return pieces;
  Point from = frame.PointOf(places[0]);
  if (places.size() == 1 && box.Holds(from)) pieces.push_back({Rounded(from)});
  bool open = false;  // the last piece ends at from, which lies in the box
  for (size_t i = 1; i < places.size(); ++i) {
    const Point to = frame.PointOf(places[i]);
    if (const auto inside = Clipped(from, to, box)) {
      const Pixel start = Rounded(inside->first);
      const Pixel end = Rounded(inside->second);
      if (!open) pieces.push_back({start});
      if (!(pieces.back().back() == end)) pieces.back().push_back(end);
      open = box.Holds(to);
    } else {
      open = false;
    }
    from = to;
  }
  return pieces;
}

// At most kMostLinePoints points in all, each piece keeping its ends: at
// most a quarter as many pieces, evenly chosen, then every stride-th point.
void Thin(std::vector<Piece>& pieces) {
  const auto total = [&pieces] {
    size_t points = 0;
    for (const Piece& piece : pieces) points += piece.size();
    return points;
  };
  if (total() <= kMostLinePoints) return;
  constexpr size_t kMostPieces = kMostLinePoints / 4;
  if (pieces.size() > kMostPieces) {
    std::vector<Piece> kept;
    for (size_t i = 0; i < kMostPieces; ++i) {
      kept.push_back(std::move(pieces[i * pieces.size() / kMostPieces]));
    }
    pieces = std::move(kept);
  }
  const size_t room = kMostLinePoints - 2 * pieces.size();
  const size_t stride = (total() + room - 1) / room;
  for (Piece& piece : pieces) {
    if (stride < 2) break;
    Piece kept;
    for (size_t i = 0; i < piece.size(); i += stride) kept.push_back(piece[i]);
    if (!(kept.back() == piece.back())) kept.push_back(piece.back());
    piece = std::move(kept);
  }
}

void AddLine(std::vector<Shape>& shapes, Role role, const Frame& frame,
             const std::vector<Place>& places) {
  constexpr double kPastTheEdge = 8;
  std::vector<Piece> pieces = PiecesOf(frame, ClipBoxOf(frame, kPastTheEdge), places);
  Thin(pieces);
  for (Piece& piece : pieces) shapes.push_back({role, std::move(piece), {}});
}

// Dots in the pane land once per pixel.
void AddDots(std::vector<Shape>& shapes, std::set<std::pair<int, int>>& taken, Role role,
             const Frame& frame, const std::vector<Place>& places) {
  constexpr double kRingRadius = 6;
  const Box pane = ClipBoxOf(frame, kRingRadius);
  for (const Place& place : places) {
    const Point point = frame.PointOf(place);
    if (!pane.Holds(point)) continue;
    const Pixel pixel = Rounded(point);
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

// The windows' fonts are not known here: a text is taken to be as wide as
// its characters at a generous average width.
constexpr double kCharacterWidth = 6.5;

int TextWidth(const std::string& utf8) {
  const auto characters = std::count_if(utf8.begin(), utf8.end(), [](char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  });
  return static_cast<int>(std::ceil(static_cast<double>(characters) * kCharacterWidth));
}

// text in rows of at most width pixels, broken between words.
std::vector<std::string> Wrapped(const std::string& text, int width) {
  std::vector<std::string> rows;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.size();
    while (TextWidth(text.substr(start, end - start)) > width) {
      const size_t space = text.rfind(' ', end - 1);
      if (space == std::string::npos || space <= start) break;
      end = space;
    }
    rows.push_back(text.substr(start, end - start));
    start = end;
    while (start < text.size() && text[start] == ' ') ++start;
  }
  return rows;
}

struct LegendEntry {
  Role role;
  TextKey words;
};

// An entry for each kind of line and mark the map draws: the input, what
// the option makes, its via points and the via points it reclassifies.
std::vector<LegendEntry> LegendOf(const Picture& picture, const std::vector<const Path*>& made) {
  std::vector<LegendEntry> entries;
  if (!picture.input.routes.empty() || !picture.input.tracks.empty()) {
    entries.push_back({Role::InputLine, T_("preview legend", "Input")});
  }
  if (!made.empty()) {
    // TRANSLATORS: the preview's legend: the lines the chosen option makes.
    entries.push_back({Role::OutputLine, T_("preview legend", "Result")});
  }
  if (std::any_of(made.begin(), made.end(), [](const Path* path) { return !path->vias.empty(); })) {
    entries.push_back({Role::Via, T_("preview legend", "Via points")});
  }
  if (!picture.reclassified.empty()) {
    entries.push_back({Role::Reclassified, T_("preview legend", "Reclassified via points")});
  }
  return entries;
}

// How many of the map's shapes cross the box: a line for each segment, a
// mark when it lies in it.
size_t Covered(std::span<const Shape> map, const Box& box) {
  size_t covered = 0;
  for (const Shape& shape : map) {
    const bool line = shape.role == Role::InputLine || shape.role == Role::OutputLine;
    if (shape.points.empty()) continue;
    if (!line || shape.points.size() == 1) {
      const Pixel at = shape.points.front();
      covered += box.Holds({static_cast<double>(at.x), static_cast<double>(at.y)});
      continue;
    }
    for (size_t i = 1; i < shape.points.size(); ++i) {
      const Pixel a = shape.points[i - 1];
      const Pixel b = shape.points[i];
      covered += Clipped({static_cast<double>(a.x), static_cast<double>(a.y)},
                         {static_cast<double>(b.x), static_cast<double>(b.y)}, box)
                     .has_value();
    }
  }
  return covered;
}

constexpr int kLegendRow = 14;
constexpr int kLegendTextAt = 28;  // from the sample's left end

// The legend in a corner: above the scale bar, at the bottom right, or below
// the north arrow and the status rows; the first that covers the least of
// mapShapes, the shapes laid out before it.
void AddLegend(std::vector<Shape>& shapes, size_t mapShapes,
               const std::vector<LegendEntry>& entries, const Frame& frame, int statusRows,
               Language language) {
  if (entries.empty()) return;
  std::vector<std::string> words;
  int width = 0;
  for (const LegendEntry& entry : entries) {
    const char* text = Translate(entry.words, language);
    words.emplace_back(text != nullptr ? text : entry.words.english);
    width = std::max(width, kLegendTextAt + TextWidth(words.back()));
  }
  const int rows = static_cast<int>(entries.size());
  const int right = frame.width - 8 - width;
  const int belowArrow = std::max(72, kStatusBaseline + kStatusRow * statusRows + 12);
  const std::pair<int, int> corners[] = {
      {12, frame.height - 34 - kLegendRow * (rows - 1)},  // left, first baseline
      {right, frame.height - 10 - kLegendRow * (rows - 1)},
      {right, belowArrow},
  };
  const std::span<const Shape> map(shapes.data(), mapShapes);
  const auto boxAt = [&](std::pair<int, int> corner) {
    return Box{corner.first - 2.0, corner.second - 11.0, corner.first + width + 0.0,
               corner.second + kLegendRow * (rows - 1) + 4.0};
  };
  std::pair<int, int> best = corners[0];
  size_t least = Covered(map, boxAt(best));
  for (const auto& corner : corners) {
    const size_t covered = Covered(map, boxAt(corner));
    if (covered < least) {
      least = covered;
      best = corner;
    }
  }
  for (int row = 0; row < rows; ++row) {
    const int x = best.first;
    const int baseline = best.second + kLegendRow * row;
    const int y = baseline - 4;
    const Role role = entries[static_cast<size_t>(row)].role;
    if (role == Role::InputLine || role == Role::OutputLine) {
      shapes.push_back({role, {{x, y}, {x + 20, y}}, {}});
    } else {
      shapes.push_back({role, {{x + 10, y}}, {}});
    }
    shapes.push_back(
        {Role::Label, {{x + kLegendTextAt, baseline}}, words[static_cast<size_t>(row)]});
  }
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
    case Note::Updating:
      return T_("preview Updating", "Updating the preview…");
    case Note::NoMemory:
      return T_("preview NoMemory", "Not enough memory for the preview");
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

namespace {

// The note's text, then what a Convert would make, in rows of the pane's
// width beside the north arrow.
std::vector<std::string> StatusRows(const Picture& picture, Note note, Language language,
                                    int width) {
  if (note == Note::None && picture.input.gdb && !picture.input.complete) note = Note::Damaged;
  std::vector<std::string> rows;
  const int room = width - 8 - 30;
  const auto add = [&rows, room](const std::string& text) {
    for (std::string& row : Wrapped(text, room)) rows.push_back(std::move(row));
  };
  if (note != Note::None) add(NoteText(note, language));
  if (picture.counts && note != Note::Updating) {
    add(ProspectFor(*picture.counts, picture.mode,
                    HasTexts(language) ? language : Language::kEnglish, picture.oneRouteVias));
  }
  return rows;
}

}  // namespace

std::vector<Shape> Layout(const Picture& picture, int width, int height, Language language,
                          Note note, const Viewport& viewport) {
  std::vector<Shape> shapes;
  const std::vector<std::string> status = StatusRows(picture, note, language, width);
  const Frame frame = FrameOf(ExtentOf(picture), width, height, viewport);
  if (!frame.empty) {
    for (const std::vector<Path>* paths : {&picture.input.routes, &picture.input.tracks}) {
      for (const Path& path : *paths) AddLine(shapes, Role::InputLine, frame, path.points);
    }
    std::set<std::pair<int, int>> taken;
    AddDots(shapes, taken, Role::Waypoint, frame, picture.input.waypoints);
    const std::vector<const Path*> made = MadePaths(picture);
    for (const Path* path : made) AddLine(shapes, Role::OutputLine, frame, path->points);
    taken.clear();
    for (const Path* path : made) AddDots(shapes, taken, Role::Via, frame, path->vias);
    taken.clear();
    AddDots(shapes, taken, Role::Reclassified, frame, picture.reclassified);
    const size_t mapShapes = shapes.size();
    AddScaleBar(shapes, frame, language);
    AddNorthArrow(shapes, frame);
    AddLegend(shapes, mapShapes, LegendOf(picture, made), frame, static_cast<int>(status.size()),
              language);
  }
  for (size_t row = 0; row < status.size(); ++row) {
    shapes.push_back(
        {Role::Status, {{8, kStatusBaseline + kStatusRow * static_cast<int>(row)}}, status[row]});
  }
  return shapes;
}

Pixel Project(const Picture& picture, int width, int height, Place place,
              const Viewport& viewport) {
  return FrameOf(ExtentOf(picture), width, height, viewport).Map(place);
}

namespace {

// What the file at path holds; nothing when it cannot be opened or read.
std::optional<Geometry> ReadGeometryOfFile(const std::string& path,
                                           const std::function<bool()>& stale) {
  const int fd = fileio::OpenFileForReading(path);
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
  // A FIFO would hold the worker until a writer came: never opened.
  const int fd = fileio::OpenFileForReading(request.inputPath);
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
  if (!(outcome.picture.input == outcome_.picture.input)) viewport_ = {};
  outcome_ = std::move(outcome);
  coming_ = false;
  laidOutFor_.reset();
}

void ShownPicture::SetComing() {
  if (coming_) return;
  coming_ = true;
  laidOutFor_.reset();
}

const std::vector<Shape>& ShownPicture::Shapes(int width, int height, Language language) {
  const std::tuple<int, int, Language, Viewport> wanted{width, height, language, viewport_};
  if (laidOutFor_ != wanted) {
    shapes_ = Layout(outcome_.picture, width, height, language,
                     coming_ ? Note::Updating : outcome_.note, viewport_);
    laidOutFor_ = wanted;
  }
  return shapes_;
}

void ShownPicture::ZoomAt(Pixel at, double factor, int width, int height) {
  viewport_ = ZoomedAt(ExtentOf(outcome_.picture), width, height, viewport_, at, factor);
}

void ShownPicture::Pan(int dx, int dy, int width, int height) {
  viewport_ = Panned(ExtentOf(outcome_.picture), width, height, viewport_, dx, dy);
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
    Outcome outcome;
    try {
      outcome = MakeOutcomeUnless(request, stale);
    } catch (const std::bad_alloc&) {
      outcome.note = Note::NoMemory;
    }
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
