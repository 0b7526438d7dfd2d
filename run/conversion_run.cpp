#include "conversion_run.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "conversion.h"
#include "conversion_state.h"
#include "decimal_field.h"
#include "file_io.h"
#include "file_streams.h"
#include "messages.h"
#include "output_file.h"
#include "record_dispatch.h"
#include "summary.h"

namespace {

constexpr uint32_t kFewestVias = 25;
constexpr uint32_t kMostVias = 1000;
// Each of a file stream's two buffers: a block per read or write, few enough
// hand-overs to the stream's thread.
constexpr size_t kFileBuffer = size_t{1} << 19;

// newFile: the output was written to a new file, which the run removed.
MessageId MessageFor(RunOutcome outcome, bool newFile) {
  switch (outcome) {
    case RunOutcome::InputPathEmpty:
      return MessageId::kInputPathEmpty;
    case RunOutcome::InputOpenFailed:
      return MessageId::kInputOpenFailed;
    case RunOutcome::OutputPathEmpty:
      return MessageId::kOutputPathEmpty;
    case RunOutcome::OutputOpenFailed:
      return MessageId::kOutputOpenFailed;
    case RunOutcome::ViaCountInvalid:
      return MessageId::kViaCountInvalid;
    case RunOutcome::NotGdbFormat:
      return MessageId::kNotGdbFormat;
    case RunOutcome::InputTruncated:
      return newFile ? MessageId::kInputTruncatedNoOutput : MessageId::kInputTruncated;
    case RunOutcome::OutputWriteFailed:
      return newFile ? MessageId::kOutputWriteFailedNoOutput : MessageId::kOutputWriteFailed;
    case RunOutcome::InputReadFailed:
      return MessageId::kInputReadFailed;
    case RunOutcome::Completed:
      break;
  }
  return MessageId::kCompleted;
}

void FlushTrace(const RunRequest& request) {
  if (request.trace != nullptr) request.trace->Flush();
}

// The message's text with a line naming the new file the run could not remove.
std::string WithFileLeft(const char* text, const std::string& left, Language language) {
  const char* line = TextFor(MessageId::kNewFileLeft, language).text;
  std::vector<char> named(std::strlen(line) + left.size() + 1);
  std::snprintf(named.data(), named.size(), line, left.c_str());
  return std::string(text) + "\n" + named.data();
}

// Shows the outcome's message in the request's language and returns the
// outcome. output: the run's output file, when it was opened; summary: what a
// completed run converted.
RunOutcome Report(const RunRequest& request, RunReporter& reporter, RunOutcome outcome,
                  const OutputFile* output = nullptr,
                  MessageStyle style = MessageStyle::Exclamation,
                  const SummaryText* summary = nullptr) {
  FlushTrace(request);
  const bool newFile = output != nullptr && output->WritesNewFile();
  const MessageText text = TextFor(MessageFor(outcome, newFile), request.language);
  if (text.text == nullptr) return outcome;
  const std::string shown = output != nullptr && !output->LeftPath().empty()
                                ? WithFileLeft(text.text, output->LeftPath(), request.language)
                                : std::string(text.text);
  if (outcome == RunOutcome::Completed && summary != nullptr) {
    reporter.ShowCompletion(shown, text.title, summary->text, summary->title);
  } else {
    reporter.ShowMessage(shown, text.title, style);
  }
  return outcome;
}

bool IsViaCountValid(uint32_t count) {
  return count - kFewestVias <= kMostVias - kFewestVias;
}

// Shows each record's message, in an "Info" box, as the record is done.
class InfoBoxes final : public RecordObserver {
 public:
  InfoBoxes(const RunRequest& request, RunReporter& reporter)
      : request_(request), reporter_(reporter) {}
  bool OnRecord(int result, const ConversionState& state) override {
    // A record cut short by the end of the input ends the run without its box.
    if (result != kInputEnded && state.messagePending == 1) {
      FlushTrace(request_);
      reporter_.ShowMessage(state.messageText, "Info", MessageStyle::Exclamation);
    }
    return true;
  }

