#include "messages.h"

#include "catalogue.h"

namespace {

struct MessageRow {
  MessageId id;
  TextKey text;
  TextKey title;
};

// The parts of the summary line and of a window's boxes have no title of their own.
constexpr TextKey kNoTitle{nullptr, nullptr};

// Each message's context is its name, so that a translator can tell which
// message a text is; the titles are shared.
constexpr MessageRow kMessages[] = {
    {MessageId::kInputPathEmpty, T_("InputPathEmpty", "No input file specified"),
     T_("message title", "File error")},
    {MessageId::kInputOpenFailed, T_("InputOpenFailed", "Cannot open input file"),
     T_("message title", "File error")},
    {MessageId::kOutputPathEmpty, T_("OutputPathEmpty", "No output file specified"),
     T_("message title", "File error")},
    {MessageId::kOutputOpenFailed,
     T_("OutputOpenFailed", "Cannot open output file\nSame file as input or Read-Only?"),
     T_("message title", "File error")},
    {MessageId::kViaCountInvalid, T_("ViaCountInvalid", "Number of via points per route invalid"),
     T_("message title", "Error")},
    {MessageId::kNotGdbFormat, T_("NotGdbFormat", "Input file is not in GDB format"),
     T_("message title", "File error")},
    {MessageId::kInputTruncated,
     T_("InputTruncated", "Input file ends before its end record - output is incomplete"),
     T_("message title", "File error")},
    {MessageId::kOutputWriteFailed, T_("OutputWriteFailed", "Error writing output file"),
     T_("message title", "File error")},
    {MessageId::kInputReadFailed,
     T_("InputReadFailed", "Error reading input file - no output written"),
     T_("message title", "File error")},
    {MessageId::kInputTruncatedNoOutput,
     T_("InputTruncatedNoOutput", "Input file ends before its end record - no output written"),
     T_("message title", "File error")},
    {MessageId::kOutputWriteFailedNoOutput,
     T_("OutputWriteFailedNoOutput", "Error writing output file - no output written"),
     T_("message title", "File error")},
    {MessageId::kInputReadFailedIncomplete,
     T_("InputReadFailedIncomplete", "Error reading input file - output is incomplete"),
     T_("message title", "File error")},
    {MessageId::kNewFileLeft, T_("NewFileLeft", "The unfinished file %s could not be removed"),
     T_("message title", "File error")},
    {MessageId::kFileLeftEarlier,
     T_("FileLeftEarlier", "A file left by an earlier run that was stopped: %s"),
     T_("message title", "Info")},
    {MessageId::kFileNotFound, T_("FileNotFound", "%s: the file does not exist"),
     T_("message title", "File error")},
    {MessageId::kFolderNotFound, T_("FolderNotFound", "%s: the folder does not exist"),
     T_("message title", "File error")},
    {MessageId::kIsFolder, T_("IsFolder", "%s: is a folder"), T_("message title", "File error")},
    {MessageId::kIsInputFile, T_("IsInputFile", "%s: is the input file"),
     T_("message title", "File error")},
    {MessageId::kIsReadOnly, T_("IsReadOnly", "%s: is read-only"),
     T_("message title", "File error")},
    {MessageId::kPermissionDenied, T_("PermissionDenied", "%s: permission denied"),
     T_("message title", "File error")},
    {MessageId::kDiskFull, T_("DiskFull", "%s: the disk is full"),
     T_("message title", "File error")},
    {MessageId::kFileTooLarge, T_("FileTooLarge", "%s: the file is too large"),
     T_("message title", "File error")},
    {MessageId::kTooManyLinks, T_("TooManyLinks", "%s: the path has too many links"),
     T_("message title", "File error")},
    {MessageId::kSystemRefused, T_("SystemRefused", "%s: the system refused it"),
     T_("message title", "File error")},
    {MessageId::kNotEnoughMemory, T_("NotEnoughMemory", "not enough memory"), kNoTitle},
    {MessageId::kCompleted, T_("Completed", "GDB file conversion completed"),
     T_("message title", "Finished")},
    {MessageId::kStopped, T_("Stopped", "Conversion stopped - no output written"),
     T_("message title", "Info")},
    {MessageId::kStoppedIncomplete,
     T_("StoppedIncomplete", "Conversion stopped - output is incomplete"),
     T_("message title", "Info")},
    {MessageId::kConversionFailed,
     T_("ConversionFailed", "Conversion failed - no output written"), T_("message title", "Error")},
    {MessageId::kConversionFailedIncomplete,
     T_("ConversionFailedIncomplete", "Conversion failed - output is incomplete"),
     T_("message title", "Error")},
    {MessageId::kPointLimit, T_("PointLimit", "Route point limit reached - track truncated!"),
     T_("message title", "Info")},
    {MessageId::kTrackSkipped,
     T_("TrackSkipped", "Cannot convert more then 10000 trackpoints,\ntrack \"%s\" skipped."),
     T_("message title", "Info")},
    {MessageId::kRecordDamaged,
     T_("RecordDamaged", "Record %u is damaged: converted the part that could be read"),
     T_("message title", "Info")},
    {MessageId::kTraceWriteFailed,
     T_("TraceWriteFailed", "standard output could not be written; the conversion went on"),
     T_("message title", "Trace")},
    {MessageId::kSummary, T_("Summary", "%s."), T_("message title", "Summary")},
    {MessageId::kSummaryRoutesToTracks, T_("SummaryRoutesToTracks", "%s became %s (%s)"), kNoTitle},
    {MessageId::kSummaryTracksToRoutes, T_("SummaryTracksToRoutes", "%s became %s with %s"),
     kNoTitle},
    {MessageId::kSummaryTracksToOneRoute,
     T_("SummaryTracksToOneRoute", "%s became %s of at most %s via points"), kNoTitle},
    {MessageId::kSummaryFarthestPoint,
     T_("SummaryFarthestPoint", "every track point lies within %s m of its route"), kNoTitle},
    {MessageId::kProspectFarthestPoint,
     T_("ProspectFarthestPoint", "every track point lies within %s m"), kNoTitle},
    {MessageId::kNothingNoRoutes,
     T_("NothingNoRoutes", "Nothing to convert: the file has no routes"), kNoTitle},
    {MessageId::kNothingNoTracks,
     T_("NothingNoTracks", "Nothing to convert: the file has no tracks"), kNoTitle},
    {MessageId::kNothingNoAutoVias,
     T_("NothingNoAutoVias", "Nothing to convert: the file has no auto-generated via points"),
     kNoTitle},
    {MessageId::kShowNoMoreMessages,
     T_("ShowNoMoreMessages", "Show no more messages for this conversion"), kNoTitle},
    {MessageId::kMessagesNotShown, T_("MessagesNotShown", "%u more messages were not shown."),
     kNoTitle},
    {MessageId::kReplaceOutput,
     T_("ReplaceOutput", "Output file %s already exists.\nDo you want to replace it?"),
     T_("message title", "Info")},
    {MessageId::kOutputFileLine, T_("OutputFileLine", "Output file: %s"), kNoTitle},
    {MessageId::kOpenFolder, T_("OpenFolder", "Open folder"), kNoTitle},
};

struct CountedRow {
  CountedId id;
  PluralKey words;
};

constexpr CountedRow kCounted[] = {
    {CountedId::kRoutes, NT_("summary count", "route", "routes")},
    {CountedId::kTracks, NT_("summary count", "track", "tracks")},
    {CountedId::kPoints, NT_("summary count", "point", "points")},
    {CountedId::kNewWaypoints, NT_("summary count", "new waypoint", "new waypoints")},
    {CountedId::kViasToUserVias,
     NT_("summary count", "auto-generated via point became a user waypoint via",
         "auto-generated via points became user waypoint vias")},
    {CountedId::kViasToHiddenVias,
     NT_("summary count", "auto-generated via point became a hidden via point",
         "auto-generated via points became hidden via points")},
    {CountedId::kTracksSkipped, NT_("summary count", "track skipped", "tracks skipped")},
    {CountedId::kProspectRoutesToTracks,
     // TRANSLATORS: what a conversion would make, shown before it runs. Each
     // %s is a count and its noun ("2 routes", "2 tracks", "37 points"); the
     // form follows the first count.
     NT_("ProspectRoutesToTracks", "%s would become %s (%s)", "%s would become %s (%s)")},
    {CountedId::kProspectTracksToRoutes,
     NT_("ProspectTracksToRoutes", "%s would become %s with %s", "%s would become %s with %s")},
    {CountedId::kProspectTracksToOneRoute,
     NT_("ProspectTracksToOneRoute", "%s would become %s of at most %s via points",
         "%s would become %s of at most %s via points")},
    {CountedId::kViasWouldBecomeUserVias,
     NT_("prospect count", "auto-generated via point would become a user waypoint via",
         "auto-generated via points would become user waypoint vias")},
    {CountedId::kViasWouldBecomeHiddenVias,
     NT_("prospect count", "auto-generated via point would become a hidden via point",
         "auto-generated via points would become hidden via points")},
    {CountedId::kTracksWouldBeSkipped,
     NT_("prospect count", "track would be skipped", "tracks would be skipped")},
    {CountedId::kRecordsUnchanged,
     NT_("summary count", "record copied unchanged", "records copied unchanged")},
    {CountedId::kRecordsDamaged, NT_("summary count", "record damaged", "records damaged")},
};

}  // namespace

MessageText TextFor(MessageId id, Language language) {
  for (const MessageRow& row : kMessages) {
    if (row.id == id) return {Translate(row.text, language), Translate(row.title, language)};
  }
  return {nullptr, nullptr};
}

CountedText CountedTextFor(CountedId id, Language language) {
  for (const CountedRow& row : kCounted) {
    if (row.id != id) continue;
    const PluralText words = TranslatePlural(row.words, language);
    return {words.one, words.many};
  }
  return {nullptr, nullptr};
}
