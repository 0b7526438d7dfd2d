// The file streams, in the caller's thread and with a block mover: the same
// bytes in and out whatever the buffer size, the end of the input, read and
// write failures, and a block kept untouched while it is being written.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "byte_stream.h"
#include "file_streams.h"

namespace {

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  uint32_t state = 12345;
  for (char& byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<char>(state >> 24);
  }
  return bytes;
}

// A temporary file holding bytes, rewound for reading.
std::FILE* FileWith(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return nullptr;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  return file;
}

std::string ContentsOf(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string bytes;
  char block[4096];
  size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, got);
  return bytes;
}

// Reads the whole stream a byte at a time, or in runs where it can.
std::string ReadAll(InputStream& input, bool inRuns) {
  std::string bytes;
  if (inRuns) {
    StringOutputStream out(7);
    input.CopyRun(UINT64_MAX, &out);
    return out.Bytes();
  }
  for (int value = input.ReadByte(); value != kEndOfInput; value = input.ReadByte()) {
    bytes.push_back(static_cast<char>(value));
  }
  return bytes;
}

struct StreamCase {
  size_t fileSize;
  size_t bufferSize;
};

const StreamCase kStreamCases[] = {
    {0, 1},      {1, 1},         {5, 2},          {4096, 4096},       {4097, 4096},
    {100000, 7}, {100000, 4096}, {300000, 65536}, {3000000, 1 << 20}, {65536, 65536},
};

TEST(FileStreamTest, ReadsEveryByteOnce) {
  for (const StreamCase& c : kStreamCases) {
    for (bool withMover : {false, true}) {
      for (bool inRuns : {false, true}) {
        SCOPED_TRACE(testing::Message()
                     << c.fileSize << " bytes, buffer " << c.bufferSize
                     << (withMover ? ", mover" : "") << (inRuns ? ", runs" : ""));
        const std::string bytes = Pattern(c.fileSize);
        std::FILE* file = FileWith(bytes);
        ASSERT_NE(file, nullptr);
        {
          BlockMover mover;
          FileInputStream input(fileno(file), c.bufferSize, withMover ? &mover : nullptr);
          EXPECT_EQ(ReadAll(input, inRuns), bytes);
          EXPECT_TRUE(input.AtEnd());
          EXPECT_EQ(input.ReadsAtEnd(), 0u) << "the read that found the end is not one of them";
          EXPECT_EQ(input.ReadByte(), kEndOfInput);
          EXPECT_EQ(input.CopyRun(5, nullptr), 0u);
          EXPECT_EQ(input.ReadsAtEnd(), 2u);
          EXPECT_EQ(input.Position(), c.fileSize);
        }
        std::fclose(file);
      }
    }
  }
}

TEST(FileStreamTest, WritesEveryByteInOrder) {
  for (const StreamCase& c : kStreamCases) {
    for (bool withMover : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.fileSize << " bytes, buffer " << c.bufferSize
                                      << (withMover ? ", mover" : ""));
      const std::string bytes = Pattern(c.fileSize);
      std::FILE* file = std::tmpfile();
      ASSERT_NE(file, nullptr);
      {
        BlockMover mover;
        FileOutputStream output(fileno(file), c.bufferSize, withMover ? &mover : nullptr);
        // Single bytes and blocks of growing sizes, across buffer ends.
        size_t at = 0;
        for (size_t block = 0; at < bytes.size(); ++block) {
          const size_t size = std::min(block % 5 == 0 ? 1 : block * 37, bytes.size() - at);
          if (size == 1) {
            output.WriteByte(static_cast<uint8_t>(bytes[at]));
          } else {
            output.WriteBlock(reinterpret_cast<const uint8_t*>(bytes.data() + at), size);
          }
          at += size;
        }
        EXPECT_EQ(output.Position(), c.fileSize);
        EXPECT_TRUE(output.Flush());
        EXPECT_EQ(ContentsOf(file), bytes);
      }
      std::fclose(file);
    }
  }
}

