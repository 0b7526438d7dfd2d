// The converter window: input and output path, one of six processing options,
// the via-point maximum and the one-route choice for options 5 and 6, the
// language of every text and message, and the Convert button that starts one
// conversion run.
//
// The window is the presenter's view (presenter.h): it makes its controls
// from the control table, shows what the presenter tells it and reports what
// the user does. Controls are addressed by the ids of dialog_ids.h.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>
#include <utility>
#include <vector>

#include "dialog_prompts.h"
#include "presenter.h"
#include "qt_settings_store.h"
#include "qt_translations.h"
#include "view.h"

class QHBoxLayout;
class QKeyEvent;
class QMenu;
class QMimeData;
class QProgressBar;
class PreviewPane;

// Standard commands of the window menu, handled by the default processing.
enum SystemCommand : unsigned {
  SC_MINIMIZE = 0xF020,
  SC_CLOSE = 0xF060,
};

class CMorvexDlg : public QDialog, public View {
  Q_OBJECT
  Q_DISABLE_COPY(CMorvexDlg)

 public:
  explicit CMorvexDlg(QWidget* parent = nullptr);
  ~CMorvexDlg() override;

  // The boxes, pickers and modal runs the dialog uses; nullptr restores Qt's
  // own. The dialog does not own prompts.
  void SetPrompts(DialogPrompts* prompts);

  // The window menu: the standard commands and the About item. Qt cannot add
  // to the window manager's own menu, so this one opens on a right click; its
  // commands speak the window's language, as the toolkit's own texts do.
  QMenu* GetSystemMenu() const { return m_systemMenu; }

  // Controls by id; nullptr or no effect for an id the dialog does not have.
  QWidget* GetDlgItem(int id) const;
  void SetDlgItemText(int id, const QString& text);

  // Where the runs' trace lines go; null (at start) for none. Not owned.
  void SetTraceOutput(OutputStream* trace) { m_presenter.SetTraceOutput(trace); }
  // The input path the program was started with, taken as a dropped one: an
  // empty output field gets the suggested name. No effect for an empty path.
  void SetInputPath(const QString& path);

  // The event table's handlers.
  bool OnInitDialog();
  void OnSysCommand(unsigned nID, qintptr lParam);
  void OnBrowseInput();
  void OnBrowseOutput();
  void OnConvert();
  // Shows or hides the preview pane.
  void OnPreview();
  // The pane, or nullptr before it is made.
  PreviewPane* GetPreviewPane() const { return m_previewPane; }

  // View
  void SetLabel(int id, TextKey text, Language language) override;
  void SetFieldText(int id, std::string_view text) override;
  void SetChecked(int id, bool checked) override;
  void SetEnabled(int id, bool enabled) override;
  // Tab asks the presenter's state (focusNextPrevChild).
  void ShowTabStops(const std::vector<int>& /*stops*/) override {}
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

  // Quit and Escape: a run going on is stopped and the window stays;
  // otherwise the window closes, its settings kept.
  void reject() override;

 protected:
  // The close box and the window menu's Close: as Quit, except that a run
  // going on is stopped and the window closed once it has ended.
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool focusNextPrevChild(bool next) override;

 private:
  void CreateControls();
  void ConnectControls();
  void LayOutControls();
  QProgressBar* MakeProgressBar();
  void FixWindowSize();
  void SetTemplateTexts();
  void SetLanguageTexts(Language language);
  void SetWindowMenuTexts(Language language);
  // The id of a control of the dialog; 0 for any other widget.
  int IdOf(const QWidget* control) const;
  bool MoveInRadioGroup(int id, const QKeyEvent& key);
  bool FocusForMnemonic(int id);
  void DefaultSysCommand(unsigned nID, qintptr lParam);
  void FitPreviewPane(bool shown);
  QSize SmallestSize() const;
  void KeepOnScreen();
  // The one local file a drag carries, if the window takes files now; empty
  // for anything else.
  QString FileToTake(const QMimeData* mime) const;

  QIcon m_hIcon;                                     // window icon, loaded at construction
  std::vector<std::pair<int, QWidget*>> m_controls;  // in template order
  QMenu* m_systemMenu = nullptr;
  std::vector<std::pair<TextKey, QAction*>> m_systemCommands;  // the menu's items before About
  DialogPrompts* m_prompts = nullptr;
  QtTranslations m_qtTexts;  // Qt's own texts in the window's language
  PreviewPane* m_previewPane = nullptr;
  QProgressBar* m_progress = nullptr;  // a run's, hidden but for its room while none is shown
  bool m_closing = false;              // the presenter has agreed to the close under way
  QSize m_controlsSize;                // the window's smallest size without the pane
  QHBoxLayout* m_lower = nullptr;      // the options, the buttons' column and the pane
  int m_paneWidth = 0;                 // the pane's width when it was last shown
  QtSettingsStore m_settings;
  Presenter m_presenter;  // after the store it reads and writes
};
