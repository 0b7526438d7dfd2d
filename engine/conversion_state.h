// The engine's process-wide state and the point table. Everything here is
// fixed in size and lives for the whole process; a conversion run resets only
// what CopyFileHeader and the record walks reset.
#pragma once

#include <cstddef>
#include <cstdint>

class OutputStream;

constexpr uint32_t kMaxPoints = 10000;
constexpr size_t kMaxTextLength = 30000;  // longest name ReadText accepts, NUL excluded
constexpr size_t kMessageSize = 256;

// Dialog language: 1 English, 2 Dutch, 3 German, 4 the hidden fourth button. Set by the dialog.
extern int32_t g_language;
// GDB version letter 'k', 'l' or 'm' of the file being converted. Set by CopyFileHeader.
extern uint8_t g_gdbVersion;
// Running number of generated waypoints: 1 at the start of a run, raised per converted track.
extern uint32_t g_waypointSerial;
// 1 when the record just handled left a message in g_messageText. Cleared per record.
extern uint8_t g_messagePending;
// The pending message, UTF-8, NUL-terminated.
extern char g_messageText[kMessageSize];
// Names read from records and generated names. One spare byte beyond the
// 30001 bytes ReadText may store keeps a NUL at the end whatever happens.
extern char g_nameBuffer[kMaxTextLength + 2];
// Number of the record being converted, 1 for the first after the header.
// Reset by CopyFileHeader, raised by ConvertRecord; named in the damaged-record message.
extern uint32_t g_recordNumber;
// Most via points per generated route. Set by the conversion run for tracks-to-routes runs.
extern uint32_t g_maxViasPerRoute;

// The point table: the points of one route or track, filled by AppendPoint.
extern uint32_t g_pointCount;
extern int32_t g_pointLat[kMaxPoints];
extern int32_t g_pointLon[kMaxPoints];

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
extern WaypointPosition g_waypointPositions[kWaypointSlots];
extern uint32_t g_waypointPositionCount;

// Hash of a name's bytes (NUL excluded); never 0.
constexpr uint64_t kNameHashStart = 0xCBF29CE484222325ull;
inline uint64_t NameHashStep(uint64_t hash, uint8_t byte) {
  return (hash ^ byte) * 0x100000001B3ull;
}

// Empties the waypoint positions; called at the start of a run.
void ForgetWaypoints();
// Keeps the position of a waypoint record; a later one of the same name
// replaces it. When the table is full, new names are not kept.
void RememberWaypoint(uint64_t nameHash, int32_t latitude, int32_t longitude);
bool FindWaypoint(uint64_t nameHash, int32_t& latitude, int32_t& longitude);

// Where the engine's trace lines go; null to keep them quiet. Not owned.
extern OutputStream* g_traceOutput;

// AppendPoint's way out when the table is full: the message, no point.
void AppendPointToFullTable();

// Offers points to the table: drops a repeat of the last point, and past
// kMaxPoints drops the point and leaves the point-limit message. A run keeps
// the count and the last point in locals until it ends, so that the walk of a
// long link or track, millions of points, does not go through memory for them.
// Nothing else may touch the table while a run is open.
class PointRun {
 public:
  PointRun() : count_(g_pointCount) {
    if (count_ > 0) {
      lastLat_ = g_pointLat[count_ - 1];
      lastLon_ = g_pointLon[count_ - 1];
    }
  }
  ~PointRun() { g_pointCount = count_; }
  PointRun(const PointRun&) = delete;
  PointRun& operator=(const PointRun&) = delete;

  void Append(int32_t latitude, int32_t longitude) {
    if (count_ == kMaxPoints) {
      AppendPointToFullTable();
      return;
    }
    if (count_ > 0 && lastLat_ == latitude && lastLon_ == longitude) return;
    g_pointLat[count_] = lastLat_ = latitude;
    g_pointLon[count_] = lastLon_ = longitude;
    ++count_;
  }

 private:
  uint32_t count_;
  int32_t lastLat_ = 0;
  int32_t lastLon_ = 0;
};

inline void AppendPoint(int32_t latitude, int32_t longitude) {
  PointRun().Append(latitude, longitude);
}

// Writes one formatted trace line to g_traceOutput, if there is one.
void Trace(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Sets the pending message to text (UTF-8), cut to fit the message buffer.
void SetMessage(const char* text);
