#include "conversion_run.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "catalogue.h"
#include "conversion.h"
#include "conversion_state.h"
#include "decimal_field.h"
#include "file_io.h"
#include "file_streams.h"
#include "messages.h"
#include "output_file.h"
#include "record_dispatch.h"
#include "summary.h"
#include "text_utils.h"

namespace {

constexpr uint32_t kFewestVias = 25;
constexpr uint32_t kMostVias = 1000;
// Each of a file stream's two buffers: a block per read or write, few enough
// hand-overs to the stream's thread.
constexpr size_t kFileBuffer = size_t{1} << 19;

// untouched: no byte reached the output itself.
MessageId MessageFor(RunOutcome outcome, bool untouched) {
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
      return untouched ? MessageId::kInputTruncatedNoOutput : MessageId::kInputTruncated;
    case RunOutcome::OutputWriteFailed:
      return untouched ? MessageId::kOutputWriteFailedNoOutput : MessageId::kOutputWriteFailed;
    case RunOutcome::InputReadFailed:
      return untouched ? MessageId::kInputReadFailed : MessageId::kInputReadFailedIncomplete;
    case RunOutcome::Stopped:
      return untouched ? MessageId::kStopped : MessageId::kStoppedIncomplete;
    case RunOutcome::OutOfMemory:
      return untouched ? MessageId::kConversionFailed : MessageId::kConversionFailedIncomplete;
    case RunOutcome::Completed:
      break;
  }
  return MessageId::kCompleted;
}

void FlushTrace(const RunRequest& request) {
  if (request.trace != nullptr) request.trace->Flush();
}

// Why a file failed, and which: the line below the outcome's message.
struct Reason {
  const std::string* path = nullptr;  // as the request gives it; null: no line
  MessageId line = MessageId::kSystemRefused;
};

// Why a run failed that no file is to blame for.
const std::string kNoPath;
const Reason kOutOfMemoryReason{&kNoPath, MessageId::kNotEnoughMemory};

MessageId ReasonLineFor(fileio::Failure failure) {
  switch (failure) {
    case fileio::Failure::kNotFound:
      return MessageId::kFileNotFound;
    case fileio::Failure::kFolderMissing:
      return MessageId::kFolderNotFound;
    case fileio::Failure::kIsFolder:
      return MessageId::kIsFolder;
    case fileio::Failure::kPermissionDenied:
      return MessageId::kPermissionDenied;
    case fileio::Failure::kReadOnly:
      return MessageId::kIsReadOnly;
    case fileio::Failure::kDiskFull:
      return MessageId::kDiskFull;
    case fileio::Failure::kTooLarge:
      return MessageId::kFileTooLarge;
    case fileio::Failure::kTooManyLinks:
      return MessageId::kTooManyLinks;
    case fileio::Failure::kIsInput:
      return MessageId::kIsInputFile;
    case fileio::Failure::kNone:
    case fileio::Failure::kOther:
      break;
  }
  return MessageId::kSystemRefused;
}

Reason ReasonOf(const std::string& path, fileio::Failure failure) {
  return {&path, ReasonLineFor(failure)};
}

// A line of the message that names a file: "%s" in the text is its path,
// its control characters marked so that no line of the message is the path's.
std::string NamingLine(MessageId id, const std::string& path, Language language) {
  const char* line = TextFor(id, language).text;
  const std::string shown = PathToMessageText(path);
  std::vector<char> named(std::strlen(line) + shown.size() + 1);
  std::snprintf(named.data(), named.size(), line, shown.c_str());
  return named.data();
}

