#include "window_state.h"

#include <algorithm>

#include "controls.h"
#include "text_utils.h"

namespace {

// The white space the Qt window always trimmed off the via field (what
// QString::trimmed removes), UTF-8.
const std::string_view kWhiteSpace[] = {
    " ",      "\t",     "\n",     "\v",     "\f",     "\r",     "\u0085", "\u00A0", "\u1680",
    "\u2000", "\u2001", "\u2002", "\u2003", "\u2004", "\u2005", "\u2006", "\u2007", "\u2008",
    "\u2009", "\u200A", "\u2028", "\u2029", "\u202F", "\u205F", "\u3000",
};

// Takes one white space character off the front or the back of text.
bool TrimOne(std::string_view& text, bool front) {
  for (std::string_view space : kWhiteSpace) {
    if (front ? text.starts_with(space) : text.ends_with(space)) {
      front ? text.remove_prefix(space.size()) : text.remove_suffix(space.size());
      return true;
    }
  }
  return false;
}

// Both separators on every system: a window may be shown a Windows path
// anywhere.
bool IsFolderSeparator(char c) {
  return c == '/' || c == '\\';
}

// What the option's run writes, as the suggested name says it.
std::string_view OutputKindOfOption(int option) {
  switch (option) {
    case 1:
    case 2:
      return "tracks";
    case 3:
    case 4:
      return "vias";
    case 5:
    case 6:
      return "routes";
    default:
      return {};
  }
}

// The path without a final ".gdb" in any case, unless that would leave the
// file no name.
std::string_view WithoutGdbExtension(std::string_view path) {
  constexpr std::string_view kExtension = ".gdb";
  if (path.size() <= kExtension.size()) return path;
  const std::string_view tail = path.substr(path.size() - kExtension.size());
  for (size_t i = 0; i < kExtension.size(); ++i) {
    if (AsciiLower(tail[i]) != kExtension[i]) return path;
  }
  const std::string_view base = path.substr(0, path.size() - kExtension.size());
  return IsFolderSeparator(base.back()) ? path : base;
}

// The table indexes [first, end) of the control's radio group; any other
// control is a group of its own.
std::pair<int, int> GroupSpan(int id) {
  const int at = TableIndexOf(id);
  const std::vector<int> group = RadioGroupOf(id);
  if (group.empty()) return {at, at + 1};
  const int first = TableIndexOf(group.front());
  return {first, first + static_cast<int>(group.size())};
}

}  // namespace

std::string_view TrimmedText(std::string_view text) {
  while (TrimOne(text, true)) {
  }
  while (TrimOne(text, false)) {
  }
  return text;
}

int CheckedOptionButton(const WindowState& state) {
  return ButtonOfOption(state.option);
}

int CheckedLanguageButton(const WindowState& state) {
  return ButtonOfLanguage(state.language);
}

bool IsEnabled(const WindowState& state, int id) {
  if (state.running) return id == IDC_CONVERT;
  if (id == IDC_MAX_VIAS_LABEL || id == IDC_MAX_VIAS || id == IDC_ONE_ROUTE) {
    return IsTrackToRoute(ModeForOption(state.option));  // the options that read the field
  }
  const ControlTemplate* control = FindControl(id);
  return control != nullptr && (control->style & kDisabled) == 0;
}

std::vector<int> TabStops(const WindowState& state) {
  std::vector<int> stops;
  for (const ControlTemplate& control : DialogControls()) {
    if (!IsShown(control) || !IsEnabled(state, control.id)) continue;
    const bool stop =
        control.kind == ControlKind::Option
            ? control.id == CheckedOptionButton(state) || control.id == CheckedLanguageButton(state)
            : IsTabStop(control);
    if (stop) stops.push_back(control.id);
  }
  return stops;
}

int NextTabStop(const WindowState& state, int fromId, bool next) {
  const std::vector<int> stops = TabStops(state);
  if (stops.empty()) return 0;
  if (TableIndexOf(fromId) < 0) return next ? stops.front() : stops.back();
  const auto [first, end] = GroupSpan(fromId);
  if (next) {
    for (int stop : stops) {
      if (TableIndexOf(stop) >= end) return stop;
    }
    return stops.front();
  }
  for (auto stop = stops.rbegin(); stop != stops.rend(); ++stop) {
    if (TableIndexOf(*stop) < first) return *stop;
  }
  return stops.back();
}

int NextInRadioGroup(const WindowState& state, int id, bool next) {
  const std::vector<int> group = RadioGroupOf(id);
  if (group.empty()) return 0;
  const size_t count = group.size();
  const size_t at = static_cast<size_t>(std::find(group.begin(), group.end(), id) - group.begin());
  for (size_t step = 1; step <= count; ++step) {
    const int candidate = group[(at + (next ? step : count - step)) % count];
    if (IsShown(*FindControl(candidate)) && IsEnabled(state, candidate)) return candidate;
  }
  return id;
}

int MnemonicTarget(const WindowState& state, int id) {
  const ControlTemplate* control = FindControl(id);
  if (control == nullptr) return 0;
  return control->kind == ControlKind::Frame ? NextTabStop(state, id, true) : id;
}

std::string SuggestedOutputPath(std::string_view inputPath, int option) {
  const std::string_view kind = OutputKindOfOption(option);
  if (inputPath.empty() || IsFolderSeparator(inputPath.back()) || kind.empty()) return {};
  std::string suggestion(WithoutGdbExtension(inputPath));
  return suggestion.append("-").append(kind).append(".gdb");
}

std::string FolderOfPath(std::string_view path) {
  const size_t last = path.find_last_of("/\\");
  if (last == std::string_view::npos) return {};
  const std::string_view folder = path.substr(0, last);
  const bool root = folder.empty() || (folder.size() == 2 && folder[1] == ':');
  return std::string(root ? path.substr(0, last + 1) : folder);
}

RunRequest RunRequestOf(const WindowState& state) {
  RunRequest request;
  request.inputPath = state.inputPath;
  request.outputPath = state.outputPath;
  request.mode = ModeForOption(state.option);
  request.viaCount = ViaCountOf(TrimmedText(state.viaText));
  request.oneRoute = state.oneRoute && IsTrackToRoute(request.mode);
  request.language = state.language;
  return request;
}

preview::Request PreviewRequestOf(const WindowState& state,
                                  std::optional<std::string> convertedInto) {
  const RunRequest run = RunRequestOf(state);
  preview::Request request;
  request.inputPath = run.inputPath;
  request.mode = run.mode;
  request.viaCount = run.viaCount;
  request.oneRoute = run.oneRoute;
  request.language = run.language;
  request.convertedInto = std::move(convertedInto);
  return request;
}

DialogSettings SettingsOf(const WindowState& state) {
  return {state.language, state.option,      std::string(TrimmedText(state.viaText)),
          state.oneRoute, state.inputFolder, state.outputFolder,
          state.preview};
}

void RestoreSettings(WindowState& state, const DialogSettings& settings) {
  state.language = settings.language;
  state.option = settings.option;
  state.viaText = settings.viaText;
  state.oneRoute = settings.oneRoute;
  state.inputFolder = settings.inputFolder;
  state.outputFolder = settings.outputFolder;
  state.preview = settings.preview;
}
