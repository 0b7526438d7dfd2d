// The engine's byte streams over files (FILE*), moving their blocks on a
// BlockMover's thread when they are given one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "block_mover.h"
#include "byte_stream.h"

// Reads a FILE* opened for binary reading, and nothing read through the FILE
// before: the stream reads the file beneath it, taking what is there. The
// caller keeps ownership. With a mover, the next block is read while the
// engine works on this one: only for a file whose end never keeps a read
// waiting (a regular file, not a pipe).
class FileInputStream final : public InputStream {
 public:
  explicit FileInputStream(std::FILE* file, size_t bufferSize = kDefaultStreamBuffer,
                           BlockMover* mover = nullptr);
  ~FileInputStream() override;

 private:
  bool Fill() override;
  bool FillAhead();
  std::FILE* file_;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t bufferSize_;
  BlockMover* mover_ = nullptr;  // null: reads in the caller's thread
  int channel_ = -1;
  uint8_t* ahead_ = nullptr;  // the buffer being read in the background
};

// Writes to a FILE* opened for binary writing; the caller keeps ownership and
// closes it after the stream is gone (or after Flush()).
class FileOutputStream final : public OutputStream {
 public:
  explicit FileOutputStream(std::FILE* file, size_t bufferSize = kDefaultStreamBuffer,
                            BlockMover* mover = nullptr);
  ~FileOutputStream() override;

 private:
  bool Drain(const uint8_t* data, size_t size) override;
  bool Settle() override;
  std::FILE* file_;
  BlockMover* mover_ = nullptr;  // null: writes in the caller's thread
  int channel_ = -1;
  size_t pending_ = 0;  // bytes of the block being written in the background
};