// Shows the outcome's message in the request's language and returns the
// outcome. Below the message's text: why the file failed, when there is a
// reason, then the new file the run could not remove. output: the run's output
// file, when it was opened; summary: what a completed run converted.
RunOutcome Report(const RunRequest& request, RunReporter& reporter, RunOutcome outcome,
                  const Reason& reason = {}, const OutputFile* output = nullptr,
                  MessageStyle style = MessageStyle::Exclamation,
                  const SummaryText* summary = nullptr) {
  FlushTrace(request);
  const bool untouched = output == nullptr || output->OutputUntouched();
  const MessageText text = TextFor(MessageFor(outcome, untouched), request.language);
  if (text.text == nullptr) return outcome;
  std::string lines = text.text;
  if (reason.path == &kNoPath) {
    lines += '\n';
    lines += TextFor(reason.line, request.language).text;
  } else if (reason.path != nullptr) {
    lines += '\n';
    lines += NamingLine(reason.line, *reason.path, request.language);
  }
  if (output != nullptr && !output->LeftPath().empty()) {
    lines += '\n';
    lines += NamingLine(MessageId::kNewFileLeft, output->LeftPath(), request.language);
  }
  if (outcome == RunOutcome::Completed && summary != nullptr) {
    reporter.ShowCompletion(lines, text.title, summary->text, summary->title);
  } else {
    reporter.ShowMessage(lines, text.title, style);
  }
  return outcome;
}

// Shows each record's message, in an "Info" box, as the record is done; opens
// an output that waits for the input's header once the header is accepted.
class RunObserver final : public RecordObserver {
 public:
  RunObserver(const RunRequest& request, RunReporter& reporter, OutputFile& outputFile,
              FileOutputStream& output)
      : request_(request), reporter_(reporter), outputFile_(outputFile), output_(output) {}
  void OnHeader(const ConversionState&) override {
    if (!outputFile_.OpensLate()) return;
    lateOpenFailed_ = !outputFile_.OpenLate();
    output_.SetDescriptor(outputFile_.Descriptor());
  }
  bool OnRecord(int result, const ConversionState& state) override {
    if (lateOpenFailed_) return false;
    // A record cut short by the end of the input ends the run without its box.
    if (result != kInputEnded && state.messagePending == 1) {
      FlushTrace(request_);
      reporter_.ShowRecordMessage(state.messageText, RecordTitle(), MessageStyle::Exclamation);
    }
    return true;
  }
  bool LateOpenFailed() const { return lateOpenFailed_; }

 private:
  // The engine's record messages share one title; a language without texts
  // of its own keeps the English one.
  const char* RecordTitle() const {
    constexpr TextKey kTitle = T_("message title", "Info");
    const char* title = Translate(kTitle, request_.language);
    return title != nullptr ? title : kTitle.english;
  }

  const RunRequest& request_;
  RunReporter& reporter_;
  OutputFile& outputFile_;
  FileOutputStream& output_;
  bool lateOpenFailed_ = false;
};

// Hands the input's progress to the request's RunProgress.
class ProgressListener final : public ReadListener {
 public:
  explicit ProgressListener(RunProgress& progress) : progress_(progress) {}
  bool OnBlock(uint64_t bytesRead) override { return progress_.OnInputRead(bytesRead); }

 private:
  RunProgress& progress_;
};

// How the engine's run ended, the first fault first: a stop or a read error
// ends the input as its end does, and is no truncation.
RunOutcome OutcomeOf(const ConversionResult& result, bool stopped, bool readFailed, bool opened,
                     bool written) {
  if (stopped) return RunOutcome::Stopped;
  if (readFailed) return RunOutcome::InputReadFailed;
  if (!result.headerAccepted) return RunOutcome::NotGdbFormat;
  if (!opened) return RunOutcome::OutputOpenFailed;
  if (!written) return RunOutcome::OutputWriteFailed;
  if (result.inputEnded) return RunOutcome::InputTruncated;
  return RunOutcome::Completed;
}

// The open input, closed on every way out of a run, an exception's too.
class InputFile {
 public:
  explicit InputFile(int fd) : fd_(fd) {}
  ~InputFile() { Close(); }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  int Descriptor() const { return fd_; }
  void Close() {
    if (fd_ != fileio::kNoFile) fileio::CloseFile(std::exchange(fd_, fileio::kNoFile));
  }

 private:
  int fd_;
};

