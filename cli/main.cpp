// morvex-convert: the conversion run from the command line. The arguments make
// the run's request; messages go to standard error as "Title: text" (the
// summary of a completed run as a line of its own after the completion
// message), the engine's trace lines to standard output. A large input's
// progress is a line of a terminal's, rewritten in place.
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "console.h"
#include "conversion_run.h"
#include "decimal_field.h"
#include "file_io.h"
#include "file_streams.h"
#include "messages.h"
#include "morvex_version.h"
#include "progress_text.h"
#include "text_utils.h"

namespace {

constexpr int kExitCompleted = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr char kUsage[] =
    "Usage: morvex-convert [--option 1..6] [--max-vias N] [--language en|nl|de] [--quiet]\n"
    "                      INPUT OUTPUT\n"
    "       morvex-convert --help | --version\n"
    "\n"
    "Converts the GDB file INPUT into OUTPUT.\n"
    "  --option 1  routes to tracks with all points (default)\n"
    "  --option 2  routes to tracks with via points only\n"
    "  --option 3  auto-generated route via points to user waypoint vias\n"
    "  --option 4  auto-generated route via points to hidden via points\n"
    "  --option 5  tracks to routes with user waypoint vias\n"
    "  --option 6  tracks to routes with hidden via points\n"
    "  --max-vias N     most via points per generated route, 25 to 1000 (default 250)\n"
    "  --language L     language of the messages: en (default), nl or de\n"
    "  --quiet          no trace lines on standard output\n"
    "Exit status: 0 converted, 1 the conversion failed, 2 bad usage.\n";

// --help tells of --one-route too; the usage after a bad argument keeps the
// shorter text that scripts have seen.
constexpr char kOneRouteHelp[] =
    "  --one-route      options 5 and 6: each track one route, with the via points\n"
    "                   that follow it best\n";

std::string HelpText() {
  std::string text = kUsage;
  text.insert(text.find("  --language"), kOneRouteHelp);
  return text;
}

struct Arguments {
  RunRequest request;
  bool quiet = false;
};

std::optional<int> ParseOption(const std::string& text) {
  if (text.size() == 1 && text[0] >= '1' && text[0] <= '6') return text[0] - '0';
  return std::nullopt;
}

std::optional<Language> ParseLanguage(const std::string& text) {
  if (text == "en") return Language::kEnglish;
  if (text == "nl") return Language::kDutch;
  if (text == "de") return Language::kGerman;
  return std::nullopt;
}

// The problem quotes the argument as given: its line breaks are escaped too.
int UsageError(const std::string& problem) {
  WriteErrorLine("morvex-convert: " + TextForTerminal(PathToMessageText(problem)) + "\n");
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

// Fills args; returns an exit status when the program should stop at once.
std::optional<int> ParseArguments(const std::vector<std::string>& argv, Arguments& args) {
  const size_t argc = argv.size();
  int positional = 0;
  bool optionsEnded = false;
  for (size_t i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      if (positional == 0) args.request.inputPath = arg;
      if (positional == 1) args.request.outputPath = arg;
      ++positional;
      continue;
    }
    const bool takesValue = arg == "--option" || arg == "--max-vias" || arg == "--language";
    if (takesValue && i + 1 >= argc) return UsageError(arg + " needs a value");
    if (arg == "--help" || arg == "-h") {
      std::fputs(HelpText().c_str(), stdout);
      return kExitCompleted;
    }
    if (arg == "--version") {
      std::puts("morvex-convert " MORVEX_VERSION);
      return kExitCompleted;
    }
    if (arg == "--quiet" || arg == "-q") {
      args.quiet = true;
    } else if (arg == "--one-route") {
      args.request.oneRoute = true;
    } else if (arg == "--option") {
      const auto option = ParseOption(argv[++i]);
      if (!option)
        return UsageError("--option must be a number from 1 to 6, not '" + argv[i] + "'");
      args.request.mode = ModeForOption(*option);
    } else if (arg == "--max-vias") {
      const std::string& viaText = argv[++i];
      // A number outside 25..1000 is the run's to refuse, in the chosen language.
      if (ParseDecimalField(viaText).kind == DecimalField::Kind::kNotDecimal)
        return UsageError("--max-vias must be a number, not '" + viaText + "'");
      args.request.viaCount = ViaCountOf(viaText);
    } else if (arg == "--language") {
      const auto language = ParseLanguage(argv[++i]);
      if (!language) return UsageError("--language must be en, nl or de, not '" + argv[i] + "'");
      args.request.language = *language;
    } else {
      return UsageError("unknown option '" + arg + "'");
    }
  }
  if (positional < 2) return UsageError("both INPUT and OUTPUT are needed");
  if (positional > 2) return UsageError("too many file names");
  if (args.request.oneRoute && !IsTrackToRoute(args.request.mode))
    return UsageError("--one-route goes with --option 5 or 6");
  return std::nullopt;
}

// True when the path names the file on descriptor 1, the trace's.
bool IsStandardOutput(const std::string& path) {
  return path == "/dev/stdout" || fileio::NamesFileOf(path, 1);
}

// Inputs larger than this show their progress.
constexpr uint64_t kLargeInput = uint64_t{50} << 20;

// The share of a large input read, on one line of the terminal that
// standard error is on, rewritten as the share grows; cleared before each
// message and at the end. Wider characters than one column per code point
// are not expected in its text.
class ProgressLine final : public RunProgress {
 public:
  ProgressLine(Language language, bool onTerminal) : language_(language), onTerminal_(onTerminal) {}

