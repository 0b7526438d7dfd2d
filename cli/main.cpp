// morvex-convert: the conversion run from the command line. The arguments fill
// the fields a user would fill in the window; messages go to standard error
// as "Title: text", the engine's trace lines to standard output.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "byte_stream.h"
#include "control_ids.h"
#include "conversion_run.h"
#include "conversion_state.h"

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
  int option = 1;
  std::string maxVias = "250";
  int language = 1;
  bool quiet = false;
  std::string input;
  std::string output;
};

bool IsDecimal(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::optional<int> ParseOption(const std::string& text) {
  if (text.size() == 1 && text[0] >= '1' && text[0] <= '6') return text[0] - '0';
  return std::nullopt;
}

std::optional<int> ParseLanguage(const std::string& text) {
  if (text == "en") return 1;
  if (text == "nl") return 2;
  if (text == "de") return 3;
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
      if (positional == 0) args.input = arg;
      if (positional == 1) args.output = arg;
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
      args.option = *option;
    } else if (arg == "--max-vias") {
      args.maxVias = argv[++i];
      if (!IsDecimal(args.maxVias))
        return UsageError("--max-vias must be a number, not '" + args.maxVias + "'");
    } else if (arg == "--language") {
      const auto language = ParseLanguage(argv[++i]);
      if (!language)
        return UsageError("--language must be en, nl or de, not '" + std::string(argv[i]) + "'");
      args.language = *language;
    } else {
      return UsageError("unknown option '" + arg + "'");
    }
  }
  if (positional < 2) return UsageError("both INPUT and OUTPUT are needed");
  if (positional > 2) return UsageError("too many file names");
  return std::nullopt;
}

// Stands in for the dialog: the fields hold the arguments, message boxes are
// lines on standard error.
class CommandLineDialog final : public ConversionDialog {
 public:
  explicit CommandLineDialog(const Arguments& args) : args_(args) {}

  std::string GetDlgItemText(int id) const override {
    if (id == IDC_INPUT_PATH) return args_.input;
    if (id == IDC_OUTPUT_PATH) return args_.output;
    if (id == IDC_MAX_VIAS) return args_.maxVias;
    return {};
  }
  unsigned GetDlgItemInt(int id) const override {
    const std::string text = GetDlgItemText(id);
    unsigned long long value = 0;
    for (char c : text) {
      if (c < '0' || c > '9') return 0;
      value = value * 10 + static_cast<unsigned>(c - '0');
      if (value > 0xFFFFFFFFull) return 0;
    }
    return static_cast<unsigned>(value);
  }
  int GetCheckedRadioButton(int first, int last) const override {
    const int id = IDC_OPTION_1 + args_.option - 1;
    return (id >= first && id <= last) ? id : 0;
  }
  void MessageBox(const std::string& text, const std::string& title, MessageStyle) override {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  }

 private:
  const Arguments& args_;
};

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  if (const auto status = ParseArguments(argc, argv, args)) return *status;
  g_language = args.language;
  // The trace stream buffers the lines itself and flushes them before every
  // message, so stdio must pass them on at once: otherwise, with both streams
  // sent to one file or pipe, the messages come before the lines they follow.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  FileOutputStream trace(stdout, 1 << 14);
  if (!args.quiet) g_traceOutput = &trace;
  CommandLineDialog dialog(args);
  const RunOutcome outcome = OnConvert(dialog);
  trace.Flush();
  g_traceOutput = nullptr;
  return outcome == RunOutcome::Completed ? kExitCompleted : kExitFailed;
}
