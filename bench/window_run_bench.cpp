// A conversion run as the window makes it (the presenter's worker thread, its
// boxes and progress handed to the window's thread) against the same run
// called directly, as the command line calls it. The window's thread here is
// the program's main thread, taking the posted tasks as an event loop would.
//
//   morvex-window-bench [--runs N] [--option N] [--one-route] INPUT OUTPUT
//
// Prints the median wall time of each, in seconds, and how many progress
// updates the window was shown.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "conversion_run.h"
#include "dialog_ids.h"
#include "presenter.h"
#include "view.h"

namespace {

using Clock = std::chrono::steady_clock;

// A window without a screen: it answers every box and question with OK or
// Yes and runs posted tasks when the loop asks.
class HeadlessView final : public View {
 public:
  void SetLabel(int, TextKey, Language) override {}
  void SetFieldText(int, std::string_view) override {}
  void SetChecked(int, bool) override {}
  void SetEnabled(int id, bool enabled) override {
    if (id == IDC_INPUT_PATH) running = !enabled;
  }
  void ShowTabStops(const std::vector<int>&) override {}
  void ShowLanguage(Language) override {}
  bool ShowMessage(const WindowMessage&) override { return false; }
  bool AskYesNo(const WindowMessage&) override { return true; }
  std::optional<std::string> PickFile(const FilePick&) override { return std::nullopt; }
  void ShowAbout(Language) override {}
  void ShowPreviewPane(bool) override {}
  void ShowPicture(preview::Outcome) override {}
  void ShowPictureComing() override {}
  void ShowBusy(bool) override {}
  void ShowProgress(const std::optional<ProgressShown>& shown) override {
    if (shown) ++progressShown;
  }
  void Close() override {}
  void Post(std::function<void()> task) override {
    const std::lock_guard lock(mutex);
    tasks.push_back(std::move(task));
    posted.notify_one();
  }
  // Runs the posted tasks until the run has ended.
  void LoopWhileRunning() {
    while (running) {
      std::unique_lock lock(mutex);
      posted.wait(lock, [&] { return !tasks.empty(); });
      std::deque<std::function<void()>> taken;
      taken.swap(tasks);
      lock.unlock();
      for (auto& task : taken) task();
    }
  }

  bool running = false;
  int progressShown = 0;

 private:
  std::mutex mutex;
  std::condition_variable posted;
  std::deque<std::function<void()>> tasks;
};

class MemorySettings final : public SettingsStore {
 public:
  DialogSettings Load() override { return settings; }
  void Save(const DialogSettings& kept) override { settings = kept; }
  DialogSettings settings;
};

class SilentReporter final : public RunReporter {
 public:
  void ShowMessage(const std::string&, const std::string&, MessageStyle) override {}
};

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Seconds of one run called directly.
double DirectRun(const std::vector<std::string>& paths, int option, bool oneRoute) {
  RunRequest request;
  request.inputPath = paths[0];
  request.outputPath = paths[1];
  request.mode = ModeForOption(option);
  request.oneRoute = oneRoute;
  SilentReporter reporter;
  const Clock::time_point start = Clock::now();
  RunConversion(request, reporter);
  return Seconds(Clock::now() - start);
}

// Seconds of one run through the presenter, from Convert to the run's end.
double WindowRun(const std::vector<std::string>& paths, int option, bool oneRoute,
                 int& progressShown) {
  HeadlessView view;
  MemorySettings settings;
  settings.settings.option = option;
  settings.settings.oneRoute = oneRoute;
  settings.settings.viaText = "250";
  Presenter presenter(view, settings);
  presenter.Start();
  presenter.OnPathChosen(IDC_INPUT_PATH, paths[0]);
  presenter.OnPathChosen(IDC_OUTPUT_PATH, paths[1]);
  const Clock::time_point start = Clock::now();
  presenter.OnConvert();
  view.LoopWhileRunning();
  progressShown = view.progressShown;
  return Seconds(Clock::now() - start);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  int option = 1;
  bool oneRoute = false;
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--option") == 0 && i + 1 < argc) {
      option = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--one-route") == 0) {
      oneRoute = true;
    } else {
      paths.push_back(argv[i]);
    }
  }
  if (paths.size() != 2 || runs < 1 || option < 1 || option > 6) {
    std::fputs("usage: morvex-window-bench [--runs N] [--option N] [--one-route] IN OUT\n", stderr);
    return 2;
  }
  std::vector<double> direct;
  std::vector<double> window;
  int progressShown = 0;
  // The two take turns at going first, so that both meet the same moments of the machine.
  for (int run = 0; run < runs; ++run) {
    for (int turn = 0; turn < 2; ++turn) {
      if ((run + turn) % 2 == 0) {
        direct.push_back(DirectRun(paths, option, oneRoute));
      } else {
        window.push_back(WindowRun(paths, option, oneRoute, progressShown));
      }
    }
  }
  std::printf("direct %.3f s, window %.3f s (median of %d), %d progress updates shown\n",
              Median(direct), Median(window), runs, progressShown);
  return 0;
}
