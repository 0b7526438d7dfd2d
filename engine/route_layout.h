// The route record walk shared by the via-point reclassification (which copies
// a route, rewriting the waypoint prefix of every entry) and the route-to-track
// conversion (which reads the link points). Also the waypoint prefix walk of a
// waypoint record.
#pragma once

#include <cstdint>
#include <optional>

#include "gdb_types.h"
#include "record_walk.h"

class LinkPointSink {
 public:
  // True when every link point is to go straight to the walk's point table; OnLinkPoint is then not
  // called. Asked once per link, so that the walk of a long link makes no call per point.
  virtual bool AppendsEveryPoint() const = 0;
  virtual void OnLinkPoint(int32_t latitude, int32_t longitude, bool firstOfLink,
                           bool lastOfLink) = 0;
  // The name of the route's first waypoint entry, as a NameHash, and the
  // route's entry count.
  virtual void OnFirstEntry(uint64_t nameHash, uint32_t entryCount) = 0;
  // Every entry whose waypoint prefix was read whole: its name as a
  // NameHash and its class byte. Most sinks need none of them.
  virtual void OnEntry(uint32_t /*index*/, uint64_t /*nameHash*/, int /*classByte*/) {}

 protected:
  ~LinkPointSink() = default;
};

// How a walk treats the waypoint prefixes it meets: walked only, or rewritten
// for a reclassifying mode.
using PrefixRewrite = std::optional<ConversionMode>;

// Walks a waypoint's class value, country code and the 22 bytes that hold its
// marker byte, rewriting class and marker for a reclassifying mode. With
// classByte, also gives the class byte as read (-1 when it was not).
void WalkWaypointPrefix(RecordWalk& walk, PrefixRewrite rewrite, int* classByte = nullptr);

// Walks a route body from the first byte after the route name up to the end of
// its waypoint entries. Every link point read whole goes to sink (may be null).
// The caller finishes the walk.
void WalkRouteBody(RecordWalk& walk, PrefixRewrite rewrite, LinkPointSink* sink);
