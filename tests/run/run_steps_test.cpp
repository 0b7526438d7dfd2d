// The steps of a run: which fields it reads, which check wins when several
// would fail, the via-point count, the processing option, and what happens to
// an existing output file.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "frame_checker.h"
#include "gdb_builder.h"
#include "run_fixture.h"

namespace runtest {
namespace {

using RunStepsTest = RunFixture;

TEST_F(RunStepsTest, EmptyInputPathReadsNothingElse) {
  dialog.inputPath.clear();
  dialog.outputPath.clear();
  EXPECT_EQ(Run(), RunOutcome::InputPathEmpty);
  EXPECT_FALSE(dialog.WasRead(IDC_OUTPUT_PATH));
  EXPECT_FALSE(dialog.WasRead(IDC_MAX_VIAS));
}

TEST_F(RunStepsTest, MissingInputNeitherReadsNorCreatesTheOutput) {
  dialog.inputPath = (dir / "no-such.gdb").string();
  EXPECT_EQ(Run(), RunOutcome::InputOpenFailed);
  EXPECT_FALSE(dialog.WasRead(IDC_OUTPUT_PATH));
  EXPECT_FALSE(fs::exists(output));
}

// When several things are wrong at once, the message of the earliest check
// is the one shown: input, output path, same file or read-only output, the
// via-point count, opening the output, the header.
struct FirstFailure {
  const char* name;
  std::function<void(RunFixture&, FakeDialog&, const fs::path& dir)> setUp;
  RunOutcome outcome;
};

void PrintTo(const FirstFailure& c, std::ostream* out) {
  *out << c.name;
}

const FirstFailure kFirstFailures[] = {
    {"OutputPathEmptyBeforeViaCount",
     [](RunFixture&, FakeDialog& d, const fs::path&) {
       d.outputPath.clear();
       d.option = 5;
       d.maxVias = "0";
     },
     RunOutcome::OutputPathEmpty},
    {"SameFileBeforeViaCount",
     [](RunFixture&, FakeDialog& d, const fs::path&) {
       d.outputPath = d.inputPath;
       d.option = 6;
       d.maxVias = "1001";
     },
     RunOutcome::OutputOpenFailed},
    {"ReadOnlyOutputBeforeViaCount",
     [](RunFixture&, FakeDialog& d, const fs::path& dir) {
       WriteFile(dir / "out.gdb", "keep");
       SetMode(dir / "out.gdb", 0444);
       d.option = 5;
       d.maxVias = "24";
     },
     RunOutcome::OutputOpenFailed},
    {"ViaCountBeforeOpeningOutput",
     [](RunFixture&, FakeDialog& d, const fs::path& dir) {
       d.outputPath = (dir / "no-such" / "out.gdb").string();
       d.option = 5;
       d.maxVias = "24";
     },
     RunOutcome::ViaCountInvalid},
    {"ViaCountBeforeHeader",
     [](RunFixture&, FakeDialog& d, const fs::path& dir) {
       WriteFile(dir / "in.gdb", "not a GDB file");
       d.option = 6;
       d.maxVias = "";
     },
     RunOutcome::ViaCountInvalid},
    {"OpeningOutputBeforeHeader",
     [](RunFixture&, FakeDialog& d, const fs::path& dir) {
       WriteFile(dir / "in.gdb", "not a GDB file");
       d.outputPath = (dir / "no-such" / "out.gdb").string();
     },
     RunOutcome::OutputOpenFailed},
};

class FirstFailureTest : public RunFixture, public ::testing::WithParamInterface<FirstFailure> {};

TEST_P(FirstFailureTest, ShowsOnlyTheEarliestMessage) {
  GetParam().setUp(*this, dialog, dir.Path());
  EXPECT_EQ(Run(), GetParam().outcome);
  EXPECT_EQ(dialog.boxes.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Order, FirstFailureTest, ::testing::ValuesIn(kFirstFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// The via-point field as the user typed it, per option.
struct ViaCountCase {
  int option;
  const char* text;
  bool accepted;
};

void PrintTo(const ViaCountCase& c, std::ostream* out) {
  *out << "option " << c.option << " with '" << c.text << "'";
}

const ViaCountCase kViaCounts[] = {
    // Options 1 to 4 make no routes and do not look at the field.
    {1, "abc", true},
    {2, "0", true},
    {3, "", true},
    {4, "24", true},
    {4, "99999999999", true},
    // Options 5 and 6 take 25 to 1000.
    {5, "25", true},
    {5, "1000", true},
    {6, "250", true},
    {6, "0025", true},
    {5, "24", false},
    {6, "1001", false},
    {5, "0", false},
    {6, "", false},
    {5, "abc", false},
    {6, "-25", false},
    {5, "25 ", false},
};

class ViaCountTest : public RunFixture, public ::testing::WithParamInterface<ViaCountCase> {};

TEST_P(ViaCountTest, IsCheckedOnlyForOptionsThatMakeRoutes) {
  const ViaCountCase& c = GetParam();
  dialog.option = c.option;
  dialog.maxVias = c.text;
  const RunOutcome outcome = Run();
  if (c.accepted) {
    EXPECT_EQ(outcome, RunOutcome::Completed);
  } else {
    // A text the run refuses gives a request without a count.
    EXPECT_FALSE(dialog.Request().viaCount.has_value());
    EXPECT_EQ(outcome, RunOutcome::ViaCountInvalid);
    // Refused before the output is opened: nothing was created.
    EXPECT_FALSE(fs::exists(output));
  }
  EXPECT_EQ(dialog.WasRead(IDC_MAX_VIAS), c.option >= 5);
}

INSTANTIATE_TEST_SUITE_P(Fields, ViaCountTest, ::testing::ValuesIn(kViaCounts),
                         [](const auto& info) {
                           return "Option" + std::to_string(info.param.option) + "Case" +
                                  std::to_string(info.index);
                         });

TEST_F(RunStepsTest, RefusedViaCountLeavesAnExistingOutputAsItWas) {
  WriteFile(output, "an earlier conversion");
  SetMode(output, 0640);
  dialog.option = 6;
  dialog.maxVias = "1001";
  EXPECT_EQ(Run(), RunOutcome::ViaCountInvalid);
  EXPECT_EQ(ReadFile(output), "an earlier conversion");
  EXPECT_EQ(Mode(output), ModeAsKept(0640));  // Windows keeps the read-only attribute alone
}

TEST_F(RunStepsTest, ViaCountFromTheFieldSizesTheRoutes) {
  std::vector<gdbtest::TrackPoint> points;
  for (int32_t i = 0; i < 60; ++i) points.emplace_back(1000 * i, -1000 * i);
  WriteFile(input,
            gdbtest::GdbFile('l', {gdbtest::TrackRecord(gdbtest::Track("Walk").Points(points))}));
  dialog.option = 5;
  for (const auto& [text, routes] : {std::pair{"25", 3u}, {"30", 2u}, {"59", 2u}, {"60", 1u}}) {
    dialog.maxVias = text;
    ASSERT_EQ(Run(), RunOutcome::Completed);
    const gdbtest::FrameReport report = gdbtest::CheckFrames(ReadFile(output));
    ASSERT_TRUE(report.ok) << report.error;
    EXPECT_EQ(report.routes, routes) << "at most " << text << " via points";
    EXPECT_EQ(report.waypoints, 60u);
  }
}

TEST_F(RunStepsTest, NoOptionCheckedConvertsAsOptionOne) {
  dialog.option = 0;
  ASSERT_EQ(Run(), RunOutcome::Completed);
  const std::string unchecked = ReadFile(output);
  dialog.option = 1;
  EXPECT_EQ(ConvertElsewhere(ReadFile(input)), unchecked);
  // Option 1 turns the example's two routes into tracks, so the file changed.
  EXPECT_NE(unchecked, ReadFile(input));
}

TEST_F(RunStepsTest, EachOptionButtonRunsItsOwnConversion) {
  // One file in which every option changes something different: a link of
  // three points (all of them for option 1, the ends for option 2), an
  // auto-generated via point of class 10 (class 0 for option 3, 12 for 4) and
  // a track (routes of user vias for option 5, hidden vias for option 6).
  using namespace gdbtest;
  const char v = 'l';
  WriteFile(
      input,
      GdbFile(v, {WaypointRecord("Auto", Waypoint().Class(10), v),
                  RouteRecord(Route("Trip")
                                  .Entry(RouteEntry("Auto").Link({{10, 10}, {15, 12}, {20, 20}}))
                                  .Entry(RouteEntry("End"))
                                  .Rest(LastLinkRest(v)),
                              v),
                  TrackRecord(Track("Walk").Point({1, 1}).Point({2, 2}))}));
  struct Expected {
    size_t tracks;
    size_t trackPoints;
    size_t routes;
    uint8_t firstWaypointClass;
    uint8_t lastWaypointClass;
  };
  const Expected expected[] = {
      {2, 5, 0, 10, 10}, {2, 4, 0, 10, 10}, {1, 2, 1, 0, 0},
      {1, 2, 1, 12, 12}, {0, 0, 2, 10, 0},  {0, 0, 2, 10, 12},
  };
  for (int option = 1; option <= 6; ++option) {
    dialog.option = option;
    ASSERT_EQ(Run(), RunOutcome::Completed) << "option " << option;
    const FrameReport report = CheckFrames(ReadFile(output));
    ASSERT_TRUE(report.ok) << report.error;
    const Expected& want = expected[option - 1];
    EXPECT_EQ(report.tracks, want.tracks) << "option " << option;
    EXPECT_EQ(report.trackPoints, want.trackPoints) << "option " << option;
    EXPECT_EQ(report.routes, want.routes) << "option " << option;
    std::vector<uint8_t> classes;
    for (const FrameRecord& record : report.records) {
      if (record.type == 'W') classes.push_back(record.entries.at(0).classByte);
    }
    ASSERT_FALSE(classes.empty());
    EXPECT_EQ(classes.front(), want.firstWaypointClass) << "option " << option;
    EXPECT_EQ(classes.back(), want.lastWaypointClass) << "option " << option;
  }
}

TEST_F(RunStepsTest, NothingAfterTheEndRecordIsRead) {
  const std::string whole = ReadFile(input);
  for (int option = 1; option <= 6; ++option) {
    dialog.option = option;
    const std::string clean = ConvertElsewhere(whole);
    WriteFile(input, whole + "trailing bytes that are no record\xFF\xFF\xFF\xFF");
    EXPECT_EQ(Run(), RunOutcome::Completed) << "option " << option;
    EXPECT_EQ(ReadFile(output), clean) << "option " << option;
  }
}

// A pipe the run opens by name, written from this end: a FIFO, or on Windows
// a named pipe whose server end is the writer's.
class WriterPipe {
 public:
  explicit WriterPipe(const fs::path& dir);
  ~WriterPipe() { Close(); }
  WriterPipe(const WriterPipe&) = delete;
  WriterPipe& operator=(const WriterPipe&) = delete;

  const std::string& Name() const { return name_; }
  bool Made() const;
  // Waits for the reader to open the pipe, then writes all of bytes.
  bool Write(const std::string& bytes);
  void Close();

 private:
  std::string name_;
#ifdef _WIN32
  HANDLE server_ = INVALID_HANDLE_VALUE;
#else
  bool made_ = false;
  std::FILE* out_ = nullptr;
#endif
};

#ifdef _WIN32
WriterPipe::WriterPipe(const fs::path&)
    : name_("\\\\.\\pipe\\morvex-test-" + std::to_string(GetCurrentProcessId())) {
  server_ = CreateNamedPipeA(name_.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                             1 << 16, 1 << 16, 0, nullptr);
}

bool WriterPipe::Made() const {
  return server_ != INVALID_HANDLE_VALUE;
}

bool WriterPipe::Write(const std::string& bytes) {
  const bool connected =
      ConnectNamedPipe(server_, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
  DWORD wrote = 0;
  return connected &&
         ::WriteFile(server_, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) &&
         wrote == bytes.size();
}

void WriterPipe::Close() {
  if (Made()) CloseHandle(server_);
  server_ = INVALID_HANDLE_VALUE;
}
#else
WriterPipe::WriterPipe(const fs::path& dir) : name_((dir / "pipe.gdb").string()) {
  made_ = mkfifo(name_.c_str(), 0600) == 0;
}

bool WriterPipe::Made() const {
  return made_;
}

bool WriterPipe::Write(const std::string& bytes) {
  out_ = std::fopen(name_.c_str(), "wb");
  return out_ != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), out_) == bytes.size() &&
         std::fflush(out_) == 0;
}

void WriterPipe::Close() {
  if (out_ != nullptr) std::fclose(out_);
  out_ = nullptr;
}
#endif

// A pipe whose writer holds it open after the end record: the run ends with
// the end record and does not wait for more input.
TEST_F(RunStepsTest, APipeHeldOpenAfterTheEndRecordDoesNotHoldTheRun) {
  WriterPipe pipe(dir.Path());
  ASSERT_TRUE(pipe.Made());
  const std::string whole = ReadFile(input);
  const std::string clean = ConvertElsewhere(whole);
  std::mutex mutex;
  std::condition_variable changed;
  bool runEnded = false;
  bool writerGaveUp = false;
  std::thread writer([&] {
    ASSERT_TRUE(pipe.Write(whole));  // waits for the run to open it
    std::unique_lock<std::mutex> lock(mutex);
    writerGaveUp = !changed.wait_for(lock, std::chrono::seconds(30), [&] { return runEnded; });
    pipe.Close();
  });
  dialog.inputPath = pipe.Name();
  const RunOutcome outcome = Run();
  {
    std::lock_guard<std::mutex> lock(mutex);
    runEnded = true;
  }
  changed.notify_all();
  writer.join();
  EXPECT_FALSE(writerGaveUp) << "the run waited for the pipe to be closed";
  EXPECT_EQ(outcome, RunOutcome::Completed);
  EXPECT_EQ(ReadFile(output), clean);
}

TEST_F(RunStepsTest, ExistingOutputIsReplacedWhole) {
  WriteFile(output, std::string(100000, 'x'));
  dialog.option = 3;
  ASSERT_EQ(Run(), RunOutcome::Completed);
  EXPECT_EQ(ReadFile(output), ReadFile(input));
}

TEST_F(RunStepsTest, PathsAreTakenExactlyAsTyped) {
  dialog.outputPath = (dir / " out.gdb ").string();
  ASSERT_EQ(Run(), RunOutcome::Completed);
  EXPECT_TRUE(fs::exists(dir / " out.gdb "));
  EXPECT_FALSE(fs::exists(output));
}

TEST_F(RunStepsTest, NonAsciiPathsWork) {
  const fs::path folder = dir / "Straße Zürich";
  fs::create_directory(folder);
  const fs::path in = folder / "Café.gdb";
  fs::copy_file(input, in);
  dialog.inputPath = in.string();
  dialog.outputPath = (folder / "Ausgabe ü.gdb").string();
  ASSERT_EQ(Run(), RunOutcome::Completed);
  EXPECT_EQ(ReadFile(folder / "Ausgabe ü.gdb"), ConvertElsewhere(ReadFile(in)));
}

TEST_F(RunStepsTest, RunsOneAfterAnotherGiveTheSameFile) {
  // The engine's state lives on from run to run; nothing of one run may leak
  // into the next (running numbers, the point table, the version letter).
  for (int option = 1; option <= 6; ++option) {
    dialog.option = option;
    dialog.maxVias = "25";
    ASSERT_EQ(Run(), RunOutcome::Completed);
    const std::string first = ReadFile(output);
    ASSERT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(ReadFile(output), first) << "option " << option;
  }
}

}  // namespace
}  // namespace runtest
