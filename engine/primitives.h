// Field-level operations on the byte streams. Multi-byte integers are
// little-endian; texts are NUL-terminated byte strings. A null output means
// "read the same bytes, write nothing". No operation reads past the end of the
// input: once it has ended, the copies stop and the input's AtEnd() says so.
#pragma once

#include <cstdint>

#include "byte_stream.h"

// Reads one NUL-terminated text into buffer (or only counts, with no buffer).
// Returns the bytes consumed with the NUL (1..30001), or -1 when the input
// ends before the NUL or more than 30000 bytes precede it. On -1 the buffer
// holds what was read and no NUL from this call.
int32_t ReadText(char* buffer, InputStream& input);

// Writes the text's bytes and one NUL.
void WriteText(const char* text, OutputStream& output);

inline void WriteInt32(uint32_t value, OutputStream& output) {
  output.WriteByte(static_cast<uint8_t>(value));
  output.WriteByte(static_cast<uint8_t>(value >> 8));
  output.WriteByte(static_cast<uint8_t>(value >> 16));
  output.WriteByte(static_cast<uint8_t>(value >> 24));
}

// Two 32-bit values and a byte 00: a position of a generated record.
inline void WritePosition(int32_t first, int32_t second, OutputStream& output) {
  WriteInt32(static_cast<uint32_t>(first), output);
  WriteInt32(static_cast<uint32_t>(second), output);
  output.WriteByte(0);
}

// The record frame: the body length and the type letter.
inline void WriteRecordHeader(uint32_t length, OutputStream& output, uint8_t type) {
  WriteInt32(length, output);
  output.WriteByte(type);
}

// Reads one byte and writes it when there is an output; returns what was read.
inline int CopyByte(OutputStream* output, InputStream& input) {
  const int value = input.ReadByte();
  if (output != nullptr && value != kEndOfInput) output->WriteByte(static_cast<uint8_t>(value));
  return value;
}

// Reads a 32-bit value; an ended input gives whatever bytes were left as 0xFF.
inline uint32_t ReadUInt32(InputStream& input) {
  uint32_t value = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    value |= static_cast<uint32_t>(static_cast<uint8_t>(input.ReadByte())) << shift;
  }
  return value;
}

// count > 0: copies count bytes. count == 0: copies one NUL-terminated text,
// the NUL included. Returns the bytes read; fewer only when the input ended.
uint32_t CopyBytes(uint32_t count, OutputStream* output, InputStream& input);

inline uint32_t SkipBytes(uint32_t count, InputStream& input) {
  return CopyBytes(count, nullptr, input);
}

// A flag byte, then count more bytes when it is not 0. Returns 1 or count + 1
// (less when the input ended).
uint32_t CopyFlagged(uint32_t count, OutputStream* output, InputStream& input);

inline uint32_t SkipFlagged(uint32_t count, InputStream& input) {
  return CopyFlagged(count, nullptr, input);
}
