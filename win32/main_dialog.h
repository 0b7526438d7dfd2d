// The converter window of the native Windows program: the dialog IDD_MAIN of
// morvex.rc, its texts, checked buttons and enabled controls as the dialog
// model (app/dialog_model.h) gives them, and its clicks forwarded to the model.
#pragma once

#include <windows.h>

#include <shellapi.h>  // needs windows.h first

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dialog_model.h"
#include "preview_model.h"

class MainDialog {
 public:
  explicit MainDialog(HINSTANCE instance);
  ~MainDialog();
  MainDialog(const MainDialog&) = delete;
  MainDialog& operator=(const MainDialog&) = delete;

  // The input path the window shows at start (a file opened with the program).
  void SetInputPath(std::wstring path) { m_startInput = std::move(path); }
  // Shows the window and runs it until it is closed; returns the exit status.
  int Run();

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void OnInitDialog();
  void OnCommand(int id, int notification);
  bool OnSysCommand(WPARAM command);
  void OnDropFiles(HDROP drop);

  void OnBrowse(bool save, int field);
  void OnConvert();
  // Whether the run may replace the output: no file there, the user agreed
  // to it before, or says Yes now.
  bool MayReplaceOutput(const std::string& outputPath);
  void RestoreSettings();
  void SaveSettings();
  void OnOptionClicked();
  void OnLanguageClicked();
  // The input path chosen: left after typing, picked, dropped or given at start.
  void OnInputChanged();
  void ShowAboutBox();
  // The preview pane: shown beside the controls, drawn from the latest picture.
  void OnPreview();
  void ShowPreviewPane(bool shown);
  // convertedInto: after Convert, the file the run wrote (empty when it did
  // not complete); the picture then comes from the files, whatever their size.
  void RequestPreview(const std::optional<std::string>& convertedInto = std::nullopt);
  void TakePreview();
  void DrawPreview(const DRAWITEMSTRUCT& item);

  void AddAboutToSystemMenu();
  void ShowTemplateState();
  void ShowEnabledState();
  void ShowRadioTabStops();
  void SetTexts(const std::vector<ControlText>& texts);
  // Sets a path field as a picker or a drop fills it.
  void ChoosePath(int field, const std::wstring& path);
  // Shows the output path the model suggests, if it has a new one.
  void ShowSuggestedOutput(const std::optional<std::string>& output);
  void SetItemText(int id, std::string_view utf8);
  std::string ItemText(int id) const;
  int CheckedRadioButton(int first, int last) const;
  // Returns whether the box's check box was checked.
  bool ShowMessage(const WindowMessage& message);

  HINSTANCE m_instance;
  HWND m_window = nullptr;
  HICON m_bigIcon = nullptr;
  HICON m_smallIcon = nullptr;
  DialogModel m_model;
  std::wstring m_startInput;
  HWND m_previewPane = nullptr;
  SIZE m_controlsSize{};  // the window's size without the pane
  int m_paneWidth = 0;
  preview::ShownPicture m_preview;
  std::unique_ptr<preview::Worker> m_previewWorker;
};
