#include "file_streams.h"

#include <algorithm>

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
