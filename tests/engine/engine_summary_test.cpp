// The summary line of a completed run, word for word in the three languages.
#include <gtest/gtest.h>

#include "conversion_state.h"
#include "gdb_types.h"
#include "summary.h"

namespace {

using enum ConversionMode;
using enum Language;

struct SummaryCase {
  ConversionCounts counts;
  ConversionMode mode;
  Language language;
  const char* text;
  uint32_t oneRouteVias = 0;
};

const char* TitleIn(Language language) {
  return language == kEnglish ? "Summary" : language == kDutch ? "Samenvatting" : "Zusammenfassung";
}

const SummaryCase kCases[] = {
    {{.routesToTracks = 2, .trackPointsMade = 37, .recordsUnchanged = 120},
     kRoutesToTracksAllPoints,
     kEnglish,
     "2 routes became 2 tracks (37 points); 120 records copied unchanged."},
    {{.routesToTracks = 1, .trackPointsMade = 1, .recordsUnchanged = 1, .recordsDamaged = 1},
     kRoutesToTracksViaPoints,
     kDutch,
     "1 route omgezet in 1 track (1 punt); 1 record ongewijzigd gekopieerd; 1 record beschadigd."},
    {{.routesToTracks = 3, .trackPointsMade = 9, .recordsDamaged = 2},
     kRoutesToTracksAllPoints,
     kGerman,
     "3 Routen in 3 Tracks umgewandelt (9 Punkte); 2 Datensätze beschädigt."},
    {{.recordsUnchanged = 16},
     kRoutesToTracksViaPoints,
     kEnglish,
     "Nothing to convert: the file has no routes; 16 records copied unchanged."},
    {{.viasReclassified = 1, .recordsReclassified = 1},
     kViasToUserWaypoints,
     kEnglish,
     "1 auto-generated via point became a user waypoint via."},
    {{.viasReclassified = 2, .recordsReclassified = 1},
     kViasToUserWaypoints,
     kDutch,
     "2 automatisch-gegenereerde viapunten omgezet in gebruikers waypoint vias."},
    {{.viasReclassified = 1, .recordsReclassified = 1},
     kViasToHiddenVias,
     kDutch,
     "1 automatisch-gegenereerd viapunt omgezet in een verborgen viapunt."},
    {{.viasReclassified = 1, .recordsReclassified = 1, .recordsUnchanged = 1},
     kViasToUserWaypoints,
     kGerman,
     "1 automatisch erzeugter Zwischenpunkt in einen User-Zwischenpunkt umgewandelt; 1 Datensatz "
     "unverändert kopiert."},
    {{.recordsUnchanged = 8},
     kViasToHiddenVias,
     kEnglish,
     "Nothing to convert: the file has no auto-generated via points; 8 records copied unchanged."},
    {{},
     kViasToUserWaypoints,
     kDutch,
     "Niets te converteren: het bestand bevat geen automatisch-gegenereerde viapunten."},
    {{},
     kViasToHiddenVias,
     kGerman,
     "Nichts zu konvertieren: die Datei enthält keine automatisch erzeugten Zwischenpunkte."},
    {{.tracksToRoutes = 9, .routesMade = 11, .waypointsMade = 742, .tracksSkipped = 1},
     kTracksToRoutesUserVias,
     kEnglish,
     "9 tracks became 11 routes with 742 new waypoints; 1 track skipped."},
    {{.tracksToRoutes = 2, .routesMade = 0, .waypointsMade = 0, .tracksSkipped = 2},
     kTracksToRoutesHiddenVias,
     kGerman,
     "2 Tracks in 0 Routen mit 0 neuen Wegpunkten umgewandelt; 2 Tracks übersprungen."},
    {{.tracksToRoutes = 1, .routesMade = 1, .waypointsMade = 1},
     kTracksToRoutesUserVias,
     kGerman,
     "1 Track in 1 Route mit 1 neuen Wegpunkt umgewandelt."},
    // Skipped tracks are tracks: the file had some.
    {{.tracksSkipped = 1, .recordsUnchanged = 4},
     kTracksToRoutesUserVias,
     kDutch,
     "1 track overgeslagen; 4 records ongewijzigd gekopieerd."},
    {{.recordsUnchanged = 7},
     kTracksToRoutesUserVias,
     kEnglish,
     "Nothing to convert: the file has no tracks; 7 records copied unchanged."},
    {{.recordsUnchanged = 5, .recordsDamaged = 1},
     kTracksToRoutesUserVias,
     kGerman,
     "Nichts zu konvertieren: die Datei enthält keine Tracks; 5 Datensätze unverändert kopiert; 1 "
     "Datensatz beschädigt."},
    // One route per track: the via maximum and the farthest point in metres.
    {{.tracksToRoutes = 3, .routesMade = 3, .waypointsMade = 600, .farthestPointMetres = 18},
     kTracksToRoutesUserVias,
     kEnglish,
     "3 tracks became 3 routes of at most 250 via points; every track point lies within 18 m of "
     "its route.",
     250},
    {{.tracksToRoutes = 1, .routesMade = 1, .waypointsMade = 25, .tracksSkipped = 2},
     kTracksToRoutesHiddenVias,
     kDutch,
     "1 track omgezet in 1 route van hoogstens 25 viapunten; elk trackpunt ligt binnen 0 m van "
     "zijn route; 2 tracks overgeslagen.",
     25},
    {{.tracksToRoutes = 2,
      .routesMade = 2,
      .waypointsMade = 9,
      .recordsUnchanged = 1,
      .farthestPointMetres = 1204},
     kTracksToRoutesUserVias,
     kGerman,
     "2 Tracks in 2 Routen mit höchstens 1000 Zwischenpunkten umgewandelt; jeder Trackpunkt liegt "
     "höchstens 1204 m von seiner Route entfernt; 1 Datensatz unverändert kopiert.",
     1000},
    {{.recordsUnchanged = 7},
     kTracksToRoutesHiddenVias,
     kEnglish,
     "Nothing to convert: the file has no tracks; 7 records copied unchanged.",
     250},
};

TEST(SummaryTest, Wording) {
  for (const SummaryCase& c : kCases) {
    SCOPED_TRACE(c.text);
    const SummaryText summary = SummaryFor(c.counts, c.mode, c.language, c.oneRouteVias);
    EXPECT_EQ(summary.text, c.text);
    EXPECT_EQ(summary.title, TitleIn(c.language));
  }
}

TEST(SummaryTest, NoneInTheLanguageWithoutTexts) {
  const SummaryText summary =
      SummaryFor({.routesToTracks = 1}, kRoutesToTracksAllPoints, Language::kFourth);
  EXPECT_TRUE(summary.text.empty());
  EXPECT_TRUE(summary.title.empty());
}

}  // namespace
