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

#include <cstddef>
#include <cstdint>

#include "byte_stream.h"
#include "conversion_state.h"
#include "primitives.h"

inline uint32_t WalkLittleEndian32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

class RecordWalk {
 public:
  RecordWalk(ConversionState& state, InputStream& input, OutputStream* output, uint32_t length)
      : state_(state), input_(input), output_(output), length_(length), remaining_(length) {}

  ConversionState& State() { return state_; }

  // A walk that only looks at a record it copies unchanged: a field that does
  // not fit ends it without the damaged message.
  void Quiet() { quiet_ = true; }

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
  // A point followed by count flagged fields of the given sizes (a link
  // point, a track point): the same as Point and then Flagged for each size,
  // taken in one step when the whole of it is buffered.
  bool PointAndFlagged(int32_t& latitude, int32_t& longitude, const uint8_t* sizes, int count) {
    // Measure the whole point in the buffer first; each flag byte says how
    // far the next field lies. A flag beyond the buffer sends it the slow way.
    const size_t buffered = input_.Buffered();
    const uint8_t* bytes = input_.Peek();
    size_t size = 8;
    for (int i = 0; i < count && size != SIZE_MAX; ++i) {
      size = size < buffered ? size + (bytes[size] != 0 ? 1 + sizes[i] : 1) : SIZE_MAX;
    }
    if (size != SIZE_MAX && Fits(size)) {
      latitude = static_cast<int32_t>(WalkLittleEndian32(bytes));
      longitude = static_cast<int32_t>(WalkLittleEndian32(bytes + 4));
      Take(static_cast<uint32_t>(size));
      return true;
    }
    return PointAndFlaggedSlow(latitude, longitude, sizes, count);
  }
  // Walks count such points, handing each one's coordinates to
  // onPoint(latitude, longitude); false when the walk ends first. The
  // points that lie whole in the buffer go in runs.
  template <class OnPoint>
  bool Points(uint32_t count, const uint8_t* sizes, int fields, OnPoint&& onPoint) {
    uint32_t walked = 0;
    while (walked < count) {
      const uint32_t run = BufferedPoints(count - walked, sizes, fields, onPoint);
      if (run == 0) {
        int32_t latitude = 0;
        int32_t longitude = 0;
        if (!PointAndFlagged(latitude, longitude, sizes, fields)) return false;
        onPoint(latitude, longitude);
        ++walked;
      }
      walked += run;
    }
    return true;
  }
  // A NUL-terminated text; damaged when the NUL lies outside the record.
  // With nameHash, also gives the text's NameHash.
  bool Text(uint64_t* nameHash = nullptr);
  // A name read into the state's nameBuffer: at most 30000 bytes before the NUL.
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
  bool PointAndFlaggedSlow(int32_t& latitude, int32_t& longitude, const uint8_t* sizes, int count);

  // Walks up to count points that lie whole in the buffer and within the
  // record, in one step; returns how many (0 when the next is not whole in
  // the buffer).
  template <class OnPoint>
  uint32_t BufferedPoints(uint32_t count, const uint8_t* sizes, int fields, OnPoint& onPoint) {
    if (!ok_) return 0;
    const uint8_t* bytes = input_.Peek();
    const size_t buffered = input_.Buffered();
    const size_t limit = buffered < remaining_ ? buffered : remaining_;
    size_t largest = 8;
    for (int field = 0; field < fields; ++field) largest += 1 + sizes[field];
    size_t size = 0;
    uint32_t whole = 0;
    // Points that fit at their largest need no bound checks. The loops
    // count down and compare with one bound, so that their counters stay in
    // registers beside the point table's.
    const size_t lastWholeStart = limit >= largest ? limit - largest : 0;
    uint32_t left = limit >= largest ? count : 0;
    if (fields == 1) {
      // One flag (a link point): computed into the offset. It may well vary
      // from point to point, and a mispredicted branch costs more than the
      // wait for one flag.
      const size_t extra = sizes[0];
      while (left > 0 && size <= lastWholeStart) {
        OfferPoint(bytes + size, onPoint);
        size += 9 + (bytes[size + 8] != 0 ? extra : 0);
        --left;
      }
    } else {
      // Several flags (a track point): branched on. A file's points mostly
      // set the same fields, so the branches are well predicted and a
      // point's flags need not wait for each other nor for the previous
      // point's.
      while (left > 0 && size <= lastWholeStart) {
        size_t end = size + 8;
        for (int field = 0; field < fields; ++field) {
          if (bytes[end] != 0) end += sizes[field];
          ++end;
        }
        OfferPoint(bytes + size, onPoint);
        size = end;
        --left;
      }
    }
    if (limit >= largest) whole = count - left;
    while (whole < count) {
      size_t end = size + 8;
      int field = 0;
      for (; field < fields && end < limit; ++field) {
        end += bytes[end] != 0 ? 1 + sizes[field] : 1;
      }
      if (field < fields || end > limit) break;
      OfferPoint(bytes + size, onPoint);
      size = end;
      ++whole;
    }
    if (whole > 0) Take(static_cast<uint32_t>(size));
    return whole;
  }
  template <class OnPoint>
  static void OfferPoint(const uint8_t* point, OnPoint& onPoint) {
    onPoint(static_cast<int32_t>(WalkLittleEndian32(point)),
            static_cast<int32_t>(WalkLittleEndian32(point + 4)));
  }
  // Fast paths: size bytes taken at once from the input's buffer when they
  // are all there and within the record; false (nothing taken) otherwise.
  bool Fits(size_t size) const { return ok_ && size <= remaining_ && size <= input_.Buffered(); }
  const uint8_t* Take(uint32_t size) {
    const uint8_t* bytes = input_.Peek();
    if (output_ != nullptr) output_->WriteBlock(bytes, size);
    input_.Advance(size);
    remaining_ -= size;
    return bytes;
  }

  ConversionState& state_;
  InputStream& input_;
  OutputStream* output_;
  uint32_t length_;
  uint32_t remaining_;
  bool ok_ = true;
  bool quiet_ = false;
};
