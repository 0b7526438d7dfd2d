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

}  // namespace

// What the run's thread, the ticker and the tasks posted to the window share;
// the tasks hold it, so that one run after the worker has gone finds it.
struct RunWorker::Shared final : RunProgress {
  std::atomic<bool> stop{false};
  std::atomic<uint64_t> size{0};
  std::atomic<uint64_t> read{0};
  std::atomic<bool> progressPosted{false};  // a progress task waits in the window's queue
  bool ended = false;  // the finished task has run; on the window's thread only

  std::mutex mutex;
  std::condition_variable changed;
  bool abandoned = false;  // the worker is gone: no box is shown any more
  bool runDone = false;    // the run's thread has posted its last task
  std::optional<bool> answer;

  void OnInputSize(uint64_t bytes) override { size = bytes; }
  bool OnInputRead(uint64_t bytesRead) override {
    read = bytesRead;
    return !stop;
  }
  bool Abandoned() {
    const std::lock_guard lock(mutex);
    return abandoned;
  }
  void Answer(bool checked) {
    const std::lock_guard lock(mutex);
    answer = checked;
    changed.notify_all();
  }
};

RunWorker::RunWorker(View& view, RunRequest request, Handlers handlers)
    : m_view(view), m_handlers(std::move(handlers)), m_shared(std::make_shared<Shared>()) {
  request.progress = m_shared.get();
  m_run = std::thread([this, request = std::move(request)] { Run(request); });
  m_ticker = std::thread([this] { Tick(); });
}

RunWorker::~RunWorker() {
  m_shared->stop = true;
  {
    const std::lock_guard lock(m_shared->mutex);
    m_shared->abandoned = true;
    m_shared->changed.notify_all();
  }
  m_run.join();
  m_ticker.join();
}

void RunWorker::Stop() {
  m_shared->stop = true;
}

// Each box is posted to the window, and the run waits for its answer (or
// for the worker to go).
void RunWorker::Run(RunRequest request) {
  const std::shared_ptr<Shared> shared = m_shared;
  View& view = m_view;
  const auto show = m_handlers.showMessage;
  WindowReporter reporter([&](const WindowMessage& message) {
    std::unique_lock lock(shared->mutex);
    if (shared->abandoned) return false;
    shared->answer.reset();
    lock.unlock();
    view.Post([shared, show, message] {
      if (!shared->Abandoned()) shared->Answer(show(message));
    });
    lock.lock();
    shared->changed.wait(lock, [&] { return shared->answer || shared->abandoned; });
    return shared->answer.value_or(false);
  });
  const RunOutcome outcome = RunConversion(request, reporter);
  view.Post([shared, finished = m_handlers.finished, outcome] {
    if (shared->Abandoned()) return;
    shared->ended = true;
    finished(outcome);
  });
  const std::lock_guard lock(shared->mutex);
  shared->runDone = true;
  shared->changed.notify_all();
}

// Posts the share read each tick after the quiet start, one task at a time:
// a window that is slow to take them gets no queue of stale ones.
void RunWorker::Tick() {
  const std::shared_ptr<Shared> shared = m_shared;
  const Clock::time_point start = Clock::now();
  std::unique_lock lock(shared->mutex);
  while (!shared->changed.wait_for(lock, kTick,
                                   [&] { return shared->runDone || shared->abandoned; })) {
    if (Clock::now() - start < kQuietStart || shared->progressPosted.exchange(true)) continue;
    lock.unlock();
    m_view.Post([shared, showProgress = m_handlers.showProgress] {
      shared->progressPosted = false;
      if (shared->ended || shared->Abandoned()) return;
      showProgress(PercentRead(shared->read, shared->size));
    });
    lock.lock();
  }
}
