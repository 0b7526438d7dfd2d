#include "dialog_prompts.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

void ConfigureMessageBox(QMessageBox& box, const QString& text, const QString& title,
                         MessageStyle style, const QString& checkBoxText,
                         const QString& folderButtonText) {
  box.setWindowTitle(title);
  // Messages may carry names read from a GDB file: never let them turn into markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(text);
  // Qt's box wraps a text wider than 500 pixels (or half the screen), inside its
  // lines too: a summary line or a path would break in the middle, a path at
  // any hyphen. Each line keeps the room it needs, within the widest box Qt
  // makes; a wider one has its text broken anywhere, not only at spaces.
  const QScreen* screen = box.screen();
  auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  if (screen != nullptr && label != nullptr) {
    box.ensurePolished();
    const QFontMetrics metrics = label->fontMetrics();
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
      widest = qMax(widest, metrics.horizontalAdvance(line) + 1);
    }
    const int screenWidth = screen->availableGeometry().width();
    const int widestBox = screenWidth <= 1024 ? screenWidth : qMin(screenWidth - 480, 1000);
    const int iconAndMargins = 200;
    label->setMinimumWidth(qMin(widest, widestBox - iconAndMargins));
  }
  box.setIcon(style == MessageStyle::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  if (!checkBoxText.isEmpty()) box.setCheckBox(new QCheckBox(checkBoxText, &box));
  if (!folderButtonText.isEmpty()) {
    box.addButton(folderButtonText, QMessageBox::ActionRole)
        ->setObjectName(QStringLiteral("openFolder"));
  }
}

void ConfigureQuestionBox(QMessageBox& box, const QString& text, const QString& title,
                          MessageStyle style) {
  ConfigureMessageBox(box, text, title, style);
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
}

void ConfigureFilePicker(QFileDialog& picker, const FilePickerRequest& request) {
  const bool open = request.kind == FilePickerRequest::Kind::Open;
  picker.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  picker.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  picker.setNameFilters(request.nameFilters);
  if (!request.nameFilters.isEmpty()) picker.selectNameFilter(request.nameFilters.first());
  picker.setDefaultSuffix(request.defaultSuffix);
  if (!request.folder.isEmpty()) picker.setDirectory(request.folder);
  if (!request.name.isEmpty()) picker.selectFile(request.name);
  picker.setOption(QFileDialog::DontConfirmOverwrite, false);
  // Qt's own picker adds the default suffix before it asks about replacing a
  // file; a desktop picker may ask about the name without it and then let the
  // suffixed file be replaced unasked.
  picker.setOption(QFileDialog::DontUseNativeDialog, true);
  picker.setWindowModality(Qt::ApplicationModal);
}

bool QtDialogPrompts::ShowMessage(QWidget* owner, const QString& text, const QString& title,
                                  MessageStyle style, const QString& checkBoxText,
                                  const QString& folderButtonText, const QString& fileToShow) {
  QMessageBox box(owner);
  ConfigureMessageBox(box, text, title, style, checkBoxText, folderButtonText);
  box.exec();
  const QAbstractButton* clicked = box.clickedButton();
  if (clicked != nullptr && clicked->objectName() == QLatin1String("openFolder")) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(fileToShow).absolutePath()));
  }
  return box.checkBox() != nullptr && box.checkBox()->isChecked();
}

bool QtDialogPrompts::AskYesNo(QWidget* owner, const QString& text, const QString& title,
                               MessageStyle style) {
  QMessageBox box(owner);
  ConfigureQuestionBox(box, text, title, style);
  return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtDialogPrompts::PickFile(QWidget* owner, const FilePickerRequest& request) {
  QFileDialog picker(owner);
  ConfigureFilePicker(picker, request);
  if (picker.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = picker.selectedFiles();
  if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(chosen.first());
}

int QtDialogPrompts::RunModal(QDialog& dialog) {
  return dialog.exec();
}
