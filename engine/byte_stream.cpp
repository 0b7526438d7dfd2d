#include "byte_stream.h"

#include <algorithm>
#include <cstring>

int InputStream::Refill() {
  if (atEnd_ || !Fill()) {
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

OutputStream::OutputStream(size_t bufferSize)
    : buffer_(new uint8_t[std::max<size_t>(bufferSize, 1)]),
      next_(buffer_.get()),
      end_(buffer_.get() + std::max<size_t>(bufferSize, 1)) {}

bool OutputStream::Flush() {
  const size_t pending = static_cast<size_t>(next_ - buffer_.get());
  if (pending > 0) {
    if (!failed_ && !Drain(buffer_.get(), pending)) failed_ = true;
    flushed_ += pending;
    next_ = buffer_.get();
  }
  return !failed_;
}

void OutputStream::FlushAndPut(uint8_t value) {
  Flush();
  *next_++ = value;
}

void OutputStream::WriteBlockSlow(const uint8_t* data, size_t size) {
  while (size > 0) {
    if (next_ == end_) Flush();
    const size_t take = std::min(size, static_cast<size_t>(end_ - next_));
    std::memcpy(next_, data, take);
    next_ += take;
    data += take;
    size -= take;
  }
}

FileInputStream::FileInputStream(std::FILE* file, size_t bufferSize)
    : file_(file),
      buffer_(new uint8_t[std::max<size_t>(bufferSize, 1)]),
      bufferSize_(std::max<size_t>(bufferSize, 1)) {}

bool FileInputStream::Fill() {
  const size_t got = std::fread(buffer_.get(), 1, bufferSize_, file_);
  if (got == 0) return false;
  SetWindow(buffer_.get(), buffer_.get() + got);
  return true;
}

FileOutputStream::FileOutputStream(std::FILE* file, size_t bufferSize)
    : OutputStream(bufferSize), file_(file) {
  // The stream buffers for itself: a second buffer in the FILE would split
  // every drained block into a partial and a remainder write.
  std::setvbuf(file_, nullptr, _IONBF, 0);
}

bool FileOutputStream::Drain(const uint8_t* data, size_t size) {
  return std::fwrite(data, 1, size, file_) == size;
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
