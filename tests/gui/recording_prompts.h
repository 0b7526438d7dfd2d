// Prompts for the GUI tests: they answer at once, so that no box or picker
// waits for a user, and record what the dialog asked.
#pragma once

#include <QDialog>
#include <QString>
#include <QWidget>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "dialog_prompts.h"

class RecordingPrompts : public DialogPrompts {
 public:
  struct Message {
    QString text;
    QString title;
    MessageStyle style;
    QWidget* owner;
    QString checkBoxText;
    QString folderButtonText;
    QString fileToShow;
  };

  // Records the box; its check box counts as checked from the message
  // numbered checkBoxCheckedFrom on (from 1; 0 for never).
  bool ShowMessage(QWidget* owner, const QString& text, const QString& title, MessageStyle style,
                   const QString& checkBoxText, const QString& folderButtonText,
                   const QString& fileToShow) override {
    messages.push_back({text, title, style, owner, checkBoxText, folderButtonText, fileToShow});
    return checkBoxCheckedFrom != 0 && messages.size() >= checkBoxCheckedFrom;
  }

  // Records the question and answers with the next of questionAnswers; No
  // once they run out.
  bool AskYesNo(QWidget* owner, const QString& text, const QString& title,
                MessageStyle style) override {
    questions.push_back({text, title, style, owner, {}, {}, {}});
    if (questionAnswers.empty()) return false;
    const bool yes = questionAnswers.front();
    questionAnswers.pop_front();
    return yes;
  }

  // Answers with the next of pickerAnswers; nothing (cancel) once they run out.
  std::optional<QString> PickFile(QWidget* owner, const FilePickerRequest& request) override {
    pickerRequests.push_back(request);
    pickerOwners.push_back(owner);
    if (pickerAnswers.empty()) return std::nullopt;
    std::optional<QString> answer = pickerAnswers.front();
    pickerAnswers.pop_front();
    return answer;
  }

  // Records the dialog, lets onModal look at it, and closes it as Escape would.
  int RunModal(QDialog& dialog) override {
    modalRuns.push_back(QString::fromLatin1(dialog.metaObject()->className()));
    if (onModal) onModal(dialog);
    dialog.reject();
    return dialog.result();
  }

  std::vector<Message> messages;
  size_t checkBoxCheckedFrom = 0;
  std::vector<Message> questions;
  std::deque<bool> questionAnswers;
  std::vector<FilePickerRequest> pickerRequests;
  std::vector<QWidget*> pickerOwners;
  std::deque<std::optional<QString>> pickerAnswers;
  std::vector<QString> modalRuns;
  std::function<void(QDialog&)> onModal;
};
