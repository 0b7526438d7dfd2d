#include "convert_check.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "byte_stream.h"
#include "conversion_state.h"
#include "file_header.h"
#include "record_dispatch.h"

namespace {

constexpr char kModes[6] = {'T', 'U', 'R', 'S', 'V', 'W'};
// Most output bytes one input byte may give: a 9-byte track point becomes a
// waypoint record and a route entry of about 190 bytes.
constexpr uint64_t kOutputPerInputByte = 32;
constexpr uint64_t kOutputSlack = 1 << 12;
// Reads a run may make once its input has ended: the walk that meets the end
// finishes the field in hand (a 32-bit value takes 4) and stops. The corpus
// needs 4.
constexpr uint64_t kReadsAtEnd = 16;

[[noreturn]] void Fail(const char* what, uint64_t a, uint64_t b) {
  std::fprintf(stderr, "convert check failed: %s (%llu, %llu)\n", what,
               static_cast<unsigned long long>(a), static_cast<unsigned long long>(b));
  std::abort();
}

void Expect(bool holds, const char* what, uint64_t a = 0, uint64_t b = 0) {
  if (!holds) Fail(what, a, b);
}

uint32_t LittleEndian32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Counts trace lines without keeping them.
class LineCounter final : public OutputStream {
 public:
  LineCounter() : OutputStream(256) {}
  ~LineCounter() override { FlushBeforeDestruction(); }
  uint64_t Lines() {
    Flush();
    return lines_;
  }

 private:
  bool Drain(const uint8_t* data, size_t size) override {
    for (size_t i = 0; i < size; ++i) lines_ += data[i] == '\n';
    return true;
  }
  uint64_t lines_ = 0;
};

// Walks the output's record frames after the header of headerSize bytes.
void CheckOutputRecords(const std::string& out, uint64_t headerSize, bool inputEnded) {
  uint64_t at = headerSize;
  while (at < out.size()) {
    const uint64_t left = out.size() - at;
    if (left < 5) {
      Expect(inputEnded, "output ends inside a record frame", at, left);
      return;
    }
    const uint64_t length = LittleEndian32(reinterpret_cast<const uint8_t*>(out.data()) + at);
    if (length > left - 5) {
      Expect(inputEnded, "output record longer than what follows it", at, length);
      return;
    }
    at += 5 + length;
  }
}

}  // namespace

void RunConvertCase(const uint8_t* data, size_t size) {
  if (size < kCasePrefix) return;
  const char mode = kModes[data[0] % 6];
  g_maxViasPerRoute =
      1 + (static_cast<uint32_t>(data[1]) | static_cast<uint32_t>(data[2]) << 8) % 1000;
  const size_t slice = data[3] == 0 ? SIZE_MAX : data[3];
  g_language = 1 + data[4] % 4;
  const uint8_t* file = data + kCasePrefix;
  const size_t fileSize = size - kCasePrefix;

  MemoryInputStream input(file, fileSize, slice);
  StringOutputStream output(1 << 12);
  LineCounter trace;
  g_traceOutput = &trace;

  const int accepted = CopyFileHeader(output, input);
  const uint64_t headerSize = input.Position();
  bool inputEnded = false;
  if (accepted == 1) {
    Expect(output.Position() == headerSize, "header not copied as read", output.Position(),
           headerSize);
    uint64_t frame = headerSize;  // where the next record starts, by the input's frames
    for (;;) {
      const uint64_t before = input.Position();
      const int type = ConvertRecord(input, output, mode);
      const uint64_t read = input.Position();
      Expect(read <= fileSize, "read past the input", read, fileSize);
      if (type == kInputEnded) {
        inputEnded = true;
        break;
      }
      Expect(read >= before + 5, "record consumed less than its frame", before, read);
      Expect(frame + 5 <= fileSize, "record returned without a whole frame", frame, fileSize);
      frame += 5 + LittleEndian32(file + frame);
      Expect(read == frame, "input not at the next record frame", read, frame);
      Expect(output.Position() <= kOutputPerInputByte * read + kOutputSlack,
             "output out of proportion to the input", output.Position(), read);
      Expect(trace.Lines() <= read, "trace lines out of proportion to the input", trace.Lines(),
             read);
      if (type == kEndRecord) break;
    }
  }
  g_traceOutput = nullptr;
  // Every byte is handed out at most once (checked above) and the walks stop
  // at the end: the reads of a run are bounded by its input's size.
  Expect(input.ReadsAtEnd() <= kReadsAtEnd, "reads after the end of the input", input.ReadsAtEnd(),
         kReadsAtEnd);
  Expect(input.Position() <= fileSize, "read past the input", input.Position(), fileSize);
  if (accepted == 1) CheckOutputRecords(output.Bytes(), headerSize, inputEnded);
}
