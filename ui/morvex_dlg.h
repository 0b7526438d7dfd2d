// The converter window: input and output path, one of six processing options,
// the via-point maximum and the one-route choice for options 5 and 6, the
// language of every text and message, and the Convert button that starts one
// conversion run.
//
// Controls are addressed by the ids of dialog_ids.h through GetDlgItem and the
// other ...DlgItem... calls, so that the handlers read the same on every
// toolkit. The control table, the texts and the rules of which control is
// enabled are the dialog model's (dialog_model.h); this class only shows them.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "conversion_run.h"
#include "dialog_model.h"
#include "dialog_prompts.h"
#include "preview_model.h"
#include "qt_translations.h"

class QKeyEvent;
class QMenu;
class PreviewPane;

// Standard commands of the window menu, handled by the default processing.
enum SystemCommand : unsigned {
  SC_MINIMIZE = 0xF020,
  SC_CLOSE = 0xF060,
};

class CMorvexDlg : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY(CMorvexDlg)

 public:
  explicit CMorvexDlg(QWidget* parent = nullptr);
  ~CMorvexDlg() override;

  // The boxes, pickers and modal runs the dialog uses; nullptr restores Qt's
  // own. The dialog does not own prompts.
  void SetPrompts(DialogPrompts* prompts);

  // The window menu: the standard commands and the About item. Qt cannot add
  // to the window manager's own menu, so this one opens on a right click.
  QMenu* GetSystemMenu() const { return m_systemMenu; }

  // Controls by id; nullptr or no effect for an id the dialog does not have.
  QWidget* GetDlgItem(int id) const;
  void SetDlgItemText(int id, const QString& text);
  void SetDlgItemInt(int id, unsigned value);
  // Checks a radio button without a click: no handler runs.
  void CheckDlgButton(int id);

  std::string GetDlgItemText(int id) const;
  // The field read as an unsigned decimal number; text that is not one reads as 0.
  unsigned GetDlgItemInt(int id) const;
  // The first checked button of first..last in rising order, or 0 when none is.
  int GetCheckedRadioButton(int first, int last) const;
  // A modal box owned by the dialog, through the prompts; returns when it is closed.
  void MessageBox(const std::string& text, const std::string& title, MessageStyle style);

  // The language of the texts and messages, chosen with the language buttons.
  Language CurrentLanguage() const { return m_model.CurrentLanguage(); }
  // Where the runs' trace lines go; null (at start) for none. Not owned.
  void SetTraceOutput(OutputStream* trace) { m_model.SetTraceOutput(trace); }
  // The input path the program was started with, taken as a picked one: an
  // empty output field gets the suggested name. No effect for an empty path.
  void SetInputPath(const QString& path);

  // The event table's handlers.
  bool OnInitDialog();
  void OnSysCommand(unsigned nID, qintptr lParam);
  void OnBrowseInput();
  void OnBrowseOutput();
  void OnConvert();
  void OnOptionClicked();
  void OnOneRouteClicked();
  void OnLanguageClicked();
  // The input path chosen: left after typing, picked, or dropped.
  void OnInputChanged();
  // Shows or hides the preview pane.
  void OnPreview();
  // The pane, or nullptr before it is made.
  PreviewPane* GetPreviewPane() const { return m_previewPane; }

  // Where the settings are kept between starts: QSettings of organisation and
  // application "Morvex", in the user's scope.
  static constexpr char kSettingsName[] = "Morvex";

 protected:
  // Every way of ending the dialog (Quit, Escape, the close box) keeps its
  // settings.
  void done(int result) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool focusNextPrevChild(bool next) override;

 private:
  // A message box, its texts already fit for a window.
  // Returns whether the box's check box was checked.
  bool ShowWindowMessage(const WindowMessage& message);

  void CreateControls();
  void LayOutControls();
  void FixWindowSize();
  void SetTemplateTexts();
  void SetTexts(const std::vector<ControlText>& texts);
  void ShowEnabledState();
  // The id of a control of the dialog; 0 for any other widget.
  int IdOf(const QWidget* control) const;
  bool MoveInRadioGroup(int id, const QKeyEvent& key);
  bool FocusForMnemonic(int id);
  void Browse(FilePickerRequest request, int field);
  void RestoreSettings();
  void SaveSettings();
  // Whether the run may replace the output: no file there, the user agreed
  // to it before, or says Yes now.
  bool MayReplaceOutput(const std::string& outputPath);
  // Sets a path field as a picker or a drop fills it.
  void ChoosePath(int field, const QString& path);
  // Shows the output path the model suggests, if it has a new one.
  void ShowSuggestedOutput(const std::optional<std::string>& output);
  void DefaultSysCommand(unsigned nID, qintptr lParam);
  // Asks for a new picture of what the controls say now, when the pane is shown.
  // convertedInto: after Convert, the file the run wrote (empty when it did
  // not complete); the picture then comes from the files, whatever their size.
  void RequestPreview(const std::optional<std::string>& convertedInto = std::nullopt);
  void TakePreview();
  void ShowPreviewPane(bool shown);
  void FitPreviewPane();

  QIcon m_hIcon;                                     // window icon, loaded at construction
  std::vector<std::pair<int, QWidget*>> m_controls;  // in template order
  QMenu* m_systemMenu = nullptr;
  DialogPrompts* m_prompts = nullptr;
  DialogModel m_model;
  QtTranslations m_qtTexts;  // Qt's own texts in the model's language
  PreviewPane* m_previewPane = nullptr;
  QSize m_controlsSize;  // the window's size without the pane
  std::unique_ptr<preview::Worker> m_previewWorker;
};
