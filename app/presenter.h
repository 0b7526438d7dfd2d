// The converter window's logic, once for both toolkits: it owns the window's
// state, answers each thing the user does, and shows the result through the
// window's View. The presenter reads and writes the settings, asks before an
// output is replaced, starts the run and keeps the preview's picture current.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "preview_model.h"
#include "run_worker.h"
#include "settings.h"
#include "view.h"
#include "window_state.h"

class OutputStream;

class Presenter {
 public:
  // Neither is owned; both outlive the presenter.
  Presenter(View& view, SettingsStore& settings);
  ~Presenter();
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  // The window has made its controls from the table: the settings of the
  // last start (or the locale's language at the first) are shown.
  void Start();
  // Where the runs' trace lines go; null (at start) for none. Not owned.
  void SetTraceOutput(OutputStream* trace) { m_trace = trace; }
  const WindowState& State() const { return m_state; }

  // What the user did. A path field's text as it changes; the input is
  // taken up (a new suggestion, a new picture) when the field is left.
  void OnInputEdited(std::string_view text);
  void OnInputLeft();
  void OnOutputEdited(std::string_view text);
  void OnViaTextEdited(std::string_view text);
  // A path field filled at once: a file dropped on it, or the file the
  // program was started with.
  void OnPathChosen(int field, std::string_view path);
  void OnBrowse(int field);
  void OnOptionChosen(int buttonId);
  void OnLanguageChosen(int buttonId);
  void OnOneRouteToggled(bool checked);
  void OnPreviewClicked();
  // Convert, or Stop while a run is going on.
  void OnConvert();
  void OnAbout();
  // Escape or Quit: stops a run if one is going on, and the window stays;
  // otherwise as OnClosing. Whether the window closes now.
  bool OnEscape();
  // The close box: the settings are kept. A run is stopped first, and the
  // window closed (View::Close) once it has ended, without its boxes; a
  // second close while it ends closes at once. Whether the window closes now.
  bool OnClosing();
  // No picture is made or shown after this; a window calls it as it goes.
  void StopPreview();

 private:
  void ShowChoices();
  void ShowTexts(Language language);
  void ShowPath(int field, std::string_view path);
  void SuggestOutput();
  std::string PickerFolder(int field) const;
  std::string PickerName(int field) const;
  bool MayReplaceOutput(const RunRequest& request);
  void StartRun(const RunRequest& request);
  void EndRun(const RunRequest& request, RunOutcome outcome);
  bool ShowRunMessage(const WindowMessage& message);
  void ShowRunProgress(std::optional<unsigned> percent);
  void ShowPreviewPane(bool shown);
  void RequestPreview(std::optional<std::string> convertedInto = std::nullopt);
  void TakePreview();

  View& m_view;
  SettingsStore& m_settings;
  WindowState m_state;
  bool m_paneShown = false;
  Language m_textsLanguage = Language::kEnglish;  // of the labels shown
  bool m_closeAfterRun = false;
  OutputStream* m_trace = nullptr;
  std::unique_ptr<preview::Worker> m_previewWorker;
  std::unique_ptr<RunWorker> m_run;  // while a run is going on
};
