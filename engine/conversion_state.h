// The working state of one conversion and the point table in it. A run owns
// one ConversionState (about 6 MB, fixed in size) and hands it to every
// engine call by reference; StartConversion readies it for a run. Two
// conversions may run side by side, each on its own state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "gdb_types.h"

class OutputStream;

constexpr uint32_t kMaxPoints = 10000;
// A run that makes one route per track holds longer tracks.
constexpr uint32_t kMaxOneRoutePoints = 65536;
constexpr uint32_t kMostOneRouteVias = 1000;
// Of a long track, the points added farthest first that its via choice
// keeps, at most.
constexpr uint32_t kMostCandidates = 4096;
constexpr size_t kMaxTextLength = 30000;  // longest name ReadText accepts, NUL excluded
constexpr size_t kMessageSize = 256;

// What a run is given; the engine only reads it.
struct ConversionSettings {
  Language language = Language::kEnglish;  // of the messages
  uint32_t maxViasPerRoute = 250;          // for tracks to routes; the run keeps it in 25..1000
  OutputStream* trace = nullptr;           // where the trace lines go; null: none. Not owned.
  // For tracks to routes: one route per track, its vias chosen to follow it.
  bool oneRoute = false;
};

// Positions of the waypoint records met so far in a run, by name. A route
// entry holds no position of its own, only the links to the next entry, so a
// route of a single via point takes that point's position from here.
constexpr int kWaypointSlotBits = 17;
constexpr uint32_t kWaypointSlots = 1u << kWaypointSlotBits;
// At most half the slots are used, so that a search stays short.
constexpr uint32_t kMaxWaypointPositions = kWaypointSlots / 2;
struct WaypointPosition {
  uint64_t nameHash;  // 0: free slot
  int32_t latitude;
  int32_t longitude;
};

// What a run did to the records after the header, the end record not counted.
// Every such record is counted once as converted (a route, a track), as
// reclassified, as skipped or as copied unchanged; a damaged record is
// counted there too, and once more as damaged.
struct ConversionCounts {
  uint64_t routesToTracks = 0;       // routes replaced by a track each
  uint64_t trackPointsMade = 0;      // points of those tracks
  uint64_t tracksToRoutes = 0;       // tracks replaced by routes (by none for a track of no points)
  uint64_t routesMade = 0;           // routes made from them
  uint64_t waypointsMade = 0;        // via waypoints made for those routes
  uint64_t viasReclassified = 0;     // waypoints and route entries whose class or marker changed
  uint64_t recordsReclassified = 0;  // records holding such via points
  uint64_t tracksSkipped = 0;        // tracks left out at the waypoint number limit
  uint64_t recordsUnchanged = 0;     // records copied byte for byte
  uint64_t recordsDamaged = 0;       // records with the damaged message
  // One route per track: the largest distance of a track point from its
  // route, in whole metres rounded up.
  uint64_t farthestPointMetres = 0;

  bool operator==(const ConversionCounts&) const = default;
};

struct ConversionState {
  ConversionSettings settings;  // set by StartConversion
  // Set to zero by StartConversion, raised as the records are done.
  ConversionCounts counts;

  // GDB version letter 'k', 'l' or 'm' of the file. Set by CopyFileHeader.
  uint8_t gdbVersion = 0;
  // Running number of generated waypoints: 1 at the start of a run, raised per converted track.
  uint32_t waypointSerial = 1;
  // Number of the record being converted, 1 for the first after the header.
  // Reset by CopyFileHeader, raised by ConvertRecord; named in the damaged-record message.
  uint32_t recordNumber = 0;
  // 1 when the record just handled left a message in messageText. Cleared per record.
  uint8_t messagePending = 0;
  // The pending message, UTF-8, NUL-terminated.
  char messageText[kMessageSize] = {};
  // Names read from records and generated names. One spare byte beyond the
  // 30001 bytes ReadText may store keeps a NUL at the end whatever happens.
  char nameBuffer[kMaxTextLength + 2] = {};

  // The point table: the points of one route or track, filled by AppendPoint.
  // It holds kMaxPoints, or kMaxOneRoutePoints in a one-route run.
  uint32_t pointCount = 0;
  int32_t pointLat[kMaxOneRoutePoints] = {};
  int32_t pointLon[kMaxOneRoutePoints] = {};
  // Points refused since the table was last emptied by ReadTrackPoints.
  uint32_t pointsRefused = 0;

