#include "summary.h"

#include <cstdint>
#include <string>
#include <vector>

#include "messages.h"

namespace {

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

std::string RoutesToTracks(const ConversionCounts& counts, Language language) {
  if (counts.routesToTracks == 0) return TextFor(MessageId::kNothingNoRoutes, language).text;
  return Filled(TextFor(MessageId::kSummaryRoutesToTracks, language).text,
                {Counted(counts.routesToTracks, CountedId::kRoutes, language),
                 Counted(counts.routesToTracks, CountedId::kTracks, language),
                 Counted(counts.trackPointsMade, CountedId::kPoints, language)});
}

std::string ViasReclassified(const ConversionCounts& counts, ConversionMode mode,
                             Language language) {
  if (counts.viasReclassified == 0) return TextFor(MessageId::kNothingNoAutoVias, language).text;
  const CountedId id = mode == ConversionMode::kViasToUserWaypoints ? CountedId::kViasToUserVias
                                                                    : CountedId::kViasToHiddenVias;
  return Counted(counts.viasReclassified, id, language);
}

// A track skipped is a track all the same: "no tracks" only when there was none.
void AddTracksToRoutes(std::vector<std::string>& parts, const ConversionCounts& counts,
                       Language language, uint32_t oneRouteVias) {
  if (counts.tracksToRoutes == 0 && counts.tracksSkipped == 0) {
    parts.emplace_back(TextFor(MessageId::kNothingNoTracks, language).text);
    return;
  }
  if (counts.tracksToRoutes > 0 && oneRouteVias > 0) {
    parts.push_back(Filled(
        TextFor(MessageId::kSummaryTracksToOneRoute, language).text,
        {Counted(counts.tracksToRoutes, CountedId::kTracks, language),
         Counted(counts.routesMade, CountedId::kRoutes, language), std::to_string(oneRouteVias)}));
    parts.push_back(Filled(TextFor(MessageId::kSummaryFarthestPoint, language).text,
                           {std::to_string(counts.farthestPointMetres)}));
  } else if (counts.tracksToRoutes > 0) {
    parts.push_back(Filled(TextFor(MessageId::kSummaryTracksToRoutes, language).text,
                           {Counted(counts.tracksToRoutes, CountedId::kTracks, language),
                            Counted(counts.routesMade, CountedId::kRoutes, language),
                            Counted(counts.waypointsMade, CountedId::kNewWaypoints, language)}));
  }
  if (counts.tracksSkipped > 0) {
    parts.push_back(Counted(counts.tracksSkipped, CountedId::kTracksSkipped, language));
  }
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
  std::vector<std::string> parts;
  if (IsRouteToTrack(mode)) parts.push_back(RoutesToTracks(counts, language));
  if (IsReclassifying(mode)) parts.push_back(ViasReclassified(counts, mode, language));
  if (IsTrackToRoute(mode)) AddTracksToRoutes(parts, counts, language, oneRouteVias);
  if (counts.recordsUnchanged > 0) {
    parts.push_back(Counted(counts.recordsUnchanged, CountedId::kRecordsUnchanged, language));
  }
  if (counts.recordsDamaged > 0) {
    parts.push_back(Counted(counts.recordsDamaged, CountedId::kRecordsDamaged, language));
  }
  return {Filled(frame.text, {Joined(parts)}), frame.title};
}
