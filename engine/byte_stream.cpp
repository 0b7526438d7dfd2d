#include "byte_stream.h"

#include <algorithm>
#include <cstring>

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