  // The working tables of the via choice of one route per track
  // (one_route.cpp, via_search.cpp).
  struct OneRouteTables {
    // The points as unit vectors.
    double x[kMaxOneRoutePoints], y[kMaxOneRoutePoints], z[kMaxOneRoutePoints];
    // Adding the farthest point one at a time: the segments by their
    // farthest point, the points in the order added, and the key of the
    // route of the first k + 1 of them.
    struct Segment {
      double key;
      uint32_t first, end, farthest;
    } segments[kMostCandidates];
    uint32_t added[kMostCandidates];
    double addedKey[kMostCandidates];
    // The points vias are chosen among, in track order, and each point's
    // place there (UINT32_MAX: none).
    uint32_t candidates[kMaxOneRoutePoints];
    uint32_t candidateOf[kMaxOneRoutePoints];
    // The search: hops from each candidate to the last, the candidates one
    // sweep reached, the layers of candidates counted in turn (each layer
    // at most once per candidate; at most four candidate counts are kept),
    // the candidate each count came through and whether its segment has
    // been measured, and where each layer starts in the queue.
    uint32_t toEnd[kMaxOneRoutePoints];
    uint32_t reached[kMaxOneRoutePoints];
    uint32_t queue[4 * kMaxOneRoutePoints];
    uint32_t counter[kMaxOneRoutePoints];
    uint8_t settled[kMaxOneRoutePoints];
    uint32_t layerStart[kMostOneRouteVias + 2];
    // A long track's search: the candidates of the limits around the one
    // being tried; and a route being tried.
    uint8_t aboveCandidate[kMaxOneRoutePoints];
    uint8_t belowCandidate[kMaxOneRoutePoints];
    uint32_t trialVias[kMostOneRouteVias];
  } oneRoute;

  // The waypoint positions (RememberWaypoint, FindWaypoint).
  WaypointPosition waypointPositions[kWaypointSlots] = {};
  uint32_t waypointPositionCount = 0;
};

// Readies state for a run with these settings: the counters, the point
// table, the message and the waypoint positions start afresh.
void StartConversion(ConversionState& state, const ConversionSettings& settings);

struct ConversionStateDeleter {
  void operator()(ConversionState* state) const;
};
using ConversionStatePtr = std::unique_ptr<ConversionState, ConversionStateDeleter>;

// A state whose fields are all zero, in memory that the system hands out
// zeroed: its pages are touched only as a run uses them, so a run pays
// nothing for the waypoint positions (2 MB) unless it converts routes.
// StartConversion readies it for a run.
ConversionStatePtr NewConversionState();

// Hash of a name's bytes (NUL excluded); never 0.
constexpr uint64_t kNameHashStart = 0xCBF29CE484222325ull;
inline uint64_t NameHashStep(uint64_t hash, uint8_t byte) {
  return (hash ^ byte) * 0x100000001B3ull;
}

// Empties the waypoint positions.
void ForgetWaypoints(ConversionState& state);
// Keeps the position of a waypoint record; a later one of the same name
// replaces it. When the table is full, new names are not kept.
void RememberWaypoint(ConversionState& state, uint64_t nameHash, int32_t latitude,
                      int32_t longitude);
bool FindWaypoint(const ConversionState& state, uint64_t nameHash, int32_t& latitude,
                  int32_t& longitude);

// AppendPoint's way out when the table is full: the message, no point.
void AppendPointToFullTable(ConversionState& state);

// Offers points to the table: drops a repeat of the last point, and past
// the table's limit drops the point and leaves the point-limit message. A run keeps
// the count and the last point in locals until it ends, so that the walk of a
// long link or track, millions of points, does not go through memory for them.
// Nothing else may touch the table while a run is open.
class PointRun {
 public:
  explicit PointRun(ConversionState& state)
      : state_(state),
        count_(state.pointCount),
        limit_(state.settings.oneRoute ? kMaxOneRoutePoints : kMaxPoints) {
    if (count_ > 0) {
      lastLat_ = state.pointLat[count_ - 1];
      lastLon_ = state.pointLon[count_ - 1];
    }
  }
  ~PointRun() { state_.pointCount = count_; }
  PointRun(const PointRun&) = delete;
  PointRun& operator=(const PointRun&) = delete;

  void Append(int32_t latitude, int32_t longitude) {
    if (count_ == limit_) {
      AppendPointToFullTable(state_);
      return;
    }
    if (count_ > 0 && lastLat_ == latitude && lastLon_ == longitude) return;
    state_.pointLat[count_] = lastLat_ = latitude;
    state_.pointLon[count_] = lastLon_ = longitude;
    ++count_;
  }

 private:
  ConversionState& state_;
  uint32_t count_;
  uint32_t limit_;
  int32_t lastLat_ = 0;
  int32_t lastLon_ = 0;
};

inline void AppendPoint(ConversionState& state, int32_t latitude, int32_t longitude) {
  PointRun(state).Append(latitude, longitude);
}

// Writes one formatted trace line to the run's trace output, if it has one.
void Trace(const ConversionState& state, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Sets the pending message to text (UTF-8), cut to fit the message buffer.
void SetMessage(ConversionState& state, const char* text);
