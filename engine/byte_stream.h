// Buffered byte streams for the engine.
//
// Contract:
// - A stream owns its buffer, allocated once when the stream is made; nothing
//   is allocated while bytes flow.
// - InputStream::ReadByte returns 0..255, or kEndOfInput once the source is
//   exhausted. The end is sticky: the first read that finds no byte sets
//   AtEnd(), and every later read returns kEndOfInput at once. Reading exactly
//   the last byte does not set AtEnd().
// - OutputStream buffers writes and drains its buffer to the sink when it is
//   full, on Flush() and when it is destroyed. A sink may write in the
//   background (the file streams of the conversion run): the stream then
//   fills a second buffer meanwhile, and Flush() waits for the writes. A
//   failed write is sticky: Failed() stays true and every later byte is
//   dropped. The caller asks once, at the end, after Flush().
// - Neither stream ever seeks.
// - Fast paths may look at the input's buffered bytes (Buffered, Peek) and
//   take a whole field at once (Advance); they fall back to ReadByte when
//   the field is not all in the buffer, so the bytes handed out are the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

constexpr int kEndOfInput = -1;
constexpr size_t kDefaultStreamBuffer = 1 << 16;

class InputStream {
 public:
  virtual ~InputStream() = default;
  InputStream(const InputStream&) = delete;
  InputStream& operator=(const InputStream&) = delete;

  int ReadByte() {
    if (next_ < end_) return *next_++;
    return Refill();
  }
  bool AtEnd() const { return atEnd_; }
  // Reads made after AtEnd() was set: what a walk asks of an input that has
  // already ended. A walk that does not stop at the end shows up here.
  uint64_t ReadsAtEnd() const { return readsAtEnd_; }
  // Bytes handed out so far.
  uint64_t Position() const { return consumed_ + static_cast<uint64_t>(next_ - begin_); }

  // The bytes buffered and not yet handed out, without refilling. When it is
  // not 0 the input has not ended.
  size_t Buffered() const { return static_cast<size_t>(end_ - next_); }
  const uint8_t* Peek() const { return next_; }
  // Hands out count bytes of the buffered ones (count <= Buffered()).
  void Advance(size_t count) { next_ += count; }

  // Moves up to count bytes straight from the buffer to out (or drops them when
  // out is null); returns how many were moved. Stops early only at the end.
  uint64_t CopyRun(uint64_t count, class OutputStream* out);

 protected:
  InputStream() = default;
  // Called when the buffer is empty: fill [begin_, end_) and return true, or
  // return false at the end of the source.
  virtual bool Fill() = 0;
  void SetWindow(const uint8_t* begin, const uint8_t* end) {
    consumed_ += static_cast<uint64_t>(end_ - begin_);
    begin_ = next_ = begin;
    end_ = end;
  }

 private:
  int Refill();

  const uint8_t* begin_ = nullptr;
  const uint8_t* next_ = nullptr;
  const uint8_t* end_ = nullptr;
  uint64_t consumed_ = 0;
  uint64_t readsAtEnd_ = 0;
  bool atEnd_ = false;
};

class OutputStream {
 public:
  virtual ~OutputStream() = default;
  OutputStream(const OutputStream&) = delete;
  OutputStream& operator=(const OutputStream&) = delete;

  void WriteByte(uint8_t value) {
    if (next_ < end_) {
      *next_++ = value;
      return;
    }
    DrainAndPut(value);
  }
  void WriteBlock(const uint8_t* data, size_t size) {
    if (size <= static_cast<size_t>(end_ - next_)) {
      if (size > 0) std::memcpy(next_, data, size);
      next_ += size;
      return;
    }
    WriteBlockSlow(data, size);
  }
  // For bytes formatted in place: the room left in the buffer, where it
  // starts, and how much of it the caller filled (count <= Room()).
  size_t Room() const { return static_cast<size_t>(end_ - next_); }
  uint8_t* Space() { return next_; }
  void Commit(size_t count) { next_ += count; }
  // Hands buffered bytes to the sink and waits until the sink has them all;
  // false once any write has failed.
  bool Flush();
  bool Failed() const { return failed_; }
  uint64_t Position() const { return flushed_ + static_cast<uint64_t>(next_ - current_); }

 protected:
  // With two buffers, the stream fills one while the sink drains the other.
  explicit OutputStream(size_t bufferSize, int bufferCount = 1);
  // Takes [data, data + size) for the sink; false on failure. A stream with
  // two buffers leaves the bytes untouched until the next Drain or Settle has
  // returned, so the sink may still be writing them after Drain returns.
  virtual bool Drain(const uint8_t* data, size_t size) = 0;
  // Waits until every drained byte is in the sink; false when any write failed.
  virtual bool Settle() { return true; }
  // Subclasses that drain in their destructor call this first.
  void FlushBeforeDestruction() { Flush(); }

 private:
  void DrainBuffer();
  void DrainAndPut(uint8_t value);
  void WriteBlockSlow(const uint8_t* data, size_t size);

  std::unique_ptr<uint8_t[]> storage_;
  size_t bufferSize_;
  int bufferCount_;
  uint8_t* current_;
  uint8_t* next_;
  uint8_t* end_;
  uint64_t flushed_ = 0;
  bool failed_ = false;
};

// Reads bytes held in memory, handed out in slices of sliceSize bytes so that
// tests can exercise every refill boundary.
class MemoryInputStream final : public InputStream {
 public:
  MemoryInputStream(const void* data, size_t size, size_t sliceSize = SIZE_MAX);
  explicit MemoryInputStream(const std::string& bytes, size_t sliceSize = SIZE_MAX)
      : MemoryInputStream(bytes.data(), bytes.size(), sliceSize) {}

 private:
  bool Fill() override;
  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
  size_t sliceSize_;
};

// Collects written bytes in a string (tests, fuzzing). limit bounds what is
// kept; past it the stream fails, as a full disk would.
class StringOutputStream final : public OutputStream {
 public:
  explicit StringOutputStream(size_t bufferSize = kDefaultStreamBuffer, size_t limit = SIZE_MAX);
  ~StringOutputStream() override { FlushBeforeDestruction(); }
  // Flushes and returns everything written so far.
  const std::string& Bytes();

 private:
  bool Drain(const uint8_t* data, size_t size) override;
  std::string bytes_;
  size_t limit_;
};
