#include "block_mover.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

// Reads what the file has for us now, up to size bytes; 0 at its end or on an
// error. Unlike fread it does not wait to fill the whole buffer, so a pipe
// whose writer holds it open after the last record does not hold the engine.
size_t ReadAvailable(std::FILE* file, uint8_t* buffer, size_t size) {
#if defined(_WIN32)
  const int got =
      _read(_fileno(file), buffer, static_cast<unsigned>(std::min<size_t>(size, INT_MAX)));
#else
  ssize_t got = 0;
  do {
    got = ::read(fileno(file), buffer, size);
  } while (got < 0 && errno == EINTR);
#endif
  return got > 0 ? static_cast<size_t>(got) : 0;
}

struct BlockMover::State {
  struct Channel {
    std::FILE* file = nullptr;
    Direction direction = Direction::kRead;
    uint8_t* data = nullptr;  // the block in hand; null when there is none
    size_t size = 0;
    size_t moved = 0;
    uint64_t order = 0;  // when the block was started
  };
  static constexpr int kChannels = 2;

  std::mutex mutex;
  std::condition_variable changed;
  Channel channels[kChannels];
  int attached = 0;
  uint64_t started = 0;
  bool stopping = false;
  bool running = false;
  std::thread thread;
};

BlockMover::BlockMover() : state_(std::make_unique<State>()) {
  try {
    state_->thread = std::thread([this] { Run(); });
    state_->running = true;
  } catch (const std::system_error&) {
    // No thread to be had: the streams transfer in the caller's thread.
  }
}

BlockMover::~BlockMover() {
  if (!state_->running) return;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->stopping = true;
  }
  state_->changed.notify_all();
  state_->thread.join();
}

bool BlockMover::Running() const {
  return state_->running;
}

int BlockMover::Attach(std::FILE* file, Direction direction) {
  if (!state_->running || state_->attached == State::kChannels) return -1;
  std::lock_guard<std::mutex> lock(state_->mutex);
  State::Channel& channel = state_->channels[state_->attached];
  channel.file = file;
  channel.direction = direction;
  return state_->attached++;
}

void BlockMover::Start(int channel, uint8_t* data, size_t size) {
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    State::Channel& target = state_->channels[channel];
    target.data = data;
    target.size = size;
    target.moved = 0;
    target.order = ++state_->started;
  }
  state_->changed.notify_all();
}

size_t BlockMover::Wait(int channel) {
  std::unique_lock<std::mutex> lock(state_->mutex);
  State::Channel& target = state_->channels[channel];
  state_->changed.wait(lock, [&target] { return target.data == nullptr; });
  const size_t moved = target.moved;
  target.moved = 0;
  return moved;
}

void BlockMover::Run() {
  State& state = *state_;
  std::unique_lock<std::mutex> lock(state.mutex);
  for (;;) {
    State::Channel* next = nullptr;
    for (State::Channel& channel : state.channels) {
      if (channel.data != nullptr && (next == nullptr || channel.order < next->order)) {
        next = &channel;
      }
    }
    if (next == nullptr) {
      if (state.stopping) return;
      state.changed.wait(lock);
      continue;
    }
    uint8_t* data = next->data;
    const size_t size = next->size;
    lock.unlock();
    const size_t moved = next->direction == Direction::kRead
                             ? ReadAvailable(next->file, data, size)
                             : std::fwrite(data, 1, size, next->file);
    lock.lock();
    next->moved = moved;
    next->data = nullptr;
    state.changed.notify_all();
  }
}
