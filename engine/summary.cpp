#include "summary.h"

#include <cstdint>
#include <string>
#include <vector>

#include "messages.h"

namespace {

// The summary tells what a run did; the preview's prospect what it would do.
enum class Tense { kDone, kProspect };

std::string Counted(uint64_t count, CountedId id, Language language) {
  const CountedText words = CountedTextFor(id, language);
  return std::to_string(count) + " " + (count == 1 ? words.one : words.many);
}

// text with each "%s" replaced by the next of parts, in order.
std::string Filled(const char* text, const std::vector<std::string>& parts) {
  std::string filled;
  size_t next = 0;
  for (const char* at = text; *at != '\0'; ++at) {
    if (at[0] == '%' && at[1] == 's' && next < parts.size()) {
      filled += parts[next++];
      ++at;
    } else {
      filled += *at;
    }
  }
  return filled;
}

// A first part: done, or as a prospect, whose verb agrees with firstCount.
std::string FirstPart(Tense tense, MessageId done, CountedId prospect, uint64_t firstCount,
                      const std::vector<std::string>& parts, Language language) {
  if (tense == Tense::kDone) return Filled(TextFor(done, language).text, parts);
  const CountedText forms = CountedTextFor(prospect, language);
  return Filled(firstCount == 1 ? forms.one : forms.many, parts);
}

std::string RoutesToTracks(const ConversionCounts& counts, Tense tense, Language language) {
  if (counts.routesToTracks == 0) return TextFor(MessageId::kNothingNoRoutes, language).text;
  return FirstPart(tense, MessageId::kSummaryRoutesToTracks, CountedId::kProspectRoutesToTracks,
                   counts.routesToTracks,
                   {Counted(counts.routesToTracks, CountedId::kRoutes, language),
                    Counted(counts.routesToTracks, CountedId::kTracks, language),
                    Counted(counts.trackPointsMade, CountedId::kPoints, language)},
                   language);
}

std::string ViasReclassified(const ConversionCounts& counts, ConversionMode mode, Tense tense,
                             Language language) {
  if (counts.viasReclassified == 0) return TextFor(MessageId::kNothingNoAutoVias, language).text;
  const bool user = mode == ConversionMode::kViasToUserWaypoints;
  const CountedId done = user ? CountedId::kViasToUserVias : CountedId::kViasToHiddenVias;
  const CountedId prospect =
      user ? CountedId::kViasWouldBecomeUserVias : CountedId::kViasWouldBecomeHiddenVias;
  return Counted(counts.viasReclassified, tense == Tense::kDone ? done : prospect, language);
}

// A track skipped is a track all the same: "no tracks" only when there was none.
void AddTracksToRoutes(std::vector<std::string>& parts, const ConversionCounts& counts, Tense tense,
                       Language language, uint32_t oneRouteVias) {
  if (counts.tracksToRoutes == 0 && counts.tracksSkipped == 0) {
    parts.emplace_back(TextFor(MessageId::kNothingNoTracks, language).text);
    return;
  }
  const std::string tracks = Counted(counts.tracksToRoutes, CountedId::kTracks, language);
  const std::string routes = Counted(counts.routesMade, CountedId::kRoutes, language);
  if (counts.tracksToRoutes > 0 && oneRouteVias > 0) {
    parts.push_back(FirstPart(tense, MessageId::kSummaryTracksToOneRoute,
                              CountedId::kProspectTracksToOneRoute, counts.tracksToRoutes,
                              {tracks, routes, std::to_string(oneRouteVias)}, language));
    const MessageId farthest = tense == Tense::kDone ? MessageId::kSummaryFarthestPoint
                                                     : MessageId::kProspectFarthestPoint;
    parts.push_back(
        Filled(TextFor(farthest, language).text, {std::to_string(counts.farthestPointMetres)}));
  } else if (counts.tracksToRoutes > 0) {
    parts.push_back(FirstPart(
        tense, MessageId::kSummaryTracksToRoutes, CountedId::kProspectTracksToRoutes,
        counts.tracksToRoutes,
        {tracks, routes, Counted(counts.waypointsMade, CountedId::kNewWaypoints, language)},
        language));
  }
  if (counts.tracksSkipped > 0) {
    const CountedId skipped =
        tense == Tense::kDone ? CountedId::kTracksSkipped : CountedId::kTracksWouldBeSkipped;
    parts.push_back(Counted(counts.tracksSkipped, skipped, language));
  }
}

// What the mode converts, or that the file had nothing for it.
std::vector<std::string> ConversionParts(const ConversionCounts& counts, ConversionMode mode,
                                         Tense tense, Language language, uint32_t oneRouteVias) {
  std::vector<std::string> parts;
  if (IsRouteToTrack(mode)) parts.push_back(RoutesToTracks(counts, tense, language));
  if (IsReclassifying(mode)) parts.push_back(ViasReclassified(counts, mode, tense, language));
  if (IsTrackToRoute(mode)) AddTracksToRoutes(parts, counts, tense, language, oneRouteVias);
  return parts;
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string joined;
  for (const std::string& part : parts) joined += (joined.empty() ? "" : "; ") + part;
  return joined;
}

}  // namespace

SummaryText SummaryFor(const ConversionCounts& counts, ConversionMode mode, Language language,
                       uint32_t oneRouteVias) {
  const MessageText frame = TextFor(MessageId::kSummary, language);
  if (frame.text == nullptr) return {};
  std::vector<std::string> parts =
      ConversionParts(counts, mode, Tense::kDone, language, oneRouteVias);
  if (counts.recordsUnchanged > 0) {
    parts.push_back(Counted(counts.recordsUnchanged, CountedId::kRecordsUnchanged, language));
  }
  if (counts.recordsDamaged > 0) {
    parts.push_back(Counted(counts.recordsDamaged, CountedId::kRecordsDamaged, language));
  }
  return {Filled(frame.text, {Joined(parts)}), frame.title};
}

std::string ProspectFor(const ConversionCounts& counts, ConversionMode mode, Language language,
                        uint32_t oneRouteVias) {
  if (TextFor(MessageId::kSummary, language).text == nullptr) return {};
  return Joined(ConversionParts(counts, mode, Tense::kProspect, language, oneRouteVias));
}
