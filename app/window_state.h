// The state of one converter window, and what follows from it: which
// controls are enabled and checked, where Tab and the arrow keys go, the
// output name suggested for an input, and the requests of a run and of a
// picture. The presenter (presenter.h) changes it; the windows only show it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion_run.h"
#include "gdb_types.h"
#include "preview_model.h"
#include "settings.h"

struct WindowState {
  std::string inputPath;  // the fields as the user left them, UTF-8
  std::string outputPath;
  std::string viaText = std::to_string(kDefaultViaCount);
  int option = 1;  // 1 to 6
  // The one-route check box; it stays checked while another option is
  // chosen, and only a run that makes routes of tracks takes it.
  bool oneRoute = false;
  Language language = Language::kEnglish;
  bool preview = false;  // the preview pane is shown
  // Where the last input and output were picked or converted; may be empty.
  std::string inputFolder;
  std::string outputFolder;
  // The output the Save picker asked about, until a run writes it; empty for none.
  std::string pickedOutput;
  // The run that last completed, whose output a Convert of the same request
  // replaces without asking; nothing before the first.
  std::optional<RunRequest> lastCompleted;
  std::string lastSuggestion;  // the output name last suggested
  // The input as last taken up (its field left, or a path chosen): what the
  // suggestion follows.
  std::string takenInput;
  // A run is going on: only its Stop button (Convert's) is enabled.
  bool running = false;
};

// The buttons the window shows checked, by id.
int CheckedOptionButton(const WindowState& state);
int CheckedLanguageButton(const WindowState& state);
// Whether the window shows the control enabled; the via-point label and
// field and the one-route check box are only for options 5 and 6, and a
// running window enables only Convert (Stop).
bool IsEnabled(const WindowState& state, int id);

// The controls that Tab stops at now, in tab order: the enabled, visible
// fields and push buttons, and of each radio group its checked button.
std::vector<int> TabStops(const WindowState& state);
// The tab stop that Tab (next) or Shift+Tab leaves the control for; a radio
// button counts as its whole group. Wraps around.
int NextTabStop(const WindowState& state, int fromId, bool next);
// The button of the radio group that an arrow key moves to and checks: the
// next (or previous) enabled, visible one, wrapping around; 0 for a control
// in no group.
int NextInRadioGroup(const WindowState& state, int id, bool next);
// The control a control's mnemonic gives the focus to: a frame hands it on
// to the first tab stop after the frame, any other control takes it.
int MnemonicTarget(const WindowState& state, int id);

// The output path suggested for an input and an option: the input's name
// without its .gdb extension (in any case), a dash, what the option makes and
// ".gdb", in the input's folder as the input spells it. Empty for an empty
// input, one that ends in a folder separator, or no option.
std::string SuggestedOutputPath(std::string_view inputPath, int option);
// The folder part of a path, up to its last separator ('/' or '\\'); a root
// ("/", "C:\") keeps its separator. Empty for a path without a folder.
std::string FolderOfPath(std::string_view path);
// The text without the white space around it (what QString::trimmed removes).
std::string_view TrimmedText(std::string_view text);

// The run a Convert starts in this state.
RunRequest RunRequestOf(const WindowState& state);
// The picture of the input and of what the option makes of it; after a
// Convert, convertedInto names the file the run wrote (empty when it did not
// complete).
preview::Request PreviewRequestOf(const WindowState& state,
                                  std::optional<std::string> convertedInto = std::nullopt);

// The settings to keep, and the state an earlier start's settings give.
DialogSettings SettingsOf(const WindowState& state);
void RestoreSettings(WindowState& state, const DialogSettings& settings);
