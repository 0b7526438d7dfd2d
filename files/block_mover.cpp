#include "block_mover.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "file_io.h"

struct BlockMover::State {
  struct Channel {
    int fd = -1;
    Direction direction = Direction::kRead;
    uint8_t* data = nullptr;  // the block in hand; null when there is none
    size_t size = 0;
    size_t moved = 0;
    uint64_t order = 0;  // when the block was started
    bool failed = false;
    fileio::Failure failure = fileio::Failure::kNone;
  };
  static constexpr int kChannels = 2;

  mutable std::mutex mutex;
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

int BlockMover::Attach(int fd, Direction direction) {
  if (!state_->running || state_->attached == State::kChannels) return -1;
  std::lock_guard<std::mutex> lock(state_->mutex);
  State::Channel& channel = state_->channels[state_->attached];
  channel.fd = fd;
  channel.direction = direction;
  return state_->attached++;
}

void BlockMover::Rebind(int channel, int fd) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->channels[channel].fd = fd;
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

bool BlockMover::Failed(int channel) const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->channels[channel].failed;
}

fileio::Failure BlockMover::FailureOf(int channel) const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->channels[channel].failure;
}

namespace {

// Moves one block; returns the bytes moved and whether the call failed.
size_t MoveBlock(int fd, BlockMover::Direction direction, uint8_t* data, size_t size,
                 bool& failed) {
  if (direction == BlockMover::Direction::kWrite) {
    const size_t written = fileio::WriteAll(fd, data, size);
    failed = written < size;
    return written;
  }
  const int64_t got = fileio::ReadSome(fd, data, size);
  failed = got < 0;
  return got > 0 ? static_cast<size_t>(got) : 0;
}

}  // namespace

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
    bool failed = false;
    const size_t moved = MoveBlock(next->fd, next->direction, data, size, failed);
    lock.lock();
    next->moved = moved;
    if (failed && !next->failed) next->failure = fileio::LastFailure();
    next->failed = next->failed || failed;
    next->data = nullptr;
    state.changed.notify_all();
  }
}
