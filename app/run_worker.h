// A conversion run on a thread of its own, for a window whose thread stays
// free to repaint and to take a Stop. The run's boxes are shown on the
// window's thread, the run waiting for each as it would if it ran there, so
// that the boxes and the bytes written come in the same order. How far the
// run has read is posted to the window every tenth of a second once it has
// gone on for half a second.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "conversion_run.h"
#include "view.h"
#include "window_messages.h"

class RunWorker {
 public:
  // Called on the window's thread, through View::Post; none once the worker
  // is gone.
  struct Handlers {
    // Shows a box of the run; whether its check box was checked.
    std::function<bool(const WindowMessage&)> showMessage;
    // The share of the input read, nothing when its size is not known.
    std::function<void(std::optional<unsigned> percent)> showProgress;
    // The last call: every box of the run has been shown.
    std::function<void(RunOutcome)> finished;
  };

  // Starts the run. The view outlives the worker.
  RunWorker(View& view, RunRequest request, Handlers handlers);
  // Stops the run and waits for its end; a box it has yet to show is not
  // shown. Called on the window's thread. A run held up outside the
  // conversion (opening a named pipe that nobody writes) is left to end on
  // its own, without the view, so that the window can still close.
  ~RunWorker();
  RunWorker(const RunWorker&) = delete;
  RunWorker& operator=(const RunWorker&) = delete;

  // The run ends at the next block of its input, as RunOutcome::Stopped.
  void Stop();
  // The run has ended and shown every box; its end is on its way to the window.
  bool Done() const;

 private:
  struct Shared;
  static void Run(const std::shared_ptr<Shared>& shared, const RunRequest& request);
  static void Tick(const std::shared_ptr<Shared>& shared);

  std::shared_ptr<Shared> m_shared;
  std::thread m_run;
  std::thread m_ticker;
};
