// The places a GDB file holds, read through the same record walks as the
// conversion: every waypoint's position and class, every route's entries and
// link points, every track's points. The picture of a file and of what an
// option makes of it is drawn from these. The reader keeps nothing of its
// own: it hands every place to a sink as it meets it.
#pragma once

#include <cstdint>

#include "byte_stream.h"
#include "conversion.h"
#include "conversion_state.h"

class ShapeSink {
 public:
  virtual void OnWaypoint(int32_t latitude, int32_t longitude, int classByte) = 0;
  // A route or track begins; its entries and points follow.
  virtual void OnRouteStart() = 0;
  virtual void OnTrackStart() = 0;
  // A route entry: its class byte, and the position of the waypoint record of
  // its name when one came before it in the file (found), as a route entry
  // holds no position of its own.
  virtual void OnRouteVia(int classByte, bool found, int32_t latitude, int32_t longitude) = 0;
  // A point of the link from the last entry given to the next one.
  virtual void OnRoutePoint(int32_t latitude, int32_t longitude, bool firstOfLink,
                            bool lastOfLink) = 0;
  virtual void OnTrackPoint(int32_t latitude, int32_t longitude) = 0;

 protected:
  ~ShapeSink() = default;
};

struct ShapeReadResult {
  bool headerAccepted = false;  // a GDB file
  bool reachedEnd = false;      // its end record was read
  uint64_t recordsDamaged = 0;  // records whose fields ran past their end
  uint32_t records = 0;
};

// Starts state afresh and reads input to its end record or its end, or until
// the observer, told of each record as a conversion tells it, says stop.
ShapeReadResult ReadShapes(ConversionState& state, InputStream& input, ShapeSink& sink,
                           RecordObserver* observer = nullptr);
