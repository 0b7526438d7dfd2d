#include "file_streams.h"

#include <algorithm>

#include "file_io.h"

FileInputStream::FileInputStream(int fd, size_t bufferSize, BlockMover* mover)
    : fd_(fd), bufferSize_(std::max<size_t>(bufferSize, 1)) {
  if (mover != nullptr) channel_ = mover->Attach(fd, BlockMover::Direction::kRead);
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
  if (failed_ || stopped_) return false;
  if (mover_ != nullptr) return FillAhead();
  const int64_t got = fileio::ReadSome(fd_, buffer_.get(), bufferSize_);
  failed_ = got < 0;
  if (failed_) failure_ = fileio::LastFailure();
  if (got <= 0) return false;
  return Hand(buffer_.get(), static_cast<size_t>(got));
}

bool FileInputStream::Hand(const uint8_t* block, size_t size) {
  bytesRead_ += size;
  if (listener_ != nullptr && !listener_->OnBlock(bytesRead_)) {
    stopped_ = true;
    return false;
  }
  SetWindow(block, block + size);
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
    failed_ = mover_->Failed(channel_);
    failure_ = mover_->FailureOf(channel_);
    return false;
  }
  ahead_ = ready == buffer_.get() ? buffer_.get() + bufferSize_ : buffer_.get();
  if (!Hand(ready, got)) return false;
  mover_->Start(channel_, ahead_, bufferSize_);
  return true;
}

FileOutputStream::FileOutputStream(int fd, size_t bufferSize, BlockMover* mover)
    : OutputStream(bufferSize, mover != nullptr && mover->Running() ? 2 : 1), fd_(fd) {
  if (mover != nullptr) channel_ = mover->Attach(fd, BlockMover::Direction::kWrite);
  if (channel_ >= 0) mover_ = mover;
}

namespace {
int UnbufferedDescriptor(std::FILE* file) {
  std::fflush(file);
  std::setvbuf(file, nullptr, _IONBF, 0);
  return fileno(file);
}
}  // namespace

FileOutputStream::FileOutputStream(std::FILE* file, size_t bufferSize)
    : FileOutputStream(UnbufferedDescriptor(file), bufferSize) {}

FileOutputStream::~FileOutputStream() {
  FlushBeforeDestruction();
}

void FileOutputStream::SetDescriptor(int fd) {
  fd_ = fd;
  if (mover_ != nullptr) mover_->Rebind(channel_, fd);
}

bool FileOutputStream::Drain(const uint8_t* data, size_t size) {
  if (fd_ == fileio::kNoFile) return false;
  if (mover_ == nullptr) {
    if (fileio::WriteAll(fd_, data, size) == size) return true;
    if (failure_ == fileio::Failure::kNone) failure_ = fileio::LastFailure();
    return false;
  }
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
  if (!written && failure_ == fileio::Failure::kNone) failure_ = mover_->FailureOf(channel_);
  return written;
}
