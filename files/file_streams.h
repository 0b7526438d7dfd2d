// The engine's byte streams over file descriptors, moving their blocks on a
// BlockMover's thread when they are given one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "block_mover.h"
#include "byte_stream.h"
#include "file_io.h"

// Told of each block a FileInputStream reads, on the thread that reads it.
class ReadListener {
 public:
  virtual ~ReadListener() = default;
  // bytesRead: all the stream has read, this block included. False ends the
  // stream before the block is handed out, as the end of the file would.
  virtual bool OnBlock(uint64_t bytesRead) = 0;
};

// Reads a file descriptor opened for reading, from where it stands. The
// caller keeps ownership. With a mover, the next block is read while the
// engine works on this one: only for a file whose end never keeps a read
// waiting (a regular file, not a pipe). A failed read ends the stream as the
// end of the file does, and Failed() tells the two apart.
class FileInputStream final : public InputStream {
 public:
  explicit FileInputStream(int fd, size_t bufferSize = kDefaultStreamBuffer,
                           BlockMover* mover = nullptr);
  ~FileInputStream() override;
  // True once a read has failed (sticky).
  bool Failed() const { return failed_; }
  // Why the read failed; kNone while none has.
  fileio::Failure WhyFailed() const { return failure_; }
  // Told of every block from now on; not owned, null for none.
  void SetListener(ReadListener* listener) { listener_ = listener; }
  // True once the listener has ended the stream (sticky).
  bool Stopped() const { return stopped_; }

 private:
  bool Fill() override;
  bool FillAhead();
  bool Hand(const uint8_t* block, size_t size);
  int fd_;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t bufferSize_;
  BlockMover* mover_ = nullptr;  // null: reads in the caller's thread
  int channel_ = -1;
  uint8_t* ahead_ = nullptr;  // the buffer being read in the background
  ReadListener* listener_ = nullptr;
  uint64_t bytesRead_ = 0;
  bool stopped_ = false;
  bool failed_ = false;
  fileio::Failure failure_ = fileio::Failure::kNone;
};

// Writes to a file descriptor opened for writing; the caller keeps ownership
// and closes it after the stream is gone (or after Flush()).
class FileOutputStream final : public OutputStream {
 public:
  explicit FileOutputStream(int fd, size_t bufferSize = kDefaultStreamBuffer,
                            BlockMover* mover = nullptr);
  // Over a FILE's descriptor (standard output for the trace): the FILE is
  // flushed and left unbuffered, so that what else is written through it
  // keeps its order with the stream's bytes.
  explicit FileOutputStream(std::FILE* file, size_t bufferSize = kDefaultStreamBuffer);
  ~FileOutputStream() override;
  // Writes to fd from now on: for a file opened only once the first bytes
  // are known to be wanted, before any has been drained. Until then
  // (kNoFile) every write fails.
  void SetDescriptor(int fd);
  // Why the first failed write failed; kNone while none has.
  fileio::Failure WhyFailed() const { return failure_; }

 private:
  bool Drain(const uint8_t* data, size_t size) override;
  bool Settle() override;
  int fd_;
  BlockMover* mover_ = nullptr;  // null: writes in the caller's thread
  int channel_ = -1;
  size_t pending_ = 0;  // bytes of the block being written in the background
  fileio::Failure failure_ = fileio::Failure::kNone;
};
