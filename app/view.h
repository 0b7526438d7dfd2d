// What the presenter asks of a converter window: the Qt window and the
// Windows dialog each implement it with their toolkit's calls. A view shows
// what it is told and reports what the user did to the presenter; it never
// reads a control to learn the state.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gdb_types.h"
#include "preview_model.h"
#include "window_messages.h"
#include "window_texts.h"

// A file picker as the presenter asks for it.
struct FilePick {
  // Save: a name that need not exist, an existing file taken only once the
  // user agreed to replace it. Open: an existing file.
  bool save = false;
  FileFilters filters;
  Language language = Language::kEnglish;  // of the filters' names
  std::string folder;                      // where the picker opens; empty for its own choice
  std::string name;  // the file name the picker offers, without a folder; empty for none
};

// A run's progress as the window shows it: a bar under the buttons and its text.
struct ProgressShown {
  std::string text;                 // "Converting… 42 %"; UTF-8
  std::optional<unsigned> percent;  // 0 to 100; nothing: a bar that moves without a measure
};

class View {
 public:
  virtual ~View() = default;

  // A control's label: the key's words in the language (LabelText), '&'
  // marking the mnemonic. No text of the program reaches a window but as a key.
  virtual void SetLabel(int id, TextKey text, Language language) = 0;
  // A field's contents as the user gave them: a path, the via-point count. UTF-8.
  virtual void SetFieldText(int id, std::string_view text) = 0;
  virtual void SetChecked(int id, bool checked) = 0;
  virtual void SetEnabled(int id, bool enabled) = 0;
  // The radio buttons Tab stops at: of each group the checked one.
  virtual void ShowTabStops(const std::vector<int>& stops) = 0;
  // The language of what the toolkit shows by itself (its boxes, pickers
  // and menus) and of the preview pane.
  virtual void ShowLanguage(Language language) = 0;

  // A modal box, with a check box when message.checkBoxText is not empty;
  // returns whether the check box was checked when it closed.
  virtual bool ShowMessage(const WindowMessage& message) = 0;
  // A modal Yes/No box with No the default; whether Yes was chosen.
  virtual bool AskYesNo(const WindowMessage& question) = 0;
  // The chosen file's full path, or nothing when the picker was cancelled.
  virtual std::optional<std::string> PickFile(const FilePick& pick) = 0;
  virtual void ShowAbout(Language language) = 0;

  virtual void ShowPreviewPane(bool shown) = 0;
  virtual void ShowPicture(preview::Outcome outcome) = 0;
  // A newer picture is being made; the pane says so until ShowPicture.
  virtual void ShowPictureComing() = 0;
  // A run is going on (a cursor that says so, the window still answering)
  // or has ended.
  virtual void ShowBusy(bool busy) = 0;
  // The run's progress; nothing hides it.
  virtual void ShowProgress(const std::optional<ProgressShown>& progress) = 0;
  // Closes the window, as the close box would once the presenter agreed:
  // for a close that waited for a run to stop.
  virtual void Close() = 0;
  // Runs the task on the window's thread, after the events already waiting;
  // may be called from any thread. A window that has gone drops its tasks.
  virtual void Post(std::function<void()> task) = 0;
};