// Runs the engine over the two open files, then completes the output or
// discards it, and closes the input. Out of memory in the conversion is an
// outcome as the others are: what the conversion held is free again by the
// time it is reported.
// readAhead: the input may be read beyond what the engine asks for. Not for a
// pipe, whose writer may hold it open after the end record.
RunOutcome ConvertFiles(const RunRequest& request, RunReporter& reporter,
                        const ConversionSettings& settings, InputFile& inputFile,
                        OutputFile& outputFile, bool readAhead) {
  ConversionResult result;
  bool written = false;
  bool opened = true;
  bool readFailed = false;
  bool stopped = false;
  bool outOfMemory = false;
  SummaryText summary;
  fileio::Failure readFailure = fileio::Failure::kNone;
  fileio::Failure writeFailure = fileio::Failure::kNone;
  try {
    // The state is large; a run holds one of its own.
    const auto state = NewConversionState();
    BlockMover mover;
    FileInputStream input(inputFile.Descriptor(), kFileBuffer, readAhead ? &mover : nullptr);
    std::optional<ProgressListener> listener;
    if (request.progress != nullptr) input.SetListener(&listener.emplace(*request.progress));
    FileOutputStream output(outputFile.Descriptor(), kFileBuffer, &mover);
    RunObserver observer(request, reporter, outputFile, output);
    result = ConvertGdb(*state, settings, input, output, request.mode, &observer);
    opened = !observer.LateOpenFailed();
    // An output that waits for the header gets nothing without it.
    written = (result.headerAccepted && opened) ? output.Flush() : true;
    readFailed = input.Failed();
    stopped = input.Stopped();
    readFailure = input.WhyFailed();
    writeFailure = output.WhyFailed();
    // Made before the output is completed: what a completed run says next
    // needs little memory.
    summary = SummaryFor(result.counts, request.mode, request.language,
                         settings.oneRoute ? settings.maxViasPerRoute : 0);
  } catch (const std::bad_alloc&) {
    outOfMemory = true;
  }
  inputFile.Close();
  RunOutcome outcome = outOfMemory ? RunOutcome::OutOfMemory
                                   : OutcomeOf(result, stopped, readFailed, opened, written);
  if (outcome == RunOutcome::Completed) {
    if (!outputFile.Complete()) {
      outcome = RunOutcome::OutputWriteFailed;
      writeFailure = outputFile.WhyFailed();
    }
  } else {
    // A new file goes; what was written in place stays, as the message says.
    outputFile.Discard();
  }
  const MessageStyle style =
      outcome == RunOutcome::Completed ? MessageStyle::Plain : MessageStyle::Exclamation;
  Reason reason;
  if (outcome == RunOutcome::OutOfMemory) reason = kOutOfMemoryReason;
  if (outcome == RunOutcome::InputReadFailed) reason = ReasonOf(request.inputPath, readFailure);
  if (outcome == RunOutcome::OutputWriteFailed) reason = ReasonOf(request.outputPath, writeFailure);
  if (outcome == RunOutcome::OutputOpenFailed) {
    reason = ReasonOf(request.outputPath, outputFile.WhyFailed());
  }
  try {
    return Report(request, reporter, outcome, reason, &outputFile, style, &summary);
  } catch (const std::bad_alloc&) {
    // The files are as the outcome says; its message is shown once more,
    // without the summary.
    return Report(request, reporter, outcome, reason, &outputFile, style);
  }
}

}  // namespace

std::optional<uint32_t> ViaCountOf(std::string_view viaText) {
  const DecimalField field = ParseDecimalField(viaText);
  if (field.kind != DecimalField::Kind::kNumber || field.value < kFewestVias ||
      field.value > kMostVias) {
    return std::nullopt;
  }
  return field.value;
}

void RunReporter::ShowCompletion(const std::string& text, const std::string& title,
                                 const std::string& summaryText,
                                 const std::string& /*summaryTitle*/) {
  ShowMessage(summaryText.empty() ? text : text + "\n" + summaryText, title, MessageStyle::Plain);
}