// One mover serving a run's input and output, the way a conversion uses it.
TEST(FileStreamTest, OneMoverCopiesAFileThroughBothStreams) {
  for (size_t bufferSize : {size_t{1}, size_t{3}, size_t{4096}, size_t{1} << 20}) {
    SCOPED_TRACE(testing::Message() << "buffer " << bufferSize);
    // Every block is a hand-over between threads: few of them for tiny buffers.
    const std::string bytes = Pattern(bufferSize < 4096 ? 20000 : 2500000);
    std::FILE* in = FileWith(bytes);
    std::FILE* out = std::tmpfile();
    ASSERT_NE(in, nullptr);
    ASSERT_NE(out, nullptr);
    {
      BlockMover mover;
      ASSERT_TRUE(mover.Running());
      FileInputStream input(fileno(in), bufferSize, &mover);
      FileOutputStream output(fileno(out), bufferSize, &mover);
      EXPECT_EQ(input.CopyRun(UINT64_MAX, &output), bytes.size());
      EXPECT_TRUE(output.Flush());
    }
    EXPECT_EQ(ContentsOf(out), bytes);
    std::fclose(in);
    std::fclose(out);
  }
}

// A stream that stops before the end leaves a block being read ahead; the
// stream and the mover must wait for it before they go.
TEST(FileStreamTest, StoppingEarlyWhileABlockIsReadAhead) {
  const std::string bytes = Pattern(1 << 20);
  for (size_t taken : {size_t{0}, size_t{1}, size_t{4096}, size_t{5000}}) {
    std::FILE* file = FileWith(bytes);
    ASSERT_NE(file, nullptr);
    {
      BlockMover mover;
      FileInputStream input(fileno(file), 4096, &mover);
      for (size_t i = 0; i < taken; ++i)
        ASSERT_EQ(input.ReadByte(), static_cast<uint8_t>(bytes[i]));
    }
    std::fclose(file);
  }
}

TEST(FileStreamTest, AMoverReportsWhatEachBlockMoved) {
  std::FILE* in = FileWith("0123456789");
  std::FILE* out = std::tmpfile();
  ASSERT_NE(in, nullptr);
  ASSERT_NE(out, nullptr);
  {
    BlockMover mover;
    ASSERT_TRUE(mover.Running());
    const int reading = mover.Attach(fileno(in), BlockMover::Direction::kRead);
    const int writing = mover.Attach(fileno(out), BlockMover::Direction::kWrite);
    uint8_t block[16] = {};
    mover.Start(reading, block, 4);
    EXPECT_EQ(mover.Wait(reading), 4u);
    EXPECT_EQ(mover.Wait(reading), 0u) << "no block in hand";
    mover.Start(writing, block, 4);
    mover.Start(reading, block + 4, 12);  // both channels at once
    EXPECT_EQ(mover.Wait(reading), 6u) << "the rest of the file";
    EXPECT_EQ(mover.Wait(writing), 4u);
    mover.Start(reading, block, 12);
    EXPECT_EQ(mover.Wait(reading), 0u) << "at the end";
  }
  EXPECT_EQ(ContentsOf(out), "0123");
  std::fclose(in);
  std::fclose(out);
}

TEST(FileStreamTest, AMoverHasTwoChannels) {
  BlockMover mover;
  ASSERT_TRUE(mover.Running());
  std::FILE* files[3] = {std::tmpfile(), std::tmpfile(), FileWith("abc")};
  for (std::FILE* file : files) ASSERT_NE(file, nullptr);
  EXPECT_EQ(mover.Attach(fileno(files[0]), BlockMover::Direction::kWrite), 0);
  EXPECT_EQ(mover.Attach(fileno(files[1]), BlockMover::Direction::kWrite), 1);
  EXPECT_EQ(mover.Attach(fileno(files[2]), BlockMover::Direction::kRead), -1);
  {
    // A stream the mover has no channel for reads in the caller's thread.
    FileInputStream input(fileno(files[2]), 2, &mover);
    EXPECT_EQ(ReadAll(input, false), "abc");
  }
  for (std::FILE* file : files) std::fclose(file);
}

