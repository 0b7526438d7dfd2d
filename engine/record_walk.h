// A walk over the body of one record, bounded by the record's length.
//
// Every field is checked against the bytes the record has left before it is
// read. A field that would run past the record's end marks the record
// damaged (with the pending "damaged" message) and ends the walk: the caller
// then stops reading fields and Finish() copies or skips what is left, so the
// next record is always read from where its frame says it starts. The walk
// also ends, without the message, when the input itself ends.
//
// With an output, every byte walked is written as read (the copying walks);
// without one, the bytes are only read (the walks that collect points).
#pragma once

#include <cstdint>

#include "byte_stream.h"
#include "primitives.h"

class RecordWalk {
 public:
  RecordWalk(InputStream& input, OutputStream* output, uint32_t length)
      : input_(input), output_(output), length_(length), remaining_(length) {}

  InputStream& Input() { return input_; }
  OutputStream* Output() { return output_; }
  uint32_t Remaining() const { return remaining_; }
  uint32_t Consumed() const { return length_ - remaining_; }
  // False once a field did not fit or the input ended.
  bool Ok() const { return ok_; }

  // True when a field of size bytes fits; otherwise ends the walk as damaged.
  bool Reserve(uint32_t size);
  // Reads one reserved byte without writing it; the caller writes what it decides.
  int TakeByte() {
    --remaining_;
    return input_.ReadByte();
  }
  void PutByte(uint8_t value) {
    if (output_ != nullptr) output_->WriteByte(value);
  }

  // Fields. Each returns Ok() after it.
  bool Bytes(uint32_t size);
  bool Byte(int& value);
  bool UInt32(uint32_t& value);
  bool Point(int32_t& latitude, int32_t& longitude);
  bool Flagged(uint32_t size);
  // A NUL-terminated text; damaged when the NUL lies outside the record.
  bool Text();
  // A name read into g_nameBuffer: at most 30000 bytes before the NUL.
  // Returns its length with the NUL, or -1 (the buffer then holds the
  // Consumed() bytes read, followed by a NUL).
  int32_t Name();
  // An optional-field group: 8 bytes, then a flag byte with 8 more when set.
  bool OptionalGroup() { return Bytes(8) && Flagged(8); }

  // Copies (with an output) or skips the bytes the record has left.
  void Finish() { FinishTo(output_); }
  void FinishTo(OutputStream* output);

  void MarkDamaged();

 private:
  bool CheckInput();

  InputStream& input_;
  OutputStream* output_;
  uint32_t length_;
  uint32_t remaining_;
  bool ok_ = true;
};
