#include "byte_stream.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

int InputStream::Refill() {
  if (atEnd_ || !Fill()) {
    readsAtEnd_ += atEnd_ ? 1 : 0;
    atEnd_ = true;
    return kEndOfInput;
  }
  return *next_++;
}

uint64_t InputStream::CopyRun(uint64_t count, OutputStream* out) {
  uint64_t moved = 0;
  while (moved < count) {
    if (next_ == end_) {
      if (atEnd_ || !Fill()) {
        readsAtEnd_ += atEnd_ ? 1 : 0;
        atEnd_ = true;
        break;
      }
    }
    const size_t take =
        static_cast<size_t>(std::min<uint64_t>(count - moved, static_cast<uint64_t>(end_ - next_)));
    if (out != nullptr) out->WriteBlock(next_, take);
    next_ += take;
    moved += take;
  }
  return moved;
}

OutputStream::OutputStream(size_t bufferSize, int bufferCount)
    : storage_(new uint8_t[std::max<size_t>(bufferSize, 1) * (bufferCount == 2 ? 2 : 1)]),
      bufferSize_(std::max<size_t>(bufferSize, 1)),
      bufferCount_(bufferCount == 2 ? 2 : 1),
      current_(storage_.get()),
      next_(current_),
      end_(current_ + bufferSize_) {}

void OutputStream::DrainBuffer() {
  const size_t pending = static_cast<size_t>(next_ - current_);
  if (pending == 0) return;
  if (!failed_ && !Drain(current_, pending)) failed_ = true;
  flushed_ += pending;
  if (bufferCount_ == 2) {
    current_ = current_ == storage_.get() ? storage_.get() + bufferSize_ : storage_.get();
  }
  next_ = current_;
  end_ = current_ + bufferSize_;
}

bool OutputStream::Flush() {
  DrainBuffer();
  if (!failed_ && !Settle()) failed_ = true;
  return !failed_;
}

void OutputStream::DrainAndPut(uint8_t value) {
  DrainBuffer();
  *next_++ = value;
}

void OutputStream::WriteBlockSlow(const uint8_t* data, size_t size) {
  while (size > 0) {
    if (next_ == end_) DrainBuffer();
    const size_t take = std::min(size, static_cast<size_t>(end_ - next_));
    std::memcpy(next_, data, take);
    next_ += take;
    data += take;
    size -= take;
  }
}

namespace {

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

}  // namespace

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

FileInputStream::FileInputStream(std::FILE* file, size_t bufferSize, BlockMover* mover)
    : file_(file), bufferSize_(std::max<size_t>(bufferSize, 1)) {
  if (mover != nullptr) channel_ = mover->Attach(file, BlockMover::Direction::kRead);
  if (channel_ >= 0) mover_ = mover;
  // With a mover, two buffers: one handed out, one being read.
  buffer_.reset(new uint8_t[bufferSize_ * (mover_ != nullptr ? 2 : 1)]);
  if (mover_ != nullptr) {
    ahead_ = buffer_.get();
    mover_->Start(channel_, ahead_, bufferSize_);
  }
}

FileInputStream::~FileInputStream() {
  if (mover_ != nullptr) mover_->Wait(channel_);
}

bool FileInputStream::Fill() {
  if (mover_ != nullptr) return FillAhead();
  const size_t got = ReadAvailable(file_, buffer_.get(), bufferSize_);
  if (got == 0) return false;
  SetWindow(buffer_.get(), buffer_.get() + got);
  return true;
}

// Hands out the block read ahead and starts reading into the buffer handed
// out before, which the engine is done with.
bool FileInputStream::FillAhead() {
  if (ahead_ == nullptr) return false;
  const size_t got = mover_->Wait(channel_);
  uint8_t* ready = ahead_;
  if (got == 0) {
    ahead_ = nullptr;
    return false;
  }
  SetWindow(ready, ready + got);
  ahead_ = ready == buffer_.get() ? buffer_.get() + bufferSize_ : buffer_.get();
  mover_->Start(channel_, ahead_, bufferSize_);
  return true;
}

FileOutputStream::FileOutputStream(std::FILE* file, size_t bufferSize, BlockMover* mover)
    : OutputStream(bufferSize, mover != nullptr && mover->Running() ? 2 : 1), file_(file) {
  // The stream buffers for itself: a second buffer in the FILE would split
  // every drained block into a partial and a remainder write.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  if (mover != nullptr) channel_ = mover->Attach(file, BlockMover::Direction::kWrite);
  if (channel_ >= 0) mover_ = mover;
}

FileOutputStream::~FileOutputStream() {
  FlushBeforeDestruction();
}

bool FileOutputStream::Drain(const uint8_t* data, size_t size) {
  if (mover_ == nullptr) return std::fwrite(data, 1, size, file_) == size;
  if (!Settle()) return false;
  // The mover only reads the block it writes.
  mover_->Start(channel_, const_cast<uint8_t*>(data), size);
  pending_ = size;
  return true;
}

bool FileOutputStream::Settle() {
  if (mover_ == nullptr || pending_ == 0) return true;
  const bool written = mover_->Wait(channel_) == pending_;
  pending_ = 0;
  return written;
}

MemoryInputStream::MemoryInputStream(const void* data, size_t size, size_t sliceSize)
    : data_(static_cast<const uint8_t*>(data)),
      size_(size),
      sliceSize_(std::max<size_t>(sliceSize, 1)) {}

bool MemoryInputStream::Fill() {
  if (offset_ >= size_) return false;
  const size_t take = std::min(sliceSize_, size_ - offset_);
  SetWindow(data_ + offset_, data_ + offset_ + take);
  offset_ += take;
  return true;
}

StringOutputStream::StringOutputStream(size_t bufferSize, size_t limit)
    : OutputStream(bufferSize), limit_(limit) {}

const std::string& StringOutputStream::Bytes() {
  Flush();
  return bytes_;
}

bool StringOutputStream::Drain(const uint8_t* data, size_t size) {
  if (size > limit_ - std::min(limit_, bytes_.size())) return false;
  bytes_.append(reinterpret_cast<const char*>(data), size);
  return true;
}
