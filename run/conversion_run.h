// One conversion run: from a request (two paths, the mode, the via-point
// maximum, the language) to a finished output file, with every message shown
// through a reporter. The run knows nothing of a toolkit: the Qt window fills
// a request from its controls, the command line from its arguments, the tests
// directly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "byte_stream.h"
#include "gdb_types.h"

// The via-point maximum of the modes that make routes of tracks when none was typed.
inline constexpr uint32_t kDefaultViaCount = 250;

// The via-point maximum of a via text (the window's field, the command line's
// argument), as a request carries it: digits only, 25 to 1000. Nothing for a
// text the run refuses.
std::optional<uint32_t> ViaCountOf(std::string_view viaText);

enum class MessageStyle {
  Exclamation,  // warning icon, one OK button
  Plain,        // no icon, one OK button
};

// Told how far a run has read its input, on the run's thread, and asked
// whether it goes on.
class RunProgress {
 public:
  virtual ~RunProgress() = default;
  // The input is open: its size in bytes, 0 for one whose size is not known
  // before its end (a pipe, a device).
  virtual void OnInputSize(uint64_t /*bytes*/) {}
  // A block of the input has been read; bytesRead: all read so far. False
  // stops the run before the engine sees the block (RunOutcome::Stopped).
  virtual bool OnInputRead(uint64_t bytesRead) = 0;
};

struct RunRequest {
  std::string inputPath;   // UTF-8
  std::string outputPath;  // UTF-8
  ConversionMode mode = ConversionMode::kRoutesToTracksAllPoints;
  // The via-point maximum per route of the modes that make routes of tracks,
  // 25 to 1000 (ViaCountOf); nothing when the text it was read from is one the
  // run refuses: the run says so where it takes the count up (RunStep::kViaText).
  std::optional<uint32_t> viaCount = kDefaultViaCount;
  // Modes that make routes of tracks: one route per track, its vias chosen to follow the track.
  bool oneRoute = false;
  Language language = Language::kEnglish;
  OutputStream* trace = nullptr;    // the engine's trace lines; null for none. Not owned.
  RunProgress* progress = nullptr;  // null for none. Not owned.
};

// The steps at which the run takes up a field of the request, in this order.
enum class RunStep {
  kInputPath,   // before the input is opened
  kOutputPath,  // the input is open
  kViaText,     // modes that make routes of tracks: the output is checked, not yet opened
};

class RunReporter {
 public:
  virtual ~RunReporter() = default;
  // A message box; returns when the user has closed it. Texts are UTF-8,
  // except that a message after a record may carry a name's bytes as the
  // file has them, their unsafe characters marked (see TextForWindow and
  // TextForTerminal in text_utils.h).
  virtual void ShowMessage(const std::string& text, const std::string& title,
                           MessageStyle style) = 0;
  // A message the engine left after a record, in an "Info" box; by default
  // shown as any other message.
  virtual void ShowRecordMessage(const std::string& text, const std::string& title,
                                 MessageStyle style) {
    ShowMessage(text, title, style);
  }
  // The completion message and, under its own title, the summary of what the
  // run converted (summaryText empty when there is none). By default one box:
  // the summary as the message's last line.
  virtual void ShowCompletion(const std::string& text, const std::string& title,
                              const std::string& summaryText, const std::string& summaryTitle);
  // A run begins; a reporter that serves several runs starts afresh.
  virtual void OnRunStart(const RunRequest& /*request*/) {}
  // The run has come to a step; nothing to do for most reporters.
  virtual void OnStep(RunStep /*step*/) {}
};

enum class RunOutcome {
  Completed,  // the end record was converted; the completion message was due
  InputPathEmpty,
  InputOpenFailed,
  OutputPathEmpty,
  OutputOpenFailed,
  ViaCountInvalid,
  NotGdbFormat,
  InputTruncated,  // the input ended before its end record
  OutputWriteFailed,
  InputReadFailed,
  Stopped,  // RunProgress said so; a new output file was removed
  OutOfMemory,  // an allocation failed; a new output file was removed
};

// Whether RunConversion would refuse the request before it writes anything:
// no input, one it cannot open, no output, an output that is the input or
// read-only, or a via count it refuses. Shows nothing. An input that is no
// regular file (a pipe, a device) is not opened: it would be read once only.
bool RefusedBeforeWriting(const RunRequest& request);

// Runs one conversion. Returns how it ended; every message has been shown
// through the reporter when it returns.
RunOutcome RunConversion(const RunRequest& request, RunReporter& reporter);
