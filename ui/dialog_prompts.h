// What the main dialog asks of the user outside its own window: message boxes,
// file pickers and the modal run of the about box. QtDialogPrompts shows Qt's
// own boxes; the tests put in prompts that answer at once and record the calls.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "conversion_run.h"

class QDialog;
class QFileDialog;
class QMessageBox;
class QWidget;

struct FilePickerRequest {
  enum class Kind {
    Open,  // the chosen file must exist
    Save,  // an existing file is only taken after the user agreed to replace it
  };
  Kind kind = Kind::Open;
  QStringList nameFilters;  // the first one is selected
  QString defaultSuffix;    // appended to a name typed without one
  QString folder;           // where the picker opens; empty for its own choice
  QString name;             // the file name it offers; empty for none
};

class DialogPrompts {
 public:
  virtual ~DialogPrompts() = default;

  // A modal box owned by owner, with an OK button, unless checkBoxText is
  // empty a check box below its text, and unless folderButtonText is empty a
  // button that opens the folder of fileToShow in the system's file manager.
  // Returns when it is closed: whether the check box was checked.
  virtual bool ShowMessage(QWidget* owner, const QString& text, const QString& title,
                           MessageStyle style, const QString& checkBoxText,
                           const QString& folderButtonText, const QString& fileToShow) = 0;
  // A modal Yes/No box owned by owner; returns whether Yes was chosen.
  virtual bool AskYesNo(QWidget* owner, const QString& text, const QString& title,
                        MessageStyle style) = 0;
  // The full path of the chosen file, or nothing when the picker was cancelled.
  virtual std::optional<QString> PickFile(QWidget* owner, const FilePickerRequest& request) = 0;
  // Runs dialog modally and returns the code it ended with.
  virtual int RunModal(QDialog& dialog) = 0;
};

class QtDialogPrompts : public DialogPrompts {
 public:
  bool ShowMessage(QWidget* owner, const QString& text, const QString& title, MessageStyle style,
                   const QString& checkBoxText, const QString& folderButtonText,
                   const QString& fileToShow) override;
  bool AskYesNo(QWidget* owner, const QString& text, const QString& title,
                MessageStyle style) override;
  std::optional<QString> PickFile(QWidget* owner, const FilePickerRequest& request) override;
  int RunModal(QDialog& dialog) override;
};

// The settings QtDialogPrompts gives its boxes, apart for the tests. The
// folder button, when there is one, is named "openFolder".
void ConfigureMessageBox(QMessageBox& box, const QString& text, const QString& title,
                         MessageStyle style, const QString& checkBoxText = {},
                         const QString& folderButtonText = {});
// A box of ConfigureMessageBox's with Yes and No in place of OK; No is the
// default, and Escape answers it.
void ConfigureQuestionBox(QMessageBox& box, const QString& text, const QString& title,
                          MessageStyle style);
void ConfigureFilePicker(QFileDialog& picker, const FilePickerRequest& request);