 private:
  const RunRequest& request_;
  RunReporter& reporter_;
};

// How the engine's run ended, the first fault first: a read error ends the
// input as its end does, and is no truncation.
RunOutcome OutcomeOf(const ConversionResult& result, bool readFailed, bool written) {
  if (readFailed) return RunOutcome::InputReadFailed;
  if (!result.headerAccepted) return RunOutcome::NotGdbFormat;
  if (!written) return RunOutcome::OutputWriteFailed;
  if (result.inputEnded) return RunOutcome::InputTruncated;
  return RunOutcome::Completed;
}

// Runs the engine over the two open files, then completes the output or
// discards it, and closes the input.
// readAhead: the input may be read beyond what the engine asks for. Not for a
// pipe, whose writer may hold it open after the end record.
RunOutcome ConvertFiles(const RunRequest& request, RunReporter& reporter,
                        const ConversionSettings& settings, int inputFd, OutputFile& outputFile,
                        bool readAhead) {
  // The state is large; a run holds one of its own.
  const auto state = NewConversionState();
  ConversionResult result;
  bool written = false;
  bool readFailed = false;
  {
    BlockMover mover;
    FileInputStream input(inputFd, kFileBuffer, readAhead ? &mover : nullptr);
    FileOutputStream output(outputFile.Descriptor(), kFileBuffer, &mover);
    InfoBoxes infoBoxes(request, reporter);
    result = ConvertGdb(*state, settings, input, output, ModeForOption(request.option), &infoBoxes);
    written = output.Flush();
    readFailed = input.Failed();
  }
  fileio::CloseFile(inputFd);
  RunOutcome outcome = OutcomeOf(result, readFailed, written);
  if (outcome == RunOutcome::Completed) {
    if (!outputFile.Complete()) outcome = RunOutcome::OutputWriteFailed;
  } else if (outputFile.WritesNewFile()) {
    outputFile.Discard();
  } else {
    // Written in place: what was written stays, as the message says.
    outputFile.Complete();
  }
  const MessageStyle style =
      outcome == RunOutcome::Completed ? MessageStyle::Plain : MessageStyle::Exclamation;
  const SummaryText summary =
      SummaryFor(result.counts, ModeForOption(request.option), request.language);
  return Report(request, reporter, outcome, &outputFile, style, &summary);
}

}  // namespace

void RunReporter::ShowCompletion(const std::string& text, const std::string& title,
                                 const std::string& summaryText,
                                 const std::string& /*summaryTitle*/) {
  ShowMessage(summaryText.empty() ? text : text + "\n" + summaryText, title, MessageStyle::Plain);
}

RunOutcome RunConversion(const RunRequest& request, RunReporter& reporter) {
  reporter.OnStep(RunStep::kInputPath);
  if (request.inputPath.empty()) {
    return Report(request, reporter, RunOutcome::InputPathEmpty);
  }
  const int inputFd = fileio::OpenForReading(request.inputPath);
  if (inputFd == fileio::kNoFile) {
    return Report(request, reporter, RunOutcome::InputOpenFailed);
  }
  const auto refuse = [&](RunOutcome outcome) {
    fileio::CloseFile(inputFd);
    return Report(request, reporter, outcome);
  };
  reporter.OnStep(RunStep::kOutputPath);
  const std::string& outputPath = request.outputPath;
  if (outputPath.empty()) return refuse(RunOutcome::OutputPathEmpty);
  // The output in place of the input would read and write one file; and
  // write permission does not stop every user from opening a file for
  // writing, so read-only outputs are refused by their bits.
  if (fileio::IsSameFile(request.inputPath, outputPath) ||
      fileio::IsExistingReadOnlyFile(outputPath)) {
    return refuse(RunOutcome::OutputOpenFailed);
  }
  ConversionSettings settings;
  settings.language = request.language;
  settings.trace = request.trace;
  if (IsTrackToRoute(ModeForOption(request.option))) {
    reporter.OnStep(RunStep::kViaText);
    settings.maxViasPerRoute = ParseDecimalField(request.viaText).value;
    if (!IsViaCountValid(settings.maxViasPerRoute)) {
      return refuse(RunOutcome::ViaCountInvalid);
    }
  }
  OutputFile outputFile;
  if (!outputFile.Open(outputPath)) return refuse(RunOutcome::OutputOpenFailed);
  return ConvertFiles(request, reporter, settings, inputFd, outputFile,
                      fileio::IsRegularFile(inputFd));
}
