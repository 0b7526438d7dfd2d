#include "gdb_types.h"

ConversionMode ModeForOption(int option) {
  switch (option) {
    case 2:
      return ConversionMode::kRoutesToTracksViaPoints;
    case 3:
      return ConversionMode::kViasToUserWaypoints;
    case 4:
      return ConversionMode::kViasToHiddenVias;
    case 5:
      return ConversionMode::kTracksToRoutesUserVias;
    case 6:
      return ConversionMode::kTracksToRoutesHiddenVias;
    default:
      return ConversionMode::kRoutesToTracksAllPoints;
  }
}
