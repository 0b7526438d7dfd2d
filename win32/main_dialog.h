// The converter window of the native Windows program: the dialog IDD_MAIN of
// morvex.rc as a View of the presenter (app/presenter.h). It shows what the
// presenter tells it with the system's calls and reports what the user does;
// the settings live in %APPDATA%\Morvex\Morvex.ini.
#pragma once

#include <windows.h>

#include <shellapi.h>  // needs windows.h first

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "presenter.h"
#include "preview_model.h"
#include "settings.h"
#include "view.h"

class CMorvexDlg final : public View {
 public:
  explicit CMorvexDlg(HINSTANCE instance);
  ~CMorvexDlg() override;
  CMorvexDlg(const CMorvexDlg&) = delete;
  CMorvexDlg& operator=(const CMorvexDlg&) = delete;

  // The input path the window shows at start (a file opened with the program).
  void SetInputPath(std::wstring path) { m_startInput = std::move(path); }
  // Shows the window and runs it until it is closed; returns the exit status.
  int Run();

  void SetLabel(int id, TextKey text, Language language) override;
  void SetFieldText(int id, std::string_view text) override;
  void SetChecked(int id, bool checked) override;
  void SetEnabled(int id, bool enabled) override;
  void ShowTabStops(const std::vector<int>& stops) override;
  void ShowLanguage(Language language) override;
  bool ShowMessage(const WindowMessage& message) override;
  bool AskYesNo(const WindowMessage& question) override;
  std::optional<std::string> PickFile(const FilePick& pick) override;
  void ShowAbout(Language language) override;
  void ShowPreviewPane(bool shown) override;
  void ShowPicture(preview::Outcome outcome) override;
  void ShowPictureComing() override;
  void ShowBusy(bool busy) override;
  void ShowProgress(const std::optional<ProgressShown>& progress) override;
  void Close() override;
  void Post(std::function<void()> task) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR dialog);
  bool OnPaneMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  void OnInitDialog();
  void OnDestroy();
  void AddAboutToSystemMenu();
  void ShowTemplateState();
  void MakePreviewPane();
  void RememberTemplatePlaces();
  void LayOut(int width, int height);
  RECT PanePlace(int width, int height) const;
  SIZE SmallestSize() const;
  void OnGetMinMaxInfo(MINMAXINFO& info) const;
  void OnWindowPosChanging(WINDOWPOS& position);
  void MakeProgressControls();
  HWND MakeControl(const wchar_t* windowClass, DWORD style, RECT place, int id);
  void AcceptDrops();

  void OnCommand(int id, int notification);
  void OnEditNotification(int id, int notification);
  void OnButtonClicked(int id);
  bool OnSysCommand(WPARAM command);
  void OnDropFiles(HDROP drop);
  bool OnSetCursor(LPARAM hitTest);
  void ShowCursorNow();
  void SetBarMeasured(bool measured);
  void RunNextTask();
  void DrawPreview(const DRAWITEMSTRUCT& item);
  bool PointerOverPane(LPARAM screenPoint) const;
  SIZE PaneLayoutSize() const;
  preview::Pixel PaneLayoutPixel(POINT client) const;
  void ZoomPane(POINT client, double factor);
  void DragPaneTo(POINT client);
  void RepaintPane();
  std::string ItemText(int id) const;

  HINSTANCE m_instance;
  HWND m_window = nullptr;
  HICON m_bigIcon = nullptr;
  HICON m_smallIcon = nullptr;
  std::wstring m_startInput;
  HWND m_previewPane = nullptr;
  bool m_paneShown = false;
  SIZE m_controlsSize{};  // the window's smallest size, without the pane
  int m_paneWidth = 0;    // what the pane adds to the window's width
  // The controls of the path frames, which follow the window's right edge,
  // at their places in the template, and the client area's size there.
  struct PathFrameControl {
    int id;
    bool stretches;  // its right edge follows the window's; else it moves with it
    RECT place;
  };
  std::vector<PathFrameControl> m_pathFrameControls;
  SIZE m_templateClient{};
  int m_paneTop = 0;  // the top of the options frame: the pane starts there
  int m_margin = 0;   // between the controls and the window's edges
  int m_laidOutWidth = 0;
  int m_restoredWidthChange = 0;  // the pane shown or hidden while maximised
  preview::ShownPicture m_preview;
  std::optional<preview::Pixel> m_dragAt;  // a drag over the pane: where it was last
  Language m_paneLanguage = Language::kEnglish;
  HWND m_progressText = nullptr;
  HWND m_progressBar = nullptr;
  bool m_busy = false;  // a run is going on: the cursor says so

  // The tasks of Post, oldest first, run on the window's thread; the window
  // (null once it has gone) is where the message that runs them is posted.
  std::mutex m_tasksMutex;
  std::deque<std::function<void()>> m_tasks;
  HWND m_tasksWindow = nullptr;

  // Last, so that the presenter goes first: its preview worker may still post.
  SettingsFile m_settings;
  Presenter m_presenter;
};
