// The message boxes of the converter window: the run's messages made fit
// for a window, the question asked before an output is replaced, and the
// reporter that shows a run's messages through a window's boxes.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "conversion_run.h"

// A message box as a window shows it.
struct WindowMessage {
  std::string text;
  std::string title;
  MessageStyle style;
  std::string checkBoxText;  // the box's check box, below its text; empty for none
  // A button beside OK that opens the folder of fileToShow in the system's
  // file manager and closes the box; empty for none. fileToShow is UTF-8.
  std::string folderButtonText;
  std::string fileToShow;
};

// A message of the run or the window made fit for a window (see TextForWindow).
WindowMessage ForWindow(std::string_view text, std::string_view title, MessageStyle style);

// The question a Convert asks before the run replaces the output that exists
// (DialogModel::AsksBeforeReplacing), in the language; a Yes/No box. Empty
// text for a language without texts, which asks nothing.
WindowMessage ReplaceQuestion(std::string_view outputPath, Language language);

// Shows the run's messages through a window's message box. Each record
// message's box has a check box; once it is checked, the run's later record
// messages are only counted, and the box that ends the run says how many.
class WindowReporter final : public RunReporter {
 public:
  // Shows the box and returns whether its check box was checked when it closed.
  using ShowFunction = std::function<bool(const WindowMessage&)>;
  explicit WindowReporter(ShowFunction show) : m_show(std::move(show)) {}

  void OnRunStart(const RunRequest& request) override;
  void ShowRecordMessage(const std::string& text, const std::string& title,
                         MessageStyle style) override;
  // The box that ends the run.
  void ShowMessage(const std::string& text, const std::string& title, MessageStyle style) override;
  // The box that ends a completed run: the summary below the message, then
  // the output's path and a button that opens its folder, when the output is
  // a file (not a device such as the null device).
  void ShowCompletion(const std::string& text, const std::string& title,
                      const std::string& summaryText, const std::string& summaryTitle) override;

 private:
  ShowFunction m_show;
  Language m_language = Language::kEnglish;
  std::string m_outputPath;
  bool m_silenced = false;
  unsigned m_notShown = 0;
};
