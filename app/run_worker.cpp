#include "run_worker.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "progress_text.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kQuietStart = std::chrono::milliseconds(500);
constexpr auto kTick = std::chrono::milliseconds(100);
// How long a worker that goes waits for its run to end before it leaves it.
constexpr auto kLongestEnd = std::chrono::seconds(2);

}  // namespace

// What the run's thread, the ticker and the tasks posted to the window share;
// each holds it, so that a thread or a task that outlives the worker finds it.
struct RunWorker::Shared final : RunProgress {
  Shared(View& window, Handlers calls) : handlers(std::move(calls)), view(&window) {}

  const Handlers handlers;
  std::atomic<bool> stop{false};
  std::atomic<uint64_t> size{0};
  std::atomic<uint64_t> read{0};
  std::atomic<bool> progressPosted{false};  // a progress task waits in the window's queue
  bool ended = false;  // the finished task has run; on the window's thread only

  std::mutex mutex;
  std::condition_variable changed;
  View* view;            // null once the worker is gone: nothing more is posted
  bool runDone = false;  // the run's thread has posted its last task
  std::optional<bool> answer;

  void OnInputSize(uint64_t bytes) override { size = bytes; }
  bool OnInputRead(uint64_t bytesRead) override {
    read = bytesRead;
    return !stop;
  }
  bool Abandoned() {
    const std::lock_guard lock(mutex);
    return view == nullptr;
  }
  void Post(std::function<void()> task) {
    const std::lock_guard lock(mutex);
    if (view != nullptr) view->Post(std::move(task));
  }
  void Answer(bool checked) {
    const std::lock_guard lock(mutex);
    answer = checked;
    changed.notify_all();
  }
};

RunWorker::RunWorker(View& view, RunRequest request, Handlers handlers)
    : m_shared(std::make_shared<Shared>(view, std::move(handlers))) {
  request.progress = m_shared.get();
  m_run = std::thread([shared = m_shared, request = std::move(request)] { Run(shared, request); });
  m_ticker = std::thread([shared = m_shared] { Tick(shared); });
}

RunWorker::~RunWorker() {
  m_shared->stop = true;
  bool runDone = false;
  {
    std::unique_lock lock(m_shared->mutex);
    m_shared->view = nullptr;
    m_shared->changed.notify_all();
    runDone = m_shared->changed.wait_for(lock, kLongestEnd, [&] { return m_shared->runDone; });
  }
  if (runDone) {
    m_run.join();
  } else {
    m_run.detach();
  }
  m_ticker.join();
}

void RunWorker::Stop() {
  m_shared->stop = true;
}

bool RunWorker::Done() const {
  const std::lock_guard lock(m_shared->mutex);
  return m_shared->runDone;
}

// Each box is posted to the window, and the run waits for its answer (or
// for the worker to go).
void RunWorker::Run(const std::shared_ptr<Shared>& shared, const RunRequest& request) {
  WindowReporter reporter([&shared](const WindowMessage& message) {
    std::unique_lock lock(shared->mutex);
    if (shared->view == nullptr) return false;
    shared->answer.reset();
    shared->view->Post([shared, message] {
      if (!shared->Abandoned()) shared->Answer(shared->handlers.showMessage(message));
    });
    shared->changed.wait(lock, [&] { return shared->answer || shared->view == nullptr; });
    return shared->answer.value_or(false);
  });
  const RunOutcome outcome = RunConversion(request, reporter);
  shared->Post([shared, outcome] {
    if (shared->Abandoned()) return;
    shared->ended = true;
    shared->handlers.finished(outcome);
  });
  const std::lock_guard lock(shared->mutex);
  shared->runDone = true;
  shared->changed.notify_all();
}

// Posts the share read each tick after the quiet start, one task at a time:
// a window that is slow to take them gets no queue of stale ones.
void RunWorker::Tick(const std::shared_ptr<Shared>& shared) {
  const Clock::time_point start = Clock::now();
  std::unique_lock lock(shared->mutex);
  while (!shared->changed.wait_for(lock, kTick,
                                   [&] { return shared->runDone || shared->view == nullptr; })) {
    if (Clock::now() - start < kQuietStart || shared->progressPosted.exchange(true)) continue;
    shared->view->Post([shared] {
      shared->progressPosted = false;
      if (shared->ended || shared->Abandoned()) return;
      shared->handlers.showProgress(PercentRead(shared->read, shared->size));
    });
  }
}
