// Via-point reclassification. A waypoint record and every route waypoint entry
// carry the same waypoint prefix after the name:
//
//   field            size   rewrite
//   class value      4      first byte 10 or 12 becomes 0 ('R') or 12 ('S')
//   country code     text   copied
//   22 bytes         22     the 9th (marker) becomes FF when the class read was
//                           10 with marker 31 (1F) or 12 with marker 33 (21)
//
// A byte is rewritten only when its whole field lies within the record.
// Everything else, and every other record, is copied unchanged; the record
// keeps its length.
#include "families.h"
#include "route_layout.h"

namespace {
constexpr uint32_t kMarkerOffset = 8;  // of the 22 bytes
}

uint8_t ReclassifiedClass(uint8_t classByte, ConversionMode mode) {
  if (classByte != 10 && classByte != 12) return classByte;
  return mode == ConversionMode::kViasToUserWaypoints ? 0 : 12;
}

uint8_t ReclassifiedMarker(uint8_t classByte, uint8_t markerByte) {
  if ((classByte == 10 && markerByte == 31) || (classByte == 12 && markerByte == 33)) return 255;
  return markerByte;
}

void WalkWaypointPrefix(RecordWalk& walk, PrefixRewrite rewrite, int* classRead) {
  if (classRead != nullptr) *classRead = -1;
  if (!rewrite) {
    uint32_t classValue = 0;
    if (classRead == nullptr ? walk.Bytes(4) : walk.UInt32(classValue)) {
      if (classRead != nullptr) *classRead = static_cast<int>(classValue & 0xFF);
      if (walk.Text()) walk.Bytes(22);
    }
    return;
  }
  if (!walk.Reserve(4)) return;
  const int classByte = walk.TakeByte();
  if (classByte == kEndOfInput) return;
  if (classRead != nullptr) *classRead = classByte;
  const uint8_t newClass = ReclassifiedClass(static_cast<uint8_t>(classByte), *rewrite);
  walk.PutByte(newClass);
  // A via point counts once, whether its class, its marker or both changed.
  const bool classChanged = newClass != classByte;
  if (classChanged) ++walk.State().counts.viasReclassified;
  if (!walk.Bytes(3) || !walk.Text() || !walk.Reserve(22) || !walk.Bytes(kMarkerOffset)) return;
  const int markerByte = walk.TakeByte();
  if (markerByte == kEndOfInput) return;
  const uint8_t newMarker =
      ReclassifiedMarker(static_cast<uint8_t>(classByte), static_cast<uint8_t>(markerByte));
  walk.PutByte(newMarker);
  if (!classChanged && newMarker != markerByte) ++walk.State().counts.viasReclassified;
  walk.Bytes(22 - kMarkerOffset - 1);
}

void ReclassifyWaypoint(RecordWalk& walk, ConversionMode mode) {
  WalkWaypointPrefix(walk, mode);
  walk.Finish();
}

void ReclassifyRoute(RecordWalk& walk, ConversionMode mode) {
  WalkRouteBody(walk, mode, nullptr);
  walk.Finish();
}
