// The thread that reads and writes the file streams' blocks in the background.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "file_io.h"

// A thread that reads and writes file streams' blocks in the background, one
// block at a time in the order they were started, while the engine works on
// the next block. A run's input and output share one, so that the engine takes
// one core and the file transfers another. Streams given no mover, or one
// that could not start its thread, transfer in the caller's thread.
class BlockMover {
 public:
  enum class Direction { kRead, kWrite };
  BlockMover();
  // The streams that use the mover must be gone first.
  ~BlockMover();
  BlockMover(const BlockMover&) = delete;
  BlockMover& operator=(const BlockMover&) = delete;

  // False when no thread could be started.
  bool Running() const;
  // A channel for one stream's blocks over a file descriptor, or -1 when the
  // mover is not running or has no channel left (it has two).
  int Attach(int fd, Direction direction);
  // Gives a channel whose stream has moved no block yet another descriptor.
  void Rebind(int channel, int fd);
  // Starts moving a block through a channel whose last block was waited for.
  // The block is not to be touched until Wait has returned.
  void Start(int channel, uint8_t* data, size_t size);
  // Waits for the channel's block; returns the bytes moved (0 when there was
  // no block in hand).
  size_t Wait(int channel);
  // True once a read or write of the channel failed (sticky); a failed read
  // moved 0 bytes, as the end of the file does.
  bool Failed(int channel) const;
  // Why the channel's first failed call failed; kNone while none has.
  fileio::Failure FailureOf(int channel) const;

 private:
  struct State;
  void Run();
  std::unique_ptr<State> state_;
};
