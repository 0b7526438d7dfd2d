// The route record walk shared by the via-point reclassification (which copies
// a route, rewriting the waypoint prefix of every entry) and the route-to-track
// conversion (which reads the link points). Also the waypoint prefix walk of a
// waypoint record.
#pragma once

#include <cstdint>

#include "record_walk.h"

class LinkPointSink {
 public:
  // True when every link point is to go straight to the point table through
  // AppendPoint; OnLinkPoint is then not called. Asked once per link, so that
  // the walk of a long link makes no call per point.
  virtual bool AppendsEveryPoint() const = 0;
  virtual void OnLinkPoint(int32_t latitude, int32_t longitude, bool firstOfLink,
                           bool lastOfLink) = 0;
  // The name of the route's first waypoint entry, as a NameHash.
  virtual void OnFirstEntry(uint64_t nameHash) = 0;

 protected:
  ~LinkPointSink() = default;
};

// Walks a waypoint's class value, country code and the 22 bytes that hold its
// marker byte. reclassMode 'R' or 'S' rewrites class and marker; 0 walks only.
void WalkWaypointPrefix(RecordWalk& walk, char reclassMode);

// Walks a route body from the first byte after the route name up to the end of
// its waypoint entries. Every link point read whole goes to sink (may be null).
// The caller finishes the walk.
void WalkRouteBody(RecordWalk& walk, char reclassMode, LinkPointSink* sink);