bool RefusedBeforeWriting(const RunRequest& request) {
  if (request.inputPath.empty() || request.outputPath.empty()) return true;
  if (IsTrackToRoute(request.mode) && !request.viaCount) return true;
  const fileio::PathKind input = fileio::KindOfPath(request.inputPath);
  if (input == fileio::PathKind::kOther) return false;
  const int inputFd = fileio::OpenForReading(request.inputPath);
  if (inputFd == fileio::kNoFile) return true;
  OutputFile outputFile;
  const bool refused = !outputFile.Check(request.outputPath, fileio::IdOf(inputFd));
  fileio::CloseFile(inputFd);
  return refused;
}

namespace {

// One box, a line for each file: the user decides what becomes of them.
void ShowFilesLeftEarlier(const RunRequest& request, RunReporter& reporter,
                          const OutputFile& outputFile) {
  const MessageText notice = TextFor(MessageId::kFileLeftEarlier, request.language);
  if (notice.text == nullptr) return;
  std::string lines;
  for (const std::string& path : outputFile.LeftByEarlierRuns()) {
    if (!lines.empty()) lines += '\n';
    lines += NamingLine(MessageId::kFileLeftEarlier, path, request.language);
  }
  if (lines.empty()) return;
  FlushTrace(request);
  reporter.ShowMessage(lines, notice.title, MessageStyle::Exclamation);
}

RunOutcome Run(const RunRequest& request, RunReporter& reporter) {
  reporter.OnStep(RunStep::kInputPath);
  if (request.inputPath.empty()) {
    return Report(request, reporter, RunOutcome::InputPathEmpty);
  }
  InputFile input(fileio::OpenForReading(request.inputPath));
  if (input.Descriptor() == fileio::kNoFile) {
    return Report(request, reporter, RunOutcome::InputOpenFailed,
                  ReasonOf(request.inputPath, fileio::LastFailure()));
  }
  const auto refuse = [&](RunOutcome outcome, const Reason& reason = {}) {
    input.Close();
    return Report(request, reporter, outcome, reason);
  };
  reporter.OnStep(RunStep::kOutputPath);
  const std::string& outputPath = request.outputPath;
  if (outputPath.empty()) return refuse(RunOutcome::OutputPathEmpty);
  // The output in place of the input would read and write one file: the
  // output is checked against the open input, whatever its spelling.
  OutputFile outputFile;
  if (!outputFile.Check(outputPath, fileio::IdOf(input.Descriptor()))) {
    return refuse(RunOutcome::OutputOpenFailed, ReasonOf(outputPath, outputFile.WhyFailed()));
  }
  ConversionSettings settings;
  settings.language = request.language;
  settings.trace = request.trace;
  if (IsTrackToRoute(request.mode)) {
    reporter.OnStep(RunStep::kViaText);
    if (!request.viaCount) return refuse(RunOutcome::ViaCountInvalid);
    settings.maxViasPerRoute = *request.viaCount;
    settings.oneRoute = request.oneRoute;
  }
  ShowFilesLeftEarlier(request, reporter, outputFile);
  if (!outputFile.Open()) {
    return refuse(RunOutcome::OutputOpenFailed, ReasonOf(outputPath, outputFile.WhyFailed()));
  }
  const bool regular = fileio::IsRegularFile(input.Descriptor());
  if (request.progress != nullptr) {
    const int64_t size = regular ? fileio::SizeOf(input.Descriptor()) : 0;
    request.progress->OnInputSize(size > 0 ? static_cast<uint64_t>(size) : 0);
  }
  return ConvertFiles(request, reporter, settings, input, outputFile, regular);
}

}  // namespace

// An allocation that fails outside the conversion (a path, a message) ends
// the run as one inside it does; the new file has gone with its OutputFile.
RunOutcome RunConversion(const RunRequest& request, RunReporter& reporter) {
  fileio::IgnoreFileSizeLimitSignal();
  reporter.OnRunStart(request);
  try {
    return Run(request, reporter);
  } catch (const std::bad_alloc&) {
    return Report(request, reporter, RunOutcome::OutOfMemory, kOutOfMemoryReason);
  }
}
