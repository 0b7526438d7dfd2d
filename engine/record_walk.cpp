#include "record_walk.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "messages.h"

void RecordWalk::MarkDamaged() {
  ok_ = false;
  if (quiet_) return;
  ++state_.counts.recordsDamaged;
  const char* format = TextFor(MessageId::kRecordDamaged, state_.settings.language).text;
  if (format != nullptr) {
    std::snprintf(state_.messageText, sizeof state_.messageText, format, state_.recordNumber);
  }
  state_.messagePending = 1;
}

bool RecordWalk::CheckInput() {
  if (input_.AtEnd()) ok_ = false;
  return ok_;
}

bool RecordWalk::Reserve(uint32_t size) {
  if (!CheckInput()) return false;
  if (size > remaining_) {
    MarkDamaged();
    return false;
  }
  return true;
}

bool RecordWalk::Bytes(uint32_t size) {
  if (size == 0) return CheckInput();
  if (!Reserve(size)) return false;
  remaining_ -= CopyBytes(size, output_, input_);
  return CheckInput();
}

bool RecordWalk::Byte(int& value) {
  if (!Reserve(1)) return false;
  value = CopyByte(output_, input_);
  --remaining_;
  return CheckInput();
}

bool RecordWalk::UInt32(uint32_t& value) {
  if (Fits(4)) {
    value = WalkLittleEndian32(Take(4));
    return true;
  }
  if (!Reserve(4)) return false;
  value = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    value |= static_cast<uint32_t>(static_cast<uint8_t>(CopyByte(output_, input_))) << shift;
  }
  remaining_ -= 4;
  return CheckInput();
}

bool RecordWalk::Point(int32_t& latitude, int32_t& longitude) {
  if (Fits(8)) {
    const uint8_t* bytes = Take(8);
    latitude = static_cast<int32_t>(WalkLittleEndian32(bytes));
    longitude = static_cast<int32_t>(WalkLittleEndian32(bytes + 4));
    return true;
  }
  if (!Reserve(8)) return false;
  uint32_t lat = 0;
  uint32_t lon = 0;
  UInt32(lat);
  UInt32(lon);
  latitude = static_cast<int32_t>(lat);
  longitude = static_cast<int32_t>(lon);
  return ok_;
}

bool RecordWalk::Flagged(uint32_t size) {
  int flag = 0;
  if (!Byte(flag)) return false;
  return flag == 0 || Bytes(size);
}

bool RecordWalk::PointAndFlaggedSlow(int32_t& latitude, int32_t& longitude, const uint8_t* sizes,
                                     int count) {
  if (!Point(latitude, longitude)) return false;
  for (int i = 0; i < count; ++i) {
    if (!Flagged(sizes[i])) return false;
  }
  return true;
}

bool RecordWalk::Text(uint64_t* nameHash) {
  // Fast path: the whole text, NUL included, lies in the buffer and the record.
  const size_t window = std::min<size_t>(input_.Buffered(), remaining_);
  if (ok_ && window > 0) {
    const uint8_t* bytes = input_.Peek();
    if (const void* nul = std::memchr(bytes, 0, window)) {
      const size_t size = static_cast<size_t>(static_cast<const uint8_t*>(nul) - bytes);
      if (nameHash != nullptr) {
        uint64_t hash = kNameHashStart;
        for (size_t i = 0; i < size; ++i) hash = NameHashStep(hash, bytes[i]);
        *nameHash = hash;
      }
      Take(static_cast<uint32_t>(size + 1));
      return true;
    }
  }
  uint64_t hash = kNameHashStart;
  for (;;) {
    if (!Reserve(1)) return false;
    const int value = CopyByte(output_, input_);
    --remaining_;
    if (!CheckInput()) return false;
    if (value == 0) break;
    hash = NameHashStep(hash, static_cast<uint8_t>(value));
  }
  if (nameHash != nullptr) *nameHash = hash;
  return true;
}

int32_t RecordWalk::Name() {
  int32_t count = 0;
  for (;;) {
    if (remaining_ == 0 || count > static_cast<int32_t>(kMaxTextLength) || !CheckInput()) {
      state_.nameBuffer[count] = '\0';
      if (ok_) MarkDamaged();
      return -1;
    }
    const int value = CopyByte(output_, input_);
    --remaining_;
    if (value == kEndOfInput) continue;
    state_.nameBuffer[count] = static_cast<char>(value);
    if (value == 0) return count + 1;
    ++count;
  }
}

void RecordWalk::FinishTo(OutputStream* output) {
  if (remaining_ > 0 && !input_.AtEnd()) remaining_ -= CopyBytes(remaining_, output, input_);
}