// A failed read ends the input as its end does, and Failed() tells the two
// apart, whichever thread read.
TEST(FileStreamTest, AReadErrorIsToldFromTheEnd) {
  std::FILE* unreadable = std::fopen("/proc/self/mem", "rb");  // its first page is unmapped
  if (unreadable == nullptr) GTEST_SKIP() << "no /proc/self/mem here";
  std::FILE* readable = FileWith("abc");
  ASSERT_NE(readable, nullptr);
  for (bool withMover : {false, true}) {
    SCOPED_TRACE(withMover ? "mover" : "caller");
    BlockMover mover;
    FileInputStream failing(fileno(unreadable), 4096, withMover ? &mover : nullptr);
    EXPECT_EQ(failing.ReadByte(), kEndOfInput);
    EXPECT_TRUE(failing.AtEnd());
    EXPECT_TRUE(failing.Failed());
    std::rewind(readable);
    FileInputStream ending(fileno(readable), 4096, withMover ? &mover : nullptr);
    EXPECT_EQ(ReadAll(ending, false), "abc");
    EXPECT_FALSE(ending.Failed());
  }
  std::fclose(unreadable);
  std::fclose(readable);
}

// A write that fails is reported by Flush, whichever thread made it.
TEST(FileStreamTest, AFullDiskFailsTheFlush) {
  for (bool withMover : {false, true}) {
    SCOPED_TRACE(withMover ? "mover" : "caller");
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full here";
    {
      BlockMover mover;
      FileOutputStream output(fileno(full), 4096, withMover ? &mover : nullptr);
      const std::string bytes = Pattern(100000);
      output.WriteBlock(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      EXPECT_FALSE(output.Flush());
      EXPECT_TRUE(output.Failed());
      // Later bytes are dropped; the failure stays.
      output.WriteByte(1);
      EXPECT_FALSE(output.Flush());
    }
    std::fclose(full);
  }
}

// A sink that drains in the background: it keeps a copy of the block in hand
// and checks, when the next block or Settle comes, that the stream has not
// written into it meanwhile.
class CheckingBackgroundSink final : public OutputStream {
 public:
  explicit CheckingBackgroundSink(size_t bufferSize) : OutputStream(bufferSize, 2) {}
  ~CheckingBackgroundSink() override { FlushBeforeDestruction(); }

  const std::string& Written() const { return written_; }
  int Overwritten() const { return overwritten_; }

 private:
  bool Drain(const uint8_t* data, size_t size) override {
    Settle();
    inHand_ = data;
    copy_.assign(reinterpret_cast<const char*>(data), size);
    return true;
  }
  bool Settle() override {
    if (inHand_ == nullptr) return true;
    if (std::memcmp(inHand_, copy_.data(), copy_.size()) != 0) ++overwritten_;
    written_ += copy_;
    inHand_ = nullptr;
    return true;
  }

  const uint8_t* inHand_ = nullptr;
  std::string copy_;
  std::string written_;
  int overwritten_ = 0;
};

TEST(FileStreamTest, ABlockInHandIsLeftUntouched) {
  for (size_t bufferSize : {size_t{1}, size_t{2}, size_t{5}, size_t{64}}) {
    SCOPED_TRACE(testing::Message() << "buffer " << bufferSize);
    const std::string bytes = Pattern(7 * 143);
    CheckingBackgroundSink sink(bufferSize);
    for (size_t at = 0; at < bytes.size(); at += 7) {
      if (at % 2 == 0) {
        sink.WriteByte(static_cast<uint8_t>(bytes[at]));
        sink.WriteBlock(reinterpret_cast<const uint8_t*>(bytes.data() + at + 1), 6);
      } else {
        sink.WriteBlock(reinterpret_cast<const uint8_t*>(bytes.data() + at), 7);
      }
    }
    EXPECT_TRUE(sink.Flush());
    EXPECT_EQ(sink.Written(), bytes);
    EXPECT_EQ(sink.Overwritten(), 0);
  }
}

}  // namespace
