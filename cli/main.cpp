// morvex-convert: the conversion run from the command line. The arguments make
// the run's request; messages go to standard error as "Title: text", the
// engine's trace lines to standard output.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#endif

#include "conversion_run.h"
#include "decimal_field.h"
#include "file_streams.h"
#include "messages.h"
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

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "morvex-convert: %s\n\n%s", problem.c_str(), kUsage);
  return kExitUsage;
}

// Fills args; returns an exit status when the program should stop at once.
std::optional<int> ParseArguments(int argc, char** argv, Arguments& args) {
  int positional = 0;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
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
      std::fputs(kUsage, stdout);
      return kExitCompleted;
    }
    if (arg == "--version") {
      std::puts("morvex-convert 3.1");
      return kExitCompleted;
    }
    if (arg == "--quiet" || arg == "-q") {
      args.quiet = true;
    } else if (arg == "--option") {
      const auto option = ParseOption(argv[++i]);
      if (!option)
        return UsageError("--option must be a number from 1 to 6, not '" + std::string(argv[i]) +
                          "'");
      args.request.option = *option;
    } else if (arg == "--max-vias") {
      args.request.viaText = argv[++i];
      // A number outside 25..1000 is the run's to refuse, in the chosen language.
      if (ParseDecimalField(args.request.viaText).kind == DecimalField::Kind::kNotDecimal)
        return UsageError("--max-vias must be a number, not '" + args.request.viaText + "'");
    } else if (arg == "--language") {
      const auto language = ParseLanguage(argv[++i]);
      if (!language)
        return UsageError("--language must be en, nl or de, not '" + std::string(argv[i]) + "'");
      args.request.language = *language;
    } else {
      return UsageError("unknown option '" + arg + "'");
    }
  }
  if (positional < 2) return UsageError("both INPUT and OUTPUT are needed");
  if (positional > 2) return UsageError("too many file names");
  return std::nullopt;
}

#ifndef _WIN32
// Opens each of descriptors 0, 1 and 2 that is closed on /dev/null. Done
// before any file is opened: an input or output that took one of them would
// be read as standard input or written with the trace or the messages.
bool OpenClosedStandardDescriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lower descriptors are open, so this one is the lowest free.
    if (open("/dev/null", O_RDWR) != fd) return false;
  }
  return true;
}

// True when the path names the file on descriptor 1, the trace's.
bool IsStandardOutput(const std::string& path) {
  if (path == "/dev/stdout") return true;
  struct stat named {};
  struct stat standard {};
  return stat(path.c_str(), &named) == 0 && fstat(STDOUT_FILENO, &standard) == 0 &&
         named.st_dev == standard.st_dev && named.st_ino == standard.st_ino;
}

// A reader that goes away (`| head`) makes a write fail instead of ending the
// program: the trace stops, the conversion goes on.
void IgnoreBrokenPipes() {
  std::signal(SIGPIPE, SIG_IGN);
}
#else
bool OpenClosedStandardDescriptors() {
  return true;
}
bool IsStandardOutput(const std::string& path) {
  return path == "/dev/stdout";
}
void IgnoreBrokenPipes() {}
#endif

// Messages are lines on standard error. The first message after the trace
// has stopped is preceded by one line that says so.
class StandardErrorReporter final : public RunReporter {
 public:
  StandardErrorReporter(const OutputStream* trace, Language language)
      : trace_(trace), language_(language) {}

  void ShowMessage(const std::string& text, const std::string& title, MessageStyle) override {
    NoteStoppedTrace();
    Print(title.c_str(), text.c_str());
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
    std::fprintf(stderr, "%s: %s\n", TextForTerminal(title).c_str(), TextForTerminal(text).c_str());
  }

  const OutputStream* trace_;
  Language language_;
  bool traceStopNoted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (!OpenClosedStandardDescriptors()) {
    std::fputs("morvex-convert: cannot open /dev/null for a closed standard stream\n", stderr);
    return kExitFailed;
  }
  IgnoreBrokenPipes();
  Arguments args;
  if (const auto status = ParseArguments(argc, argv, args)) return *status;
  // The trace stream buffers the lines itself and flushes them before every
  // message, so stdio must pass them on at once: otherwise, with both streams
  // sent to one file or pipe, the messages come before the lines they follow.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  FileOutputStream trace(stdout, 1 << 14);
  // An output on standard output takes it alone.
  if (!args.quiet && !IsStandardOutput(args.request.outputPath)) args.request.trace = &trace;
  StandardErrorReporter reporter(args.request.trace, args.request.language);
  const RunOutcome outcome = RunConversion(args.request, reporter);
  trace.Flush();
  reporter.NoteStoppedTrace();
  return outcome == RunOutcome::Completed ? kExitCompleted : kExitFailed;
}
