#include "window_messages.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "file_io.h"
#include "messages.h"
#include "text_utils.h"
#include "window_texts.h"

namespace {

// The line below a run's last box that counts the messages a check box
// silenced, with its line break; empty when there were none.
std::string NotShownLine(unsigned notShown, Language language) {
  const char* line = TextFor(MessageId::kMessagesNotShown, language).text;
  if (notShown == 0 || line == nullptr) return {};
  std::vector<char> counted(std::strlen(line) + 12);
  std::snprintf(counted.data(), counted.size(), line, notShown);
  std::string shown(1, '\n');
  shown += counted.data();
  return shown;
}

}  // namespace

WindowMessage ForWindow(std::string_view text, std::string_view title, MessageStyle style) {
  return {TextForWindow(text), TextForWindow(title), style, {}, {}, {}};
}

WindowMessage ReplaceQuestion(std::string_view outputPath, Language language) {
  const MessageText question = TextFor(MessageId::kReplaceOutput, language);
  if (question.text == nullptr) return {};
  return ForWindow(Filled(question.text, PathToMessageText(outputPath)), question.title,
                   MessageStyle::Exclamation);
}

void WindowReporter::OnRunStart(const RunRequest& request) {
  m_language = request.language;
  m_outputPath = request.outputPath;
  m_silenced = false;
  m_notShown = 0;
}

void WindowReporter::ShowRecordMessage(const std::string& text, const std::string& title,
                                       MessageStyle style) {
  if (m_silenced) {
    ++m_notShown;
    return;
  }
  WindowMessage message = ForWindow(text, title, style);
  const char* checkBox = TextFor(MessageId::kShowNoMoreMessages, m_language).text;
  if (checkBox != nullptr) message.checkBoxText = checkBox;
  m_silenced = m_show(message) && !message.checkBoxText.empty();
}

void WindowReporter::ShowMessage(const std::string& text, const std::string& title,
                                 MessageStyle style) {
  WindowMessage message = ForWindow(text, title, style);
  message.text += NotShownLine(m_notShown, m_language);
  m_show(message);
}

void WindowReporter::ShowCompletion(const std::string& text, const std::string& title,
                                    const std::string& summaryText,
                                    const std::string& /*summaryTitle*/) {
  WindowMessage message =
      ForWindow(summaryText.empty() ? text : text + "\n" + summaryText, title, MessageStyle::Plain);
  message.text += NotShownLine(m_notShown, m_language);
  const char* pathLine = TextFor(MessageId::kOutputFileLine, m_language).text;
  const char* button = TextFor(MessageId::kOpenFolder, m_language).text;
  if (pathLine != nullptr && button != nullptr &&
      fileio::KindOfPath(m_outputPath) == fileio::PathKind::kFile) {
    message.text += '\n';
    message.text += TextForWindow(Filled(pathLine, PathToMessageText(m_outputPath)));
    message.folderButtonText = button;
    message.fileToShow = m_outputPath;
  }
  m_show(message);
}
