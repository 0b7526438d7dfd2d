// Route record body, after the frame (length L, type 'R') and the route name:
//
//   field                     size             walk
//   one byte                  1                copied / skipped
//   header flag               1                0: the two groups below follow
//   optional-field group      8 + 1 (+ 8)      bounds; flag byte then 8 bytes when set
//   optional-field group      8 + 1 (+ 8)
//   entry count N             4                drives the entry loop
//   N route waypoint entries:
//     waypoint name           text to NUL
//     class value             4                first byte is the class byte
//     country code            text to NUL
//     22 bytes                22               the 9th is the marker byte
//     flag                    1 (+ 8, 16 'm')  extra bytes when set
//     18 bytes                18
//     link point count P      4                0 ends the walk: the rest is the record's rest
//     P link points           8 + 1 (+ 8)      latitude, longitude, flagged extra
//     link trailer            1                0: two optional-field groups follow
//     version bytes           0 'k', 8 'l', 10 'm'
//   rest of the record        remaining count  copied / skipped by the caller
#include "route_layout.h"

#include "conversion_state.h"

namespace {

uint32_t VersionByteCount(const ConversionState& state) {
  switch (state.gdbVersion) {
    case 'l':
      return 8;
    case 'm':
      return 10;
    default:
      return 0;
  }
}

// A flag byte; when it is 0, two optional-field groups follow.
bool WalkFlaggedGroups(RecordWalk& walk) {
  int flag = 0;
  if (!walk.Byte(flag)) return false;
  return flag != 0 || (walk.OptionalGroup() && walk.OptionalGroup());
}

bool WalkWaypointTail(RecordWalk& walk) {
  return walk.Flagged(walk.State().gdbVersion == 'm' ? 16 : 8) && walk.Bytes(18);
}

// After a link point's coordinates: a flag byte and 8 bytes when it is set.
constexpr uint8_t kLinkPointFields[1] = {8};

bool WalkLinkPoints(RecordWalk& walk, uint32_t count, LinkPointSink* sink) {
  if (sink == nullptr) {
    return walk.Points(count, kLinkPointFields, 1, [](int32_t, int32_t) {});
  }
  if (sink->AppendsEveryPoint()) {
    PointRun run(walk.State());
    return walk.Points(count, kLinkPointFields, 1, [&run](int32_t latitude, int32_t longitude) {
      run.Append(latitude, longitude);
    });
  }
  for (uint32_t i = 0; i < count; ++i) {
    int32_t latitude = 0;
    int32_t longitude = 0;
    if (!walk.PointAndFlagged(latitude, longitude, kLinkPointFields, 1)) return false;
    sink->OnLinkPoint(latitude, longitude, i == 0, i + 1 == count);
  }
  return true;
}

// Entry index of a route of entryCount entries; false when the walk ends with it.
bool WalkRouteEntry(RecordWalk& walk, PrefixRewrite rewrite, LinkPointSink* sink, uint32_t index,
                    uint32_t entryCount) {
  uint64_t nameHash = 0;
  if (!walk.Text(&nameHash)) return false;
  if (index == 0 && sink != nullptr) sink->OnFirstEntry(nameHash, entryCount);
  int classByte = -1;
  WalkWaypointPrefix(walk, rewrite, sink != nullptr ? &classByte : nullptr);
  if (sink != nullptr && walk.Ok()) sink->OnEntry(index, nameHash, classByte);
  uint32_t linkPoints = 0;
  if (!walk.Ok() || !WalkWaypointTail(walk) || !walk.UInt32(linkPoints) || linkPoints == 0) {
    return false;
  }
  return WalkLinkPoints(walk, linkPoints, sink) && WalkFlaggedGroups(walk) &&
         walk.Bytes(VersionByteCount(walk.State()));
}

}  // namespace

void WalkRouteBody(RecordWalk& walk, PrefixRewrite rewrite, LinkPointSink* sink) {
  uint32_t entries = 0;
  if (!walk.Bytes(1) || !WalkFlaggedGroups(walk) || !walk.UInt32(entries)) return;
  for (uint32_t i = 0; i < entries; ++i) {
    if (!WalkRouteEntry(walk, rewrite, sink, i, entries)) return;
  }
}
