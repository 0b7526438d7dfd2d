#include "convert_check.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <memory>

#include "byte_stream.h"
#include "conversion.h"
#include "conversion_state.h"
#include "record_dispatch.h"

namespace {
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

// Checks the header and every record as the engine finishes it.
class RecordChecks final : public RecordObserver {
 public:
  RecordChecks(const uint8_t* file, size_t fileSize, const InputStream& input,
               const OutputStream& output, LineCounter& trace)
      : file_(file), fileSize_(fileSize), input_(input), output_(output), trace_(trace) {}

  uint64_t HeaderSize() const { return headerSize_; }

  void OnHeader(const ConversionState&) override {
    headerSize_ = frame_ = before_ = input_.Position();
    Expect(output_.Position() == headerSize_, "header not copied as read", output_.Position(),
           headerSize_);
  }

  bool OnRecord(int type, const ConversionState&) override {
    const uint64_t read = input_.Position();
    Expect(read <= fileSize_, "read past the input", read, fileSize_);
    if (type == kInputEnded) return false;
    Expect(read >= before_ + 5, "record consumed less than its frame", before_, read);
    Expect(frame_ + 5 <= fileSize_, "record returned without a whole frame", frame_, fileSize_);
    frame_ += 5 + LittleEndian32(file_ + frame_);
    Expect(read == frame_, "input not at the next record frame", read, frame_);
    Expect(output_.Position() <= kOutputPerInputByte * read + kOutputSlack,
           "output out of proportion to the input", output_.Position(), read);
    Expect(trace_.Lines() <= read, "trace lines out of proportion to the input", trace_.Lines(),
           read);
    before_ = read;
    return true;
  }

 private:
  const uint8_t* file_;
  uint64_t fileSize_;
  const InputStream& input_;
  const OutputStream& output_;
  LineCounter& trace_;
  uint64_t headerSize_ = 0;
  uint64_t frame_ = 0;   // where the next record starts, by the input's frames
  uint64_t before_ = 0;  // where the record in hand started
};

constexpr ConversionMode kModes[6] = {
    ConversionMode::kRoutesToTracksAllPoints, ConversionMode::kRoutesToTracksViaPoints,
    ConversionMode::kViasToUserWaypoints,     ConversionMode::kViasToHiddenVias,
    ConversionMode::kTracksToRoutesUserVias,  ConversionMode::kTracksToRoutesHiddenVias,
};

}  // namespace

void RunConvertCase(const uint8_t* data, size_t size) {
  if (size < kCasePrefix) return;
  ConversionSettings settings;
  const ConversionMode mode = kModes[data[0] % 6];
  settings.maxViasPerRoute =
      1 + (static_cast<uint32_t>(data[1]) | static_cast<uint32_t>(data[2]) << 8) % 1000;
  const size_t slice = data[3] == 0 ? SIZE_MAX : data[3];
  settings.language = static_cast<Language>(1 + data[4] % 4);
  const uint8_t* file = data + kCasePrefix;
  const size_t fileSize = size - kCasePrefix;

  MemoryInputStream input(file, fileSize, slice);
  StringOutputStream output(1 << 12);
  LineCounter trace;
  settings.trace = &trace;
  static const auto state = NewConversionState();
  RecordChecks checks(file, fileSize, input, output, trace);
  const ConversionResult result = ConvertGdb(*state, settings, input, output, mode, &checks);
  // Every byte is handed out at most once (checked above) and the walks stop
  // at the end: the reads of a run are bounded by its input's size.
  Expect(input.ReadsAtEnd() <= kReadsAtEnd, "reads after the end of the input", input.ReadsAtEnd(),
         kReadsAtEnd);
  Expect(input.Position() <= fileSize, "read past the input", input.Position(), fileSize);
  if (result.headerAccepted) {
    CheckOutputRecords(output.Bytes(), checks.HeaderSize(), result.inputEnded);
  }
}
