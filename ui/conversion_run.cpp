#include "conversion_run.h"

#include <cstdint>
#include <cstdio>

#include "byte_stream.h"
#include "control_ids.h"
#include "conversion_state.h"
#include "file_guard.h"
#include "file_header.h"
#include "record_dispatch.h"
#include "run_messages.h"

namespace {

constexpr uint32_t kFewestVias = 25;
constexpr uint32_t kMostVias = 1000;
constexpr char kInfoTitle[] = "Info";
// Each of a file stream's two buffers: a block per read or write, few enough
// hand-overs to the stream's thread.
constexpr size_t kFileBuffer = size_t{1} << 19;

struct EngineResult {
  bool headerAccepted = false;
  bool inputEnded = false;
};

void FlushTrace() {
  if (g_traceOutput != nullptr) g_traceOutput->Flush();
}

// Shows the outcome's message in the dialog's language and returns the outcome.
RunOutcome Report(ConversionDialog& dialog, RunOutcome outcome,
                  MessageStyle style = MessageStyle::Exclamation) {
  FlushTrace();
  const RunMessageText text = RunMessageFor(outcome, g_language);
  if (text.text != nullptr) dialog.MessageBox(text.text, text.title, style);
  return outcome;
}

char ModeFromOptions(const ConversionDialog& dialog) {
  switch (dialog.GetCheckedRadioButton(IDC_OPTION_1, IDC_OPTION_6)) {
    case IDC_OPTION_2:
      return kRoutesToTracksViaPoints;
    case IDC_OPTION_3:
      return kViasToUserWaypoints;
    case IDC_OPTION_4:
      return kViasToHiddenVias;
    case IDC_OPTION_5:
      return kTracksToRoutesUserVias;
    case IDC_OPTION_6:
      return kTracksToRoutesHiddenVias;
    default:
      return kRoutesToTracksAllPoints;
  }
}

bool MakesRoutes(char mode) {
  return mode == kTracksToRoutesUserVias || mode == kTracksToRoutesHiddenVias;
}

bool IsViaCountValid(uint32_t count) {
  return count - kFewestVias <= kMostVias - kFewestVias;
}

// The header, then every record up to the end record, showing each record's
// message as it comes.
EngineResult RunEngine(ConversionDialog& dialog, InputStream& input, OutputStream& output,
                       char mode) {
  EngineResult result;
  if (CopyFileHeader(output, input) == 0) return result;
  result.headerAccepted = true;
  for (;;) {
    const int type = ConvertRecord(input, output, mode);
    if (type == kInputEnded) {
      result.inputEnded = true;
      return result;
    }
    if (g_messagePending == 1) {
      FlushTrace();
      dialog.MessageBox(g_messageText, kInfoTitle, MessageStyle::Exclamation);
    }
    if (type == kEndRecord) return result;
  }
}

// Runs the engine over the two open files and closes them, output first.
// readAhead: the input may be read beyond what the engine asks for. Not for a
// pipe, whose writer may hold it open after the end record.
RunOutcome ConvertFiles(ConversionDialog& dialog, std::FILE* inputFile, std::FILE* outputFile,
                        char mode, bool readAhead) {
  EngineResult result;
  bool written = false;
  {
    BlockMover mover;
    FileInputStream input(inputFile, kFileBuffer, readAhead ? &mover : nullptr);
    FileOutputStream output(outputFile, kFileBuffer, &mover);
    result = RunEngine(dialog, input, output, mode);
    written = output.Flush();
  }
  written = (std::fclose(outputFile) == 0) && written;
  std::fclose(inputFile);
  if (!result.headerAccepted) {
    return Report(dialog, RunOutcome::NotGdbFormat);
  }
  if (!written) return Report(dialog, RunOutcome::OutputWriteFailed);
  if (result.inputEnded) return Report(dialog, RunOutcome::InputTruncated);
  return Report(dialog, RunOutcome::Completed, MessageStyle::Plain);
}

}  // namespace

RunOutcome OnConvert(ConversionDialog& dialog) {
  const std::string inputPath = dialog.GetDlgItemText(IDC_INPUT_PATH);
  if (inputPath.empty()) {
    return Report(dialog, RunOutcome::InputPathEmpty);
  }
  std::FILE* inputFile = OpenFile(inputPath, "rb");
  if (inputFile == nullptr) {
    return Report(dialog, RunOutcome::InputOpenFailed);
  }
  ReadOnlyGuard readOnly(inputPath);

  const auto refuse = [&](RunOutcome outcome) {
    std::fclose(inputFile);
    readOnly.Restore();
    return Report(dialog, outcome);
  };
  const std::string outputPath = dialog.GetDlgItemText(IDC_OUTPUT_PATH);
  if (outputPath.empty()) return refuse(RunOutcome::OutputPathEmpty);
  // Write permission does not stop every user from opening a file for
  // writing, so the input and read-only outputs are refused by name as well.
  if (IsSameFile(inputPath, outputPath) || IsExistingReadOnlyFile(outputPath)) {
    return refuse(RunOutcome::OutputOpenFailed);
  }
  const char mode = ModeFromOptions(dialog);
  if (MakesRoutes(mode)) {
    g_maxViasPerRoute = dialog.GetDlgItemInt(IDC_MAX_VIAS);
    if (!IsViaCountValid(g_maxViasPerRoute)) {
      return refuse(RunOutcome::ViaCountInvalid);
    }
  }
  std::FILE* outputFile = OpenFile(outputPath, "wb");
  readOnly.Restore();
  if (outputFile == nullptr) {
    return refuse(RunOutcome::OutputOpenFailed);
  }
  return ConvertFiles(dialog, inputFile, outputFile, mode, IsRegularFile(inputPath));
}
