// Every text a user can be shown, in the three languages: the messages the
// engine leaves after a record and the outcome messages of a conversion run.
// All texts are UTF-8.
#pragma once

#include "gdb_types.h"

enum class MessageId {
  // The run's outcomes.
  kInputPathEmpty,
  kInputOpenFailed,
  kOutputPathEmpty,
  kOutputOpenFailed,
  kViaCountInvalid,
  kNotGdbFormat,
  kInputTruncated,
  kOutputWriteFailed,
  kInputReadFailed,
  // The same outcomes of a run that wrote a new file and removed it.
  kInputTruncatedNoOutput,
  kOutputWriteFailedNoOutput,
  // A read error after bytes reached an output written in place.
  kInputReadFailedIncomplete,
  kCompleted,
  // The user stopped the run: before any byte reached the output, and after.
  kStopped,
  kStoppedIncomplete,
  kConversionFailed,  // out of memory
  kConversionFailedIncomplete,
  // A line added to the outcome's message when the new file stayed; "%s": its path.
  kNewFileLeft,
  kFileLeftEarlier,  // "%s": a new file an earlier run left beside the output
  // A line added to the message of a file that could not be opened, read or
  // written, saying why; "%s": the file's path as the user gave it.
  kFileNotFound,
  kFolderNotFound,
  kIsFolder,
  kIsInputFile,
  kIsReadOnly,
  kPermissionDenied,
  kDiskFull,
  kFileTooLarge,
  kTooManyLinks,
  kSystemRefused,
  kNotEnoughMemory,  // a reason without a path
  // The engine's messages after a record; the title is the per-record box's.
  kPointLimit,     // the same text in every language
  kTrackSkipped,   // "%s": the track's name
  kRecordDamaged,  // "%u": the record's number
  // The command line: the trace on standard output stopped, the run did not.
  kTraceWriteFailed,
  // The summary line of a completed run (see summary.h): "%s" its parts,
  // joined by "; ". The title is the command line's.
  kSummary,
  // Its first part: "%s" a count and its noun (CountedText), in this order.
  kSummaryRoutesToTracks,  // routes, tracks, points
  kSummaryTracksToRoutes,  // tracks, routes, new waypoints
  // One route per track: tracks, routes, the via maximum as a number; then,
  // a part of its own, the largest distance of a track point in metres.
  kSummaryTracksToOneRoute,
  kSummaryFarthestPoint,
  // The preview's line of what a run would do (ProspectFor): the farthest
  // point, "%s" in metres.
  kProspectFarthestPoint,
  kNothingNoRoutes,
  kNothingNoTracks,
  kNothingNoAutoVias,
  // A window's record message: the text of its check box, and the line the
  // run's last box adds when the check box silenced messages ("%u": how many).
  // Neither has a title.
  kShowNoMoreMessages,
  kMessagesNotShown,
  // A window's question before a run replaces an output file that exists;
  // "%s": the output's path. Answered Yes or No.
  kReplaceOutput,
  // A window's box at the end of a completed run: the line that names the
  // output ("%s": its path) and the button that opens its folder. No title.
  kOutputFileLine,
  kOpenFolder,
};

struct MessageText {
  const char* text;
  const char* title;
};

// The message in English, Dutch or German; both null for the fourth language,
// which has no texts.
MessageText TextFor(MessageId id, Language language);

// What follows a count in the summary line, singular and plural: a noun, or
// a part of the line that is one count and its words. The first part of the
// preview's line of what a run would do is picked the same way by its first
// count, whose verb follows that count.
enum class CountedId {
  kRoutes,
  kTracks,
  kPoints,
  kNewWaypoints,
  kViasToUserVias,
  kViasToHiddenVias,
  kTracksSkipped,
  // The preview's line: its first part, "%s" a count and its noun as in the
  // summary's first part; then the parts that are one count and its words.
  kProspectRoutesToTracks,    // routes, tracks, points
  kProspectTracksToRoutes,    // tracks, routes, new waypoints
  kProspectTracksToOneRoute,  // tracks, routes, the via maximum as a number
  kViasWouldBecomeUserVias,
  kViasWouldBecomeHiddenVias,
  kTracksWouldBeSkipped,
  kRecordsUnchanged,
  kRecordsDamaged,
};

struct CountedText {
  const char* one;   // after a count of 1
  const char* many;  // after any other count
};

// The words in English, Dutch or German; both null for the fourth language.
CountedText CountedTextFor(CountedId id, Language language);
