// The small vocabularies of a conversion: what a run does to the records
// (the processing option's mode), the record type letters of a GDB file and
// the languages of the messages. A mode letter is only ever compared with
// mode letters and a type letter with type letters, though they share 'R',
// 'T', 'V' and 'W'.
#pragma once

#include <cstdint>

// One per processing option (1 to 6, in this order).
enum class ConversionMode : char {
  kRoutesToTracksAllPoints = 'T',
  kRoutesToTracksViaPoints = 'U',
  kViasToUserWaypoints = 'R',
  kViasToHiddenVias = 'S',
  kTracksToRoutesUserVias = 'V',
  kTracksToRoutesHiddenVias = 'W',
};

inline bool IsReclassifying(ConversionMode mode) {
  return mode == ConversionMode::kViasToUserWaypoints || mode == ConversionMode::kViasToHiddenVias;
}
inline bool IsRouteToTrack(ConversionMode mode) {
  return mode == ConversionMode::kRoutesToTracksAllPoints ||
         mode == ConversionMode::kRoutesToTracksViaPoints;
}
inline bool IsTrackToRoute(ConversionMode mode) {
  return mode == ConversionMode::kTracksToRoutesUserVias ||
         mode == ConversionMode::kTracksToRoutesHiddenVias;
}

// The mode of processing option 1 to 6; any other number (no option
// checked) gives option 1's.
ConversionMode ModeForOption(int option);

// The type letters of the records the engine acts on; every other letter is
// copied unchanged.
namespace record_type {
constexpr uint8_t kWaypoint = 'W';
constexpr uint8_t kRoute = 'R';
constexpr uint8_t kTrack = 'T';
constexpr uint8_t kEnd = 'V';
}  // namespace record_type

// The language of the messages. The fourth has no texts: a run in it shows
// no message.
enum class Language : int32_t {
  kEnglish = 1,
  kDutch = 2,
  kGerman = 3,
  kFourth = 4,
};
