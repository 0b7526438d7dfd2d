#include "conversion_run.h"

#include <cstdint>
#include <cstdio>
#include <memory>

#include "conversion.h"
#include "conversion_state.h"
#include "decimal_field.h"
#include "file_guard.h"
#include "file_streams.h"
#include "messages.h"
#include "record_dispatch.h"

namespace {

constexpr uint32_t kFewestVias = 25;
constexpr uint32_t kMostVias = 1000;
// Each of a file stream's two buffers: a block per read or write, few enough
// hand-overs to the stream's thread.
constexpr size_t kFileBuffer = size_t{1} << 19;

MessageId MessageFor(RunOutcome outcome) {
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
      return MessageId::kInputTruncated;
    case RunOutcome::OutputWriteFailed:
      return MessageId::kOutputWriteFailed;
    case RunOutcome::Completed:
      break;
  }
  return MessageId::kCompleted;
}

void FlushTrace(const RunRequest& request) {
  if (request.trace != nullptr) request.trace->Flush();
}

// Shows the outcome's message in the request's language and returns the outcome.
RunOutcome Report(const RunRequest& request, RunReporter& reporter, RunOutcome outcome,
                  MessageStyle style = MessageStyle::Exclamation) {
  FlushTrace(request);
  const MessageText text = TextFor(MessageFor(outcome), request.language);
  if (text.text != nullptr) reporter.ShowMessage(text.text, text.title, style);
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

// Runs the engine over the two open files and closes them, output first.
// readAhead: the input may be read beyond what the engine asks for. Not for a
// pipe, whose writer may hold it open after the end record.
RunOutcome ConvertFiles(const RunRequest& request, RunReporter& reporter,
                        const ConversionSettings& settings, std::FILE* inputFile,
                        std::FILE* outputFile, bool readAhead) {
  // The state is large; a run holds one of its own.
  const auto state = NewConversionState();
  ConversionResult result;
  bool written = false;
  {
    BlockMover mover;
    FileInputStream input(inputFile, kFileBuffer, readAhead ? &mover : nullptr);
    FileOutputStream output(outputFile, kFileBuffer, &mover);
    InfoBoxes infoBoxes(request, reporter);
    result = ConvertGdb(*state, settings, input, output, ModeForOption(request.option), &infoBoxes);
    written = output.Flush();
  }
  written = (std::fclose(outputFile) == 0) && written;
  std::fclose(inputFile);
  if (!result.headerAccepted) return Report(request, reporter, RunOutcome::NotGdbFormat);
  if (!written) return Report(request, reporter, RunOutcome::OutputWriteFailed);
  if (result.inputEnded) return Report(request, reporter, RunOutcome::InputTruncated);
  return Report(request, reporter, RunOutcome::Completed, MessageStyle::Plain);
}

}  // namespace

RunOutcome RunConversion(const RunRequest& request, RunReporter& reporter) {
  reporter.OnStep(RunStep::kInputPath);
  if (request.inputPath.empty()) {
    return Report(request, reporter, RunOutcome::InputPathEmpty);
  }
  std::FILE* inputFile = OpenFile(request.inputPath, "rb");
  if (inputFile == nullptr) {
    return Report(request, reporter, RunOutcome::InputOpenFailed);
  }
  ReadOnlyGuard readOnly(request.inputPath);

  const auto refuse = [&](RunOutcome outcome) {
    std::fclose(inputFile);
    readOnly.Restore();
    return Report(request, reporter, outcome);
  };
  reporter.OnStep(RunStep::kOutputPath);
  const std::string& outputPath = request.outputPath;
  if (outputPath.empty()) return refuse(RunOutcome::OutputPathEmpty);
  // Write permission does not stop every user from opening a file for
  // writing, so the input and read-only outputs are refused by name as well.
  if (IsSameFile(request.inputPath, outputPath) || IsExistingReadOnlyFile(outputPath)) {
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
  std::FILE* outputFile = OpenFile(outputPath, "wb");
  readOnly.Restore();
  if (outputFile == nullptr) {
    return refuse(RunOutcome::OutputOpenFailed);
  }
  return ConvertFiles(request, reporter, settings, inputFile, outputFile,
                      IsRegularFile(request.inputPath));
}
