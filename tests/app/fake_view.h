// A converter window without a toolkit, for the presenter's tests: it keeps
// the label keys and field contents it is shown by control id, records every box, picker and About,
// answers them from scripts, and keeps posted tasks until the test runs them. And settings kept in
// memory.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings.h"
#include "view.h"

class FakeView final : public View {
 public:
  void SetLabel(int id, TextKey text, Language language) override {
    labels.insert_or_assign(id, Label{text, language});
  }
  void SetFieldText(int id, std::string_view text) override { texts[id] = text; }
  void SetChecked(int id, bool on) override { checked[id] = on; }
  void SetEnabled(int id, bool on) override { enabled[id] = on; }
  void ShowTabStops(const std::vector<int>& stops) override { tabStops = stops; }
  void ShowLanguage(Language language) override { languages.push_back(language); }

  // Records the box; its check box counts as checked from the box numbered
  // checkBoxCheckedFrom on (from 1; 0 for never).
  bool ShowMessage(const WindowMessage& message) override {
    messages.push_back(message);
    return checkBoxCheckedFrom != 0 && messages.size() >= checkBoxCheckedFrom;
  }
  // Answers with the next of questionAnswers; No once they run out.
  bool AskYesNo(const WindowMessage& question) override {
    questions.push_back(question);
    return Next(questionAnswers, false);
  }
  // Answers with the next of pickAnswers; cancelled once they run out.
  std::optional<std::string> PickFile(const FilePick& pick) override {
    picks.push_back(pick);
    return Next(pickAnswers, std::optional<std::string>());
  }
  void ShowAbout(Language language) override { abouts.push_back(language); }

  void ShowPreviewPane(bool shown) override { paneShown.push_back(shown); }
  void ShowPicture(preview::Outcome outcome) override { pictures.push_back(std::move(outcome)); }
  void ShowPictureComing() override { ++picturesComing; }
  void ShowBusy(bool busy) override { busyShown.push_back(busy); }
  void ShowProgress(const std::optional<ProgressShown>& shown) override {
    progress.push_back(shown);
  }
  void Close() override { ++closes; }
  // From any thread, as the workers post.
  void Post(std::function<void()> task) override {
    const std::lock_guard lock(m_posts->mutex);
    m_posts->tasks.push_back(std::move(task));
    m_posts->posted.notify_all();
  }
  // The tasks posted so far, taken out to be run.
  std::vector<std::function<void()>> TakePosted() {
    const std::lock_guard lock(m_posts->mutex);
    return std::exchange(m_posts->tasks, {});
  }
  // The same, once there is one or the time is up.
  std::vector<std::function<void()>> WaitForPosted(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_posts->mutex);
    m_posts->posted.wait_for(lock, timeout, [&] { return !m_posts->tasks.empty(); });
    return std::exchange(m_posts->tasks, {});
  }

  std::string Text(int id) const { return texts.contains(id) ? texts.at(id) : std::string(); }
  bool Checked(int id) const { return checked.contains(id) && checked.at(id); }
  bool Enabled(int id) const { return enabled.contains(id) && enabled.at(id); }

  struct Label {
    TextKey text;
    Language language;
  };
  std::map<int, Label> labels;
  std::map<int, std::string> texts;  // of the fields
  std::map<int, bool> checked;
  std::map<int, bool> enabled;
  std::vector<int> tabStops;
  std::vector<Language> languages;
  std::vector<WindowMessage> messages;
  size_t checkBoxCheckedFrom = 0;
  std::vector<WindowMessage> questions;
  std::deque<bool> questionAnswers;
  std::vector<FilePick> picks;
  std::deque<std::optional<std::string>> pickAnswers;
  std::vector<Language> abouts;
  std::vector<bool> paneShown;
  std::vector<preview::Outcome> pictures;
  int picturesComing = 0;
  std::vector<bool> busyShown;
  std::vector<std::optional<ProgressShown>> progress;
  int closes = 0;

 private:
  template <typename T>
  static T Next(std::deque<T>& answers, T otherwise) {
    if (answers.empty()) return otherwise;
    T answer = std::move(answers.front());
    answers.pop_front();
    return answer;
  }

  struct Posts {
    std::mutex mutex;
    std::condition_variable posted;
    std::vector<std::function<void()>> tasks;
  };
  std::unique_ptr<Posts> m_posts = std::make_unique<Posts>();
};

// Settings in memory: what Load gives (at first what an empty store gives in
// an English locale), and every Save.
class MemorySettings final : public SettingsStore {
 public:
  static DialogSettings FirstStart() {
    return SettingsFromStored([](std::string_view) { return std::optional<std::string>(); },
                              "en_US");
  }
  DialogSettings Load() override { return stored; }
  void Save(const DialogSettings& settings) override {
    stored = settings;
    ++saves;
  }

  DialogSettings stored = FirstStart();
  int saves = 0;
};