  void OnInputSize(uint64_t bytes) override {
    size_ = bytes;
    shown_ = onTerminal_ && bytes > kLargeInput;
  }
  bool OnInputRead(uint64_t bytesRead) override {
    if (!shown_) return true;
    const std::optional<unsigned> percent = PercentRead(bytesRead, size_);
    if (width_ > 0 && percent == lastPercent_) return true;
    lastPercent_ = percent;
    const std::string text = ProgressText(language_, percent);
    const size_t width = ColumnsOf(text);
    std::string line = "\r";
    line += text;
    line.append(width < width_ ? width_ - width : 0, ' ');
    WriteErrorText(line);
    width_ = width;
    return true;
  }
  void Clear() {
    if (width_ == 0) return;
    std::string blank(width_ + 2, ' ');
    blank.front() = blank.back() = '\r';
    WriteErrorText(blank);
    width_ = 0;
  }

 private:
  static size_t ColumnsOf(const std::string& utf8) {
    size_t columns = 0;
    for (const char c : utf8) columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return columns;
  }

  Language language_;
  bool onTerminal_;
  bool shown_ = false;
  uint64_t size_ = 0;
  size_t width_ = 0;  // of the line shown; 0: none
  std::optional<unsigned> lastPercent_;
};

// Messages are lines on standard error. The first message after the trace
// has stopped is preceded by one line that says so.
class StandardErrorReporter final : public RunReporter {
 public:
  StandardErrorReporter(const OutputStream* trace, Language language, ProgressLine& progress)
      : trace_(trace), language_(language), progress_(progress) {}

  void ShowMessage(const std::string& text, const std::string& title, MessageStyle) override {
    progress_.Clear();
    NoteStoppedTrace();
    Print(title.c_str(), text.c_str());
  }

  // The summary is a line of its own, under its own title.
  void ShowCompletion(const std::string& text, const std::string& title,
                      const std::string& summaryText, const std::string& summaryTitle) override {
    ShowMessage(text, title, MessageStyle::Plain);
    if (!summaryText.empty()) Print(summaryTitle.c_str(), summaryText.c_str());
  }

  // The run flushes the trace before every message, so a failed write is
  // known here by the time of the message that follows it.
  void NoteStoppedTrace() {
    if (trace_ == nullptr || !trace_->Failed() || traceStopNoted_) return;
    traceStopNoted_ = true;
    const MessageText notice = TextFor(MessageId::kTraceWriteFailed, language_);
    if (notice.text != nullptr) Print(notice.title, notice.text);
  }

 private:
  // Names from the file are shown with their control bytes escaped.
  static void Print(const char* title, const char* text) {
    WriteErrorLine(TextForTerminal(title) + ": " + TextForTerminal(text));
  }

  const OutputStream* trace_;
  Language language_;
  ProgressLine& progress_;
  bool traceStopNoted_ = false;
};

}  // namespace

int Main(int argc, char** argv) {
  if (!PrepareStandardStreams()) {
    std::fputs("morvex-convert: cannot open the null device for a closed standard stream\n",
               stderr);
    return kExitFailed;
  }
  Arguments args;
  if (const auto status = ParseArguments(Utf8Arguments(argc, argv), args)) return *status;
  // The trace stream buffers the lines itself and flushes them before every
  // message, so stdio must pass them on at once: otherwise, with both streams
  // sent to one file or pipe, the messages come before the lines they follow.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  // Descriptor 1, not stdout's: on Windows the stream of a standard handle
  // missing at start keeps the descriptor -2 after PrepareStandardStreams has
  // put descriptor 1 on NUL.
  FileOutputStream trace(1, 1 << 14);
  // An output on standard output takes it alone.
  if (!args.quiet && !IsStandardOutput(args.request.outputPath)) args.request.trace = &trace;
  // Not on the terminal the trace or the output goes to: their lines would break it.
  const bool standardOutputUsed =
      args.request.trace != nullptr || IsStandardOutput(args.request.outputPath);
  ProgressLine progress(args.request.language,
                        ErrorIsTerminal() && !(standardOutputUsed && OutputOnErrorTerminal()));
  args.request.progress = &progress;
  StandardErrorReporter reporter(args.request.trace, args.request.language, progress);
  const RunOutcome outcome = RunConversion(args.request, reporter);
  progress.Clear();
  trace.Flush();
  reporter.NoteStoppedTrace();
  return outcome == RunOutcome::Completed ? kExitCompleted : kExitFailed;
}

// The run says so itself when memory runs out during it; this is for the
// rest, before it starts.
int main(int argc, char** argv) {
  try {
    return Main(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("morvex-convert: not enough memory\n", stderr);
    return kExitFailed;
  }
}
