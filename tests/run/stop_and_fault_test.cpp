// morvex-convert as a process: stopped by a signal in the middle of a run,
// two runs into one output at once, and every kind of file call failing
// (through the fault shim preloaded). After each, the output is either the
// whole conversion or exactly what it was, and nothing is left beside it.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "process.h"
#include "test_fs.h"

extern char** environ;

namespace runtest {
namespace {

using namespace std::chrono_literals;

constexpr int kFailed = 1;
const char kOldOutput[] = "an earlier conversion";

void Generate(const fs::path& path, int seed, const char* size = "2000000") {
  const ProcessResult made =
      RunProgram({MORVEX_GDBGEN, "--size", size, "--seed", std::to_string(seed), path.string()});
  ASSERT_EQ(made.exitStatus, 0) << made.err;
}

ProcessResult Convert(const fs::path& in, const fs::path& out) {
  return RunProgram({MORVEX_CONVERT, "-q", in.string(), out.string()});
}

// A child process running in the background.
class Child {
 public:
  explicit Child(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Child() {
    if (pid_ > 0 && !Wait(0s)) {
      kill(pid_, SIGKILL);
      Wait(10s);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool Started() const { return pid_ > 0; }
  void Signal(int signal) const { kill(pid_, signal); }
  // Waits up to timeout for the child to end; false when it has not.
  bool Wait(std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      if (waitpid(pid_, &status_, WNOHANG) == pid_) {
        pid_ = 0;
        return true;
      }
      if (std::chrono::steady_clock::now() >= until) return false;
      std::this_thread::sleep_for(5ms);
    }
  }
  int Status() const { return status_; }

 private:
  pid_t pid_ = -1;
  int status_ = 0;
};

bool HasNewFile(const fs::path& folder) {
  for (const std::string& name : FileNames(folder)) {
    if (name.find(".morvex-") != std::string::npos) return true;
  }
  return false;
}

// Opens a FIFO for writing once its reader has opened it, within timeout.
int OpenFifoForWriting(const fs::path& fifo, std::chrono::milliseconds timeout) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < until) {
    const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) {
      fcntl(fd, F_SETFL, 0);
      return fd;
    }
    std::this_thread::sleep_for(5ms);
  }
  return -1;
}

// A generated file, whole.gdb, and the FIFO in.gdb a run reads it through, in
// folder; the file's bytes.
std::string WholeAndFifo(const fs::path& folder) {
  Generate(folder / "whole.gdb", 1);
  EXPECT_EQ(mkfifo((folder / "in.gdb").c_str(), 0600), 0);
  return ReadFile(folder / "whole.gdb");
}

// Feeds the first half of whole to the run that reads fifo and holds the pipe
// open, so that the run waits in the middle; waits for its new file in folder.
// The pipe's writing end, or -1 when the run did not take the half.
int FeedHalf(const fs::path& fifo, const std::string& whole, const fs::path& folder) {
  const int writer = OpenFifoForWriting(fifo, 10s);
  if (writer < 0) return -1;
  const auto half = static_cast<ssize_t>(whole.size() / 2);
  if (write(writer, whole.data(), static_cast<size_t>(half)) != half) {
    close(writer);
    return -1;
  }
  for (int i = 0; i < 1000 && !HasNewFile(folder); ++i) std::this_thread::sleep_for(5ms);
  return writer;
}

class StopSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(StopSignalTest, LeavesTheOutputAsItWas) {
  TempDir dir;
  const std::string whole = WholeAndFifo(dir.Path());
  const fs::path fifo = dir / "in.gdb";
  WriteFile(dir / "out.gdb", kOldOutput);
  const auto namesBefore = FileNames(dir.Path());

  Child child({MORVEX_CONVERT, "-q", fifo.string(), (dir / "out.gdb").string()});
  ASSERT_TRUE(child.Started());
  const int writer = FeedHalf(fifo, whole, dir.Path());
  ASSERT_GE(writer, 0) << "the run did not take half its input";
  EXPECT_TRUE(HasNewFile(dir.Path())) << "no new file while the run is in the middle";
  child.Signal(GetParam());
  const bool ended = child.Wait(10s);
  close(writer);
  ASSERT_TRUE(ended) << "the run did not stop";
  ASSERT_TRUE(WIFSIGNALED(child.Status()));
  EXPECT_EQ(WTERMSIG(child.Status()), GetParam());
  EXPECT_EQ(ReadFile(dir / "out.gdb"), kOldOutput);
  std::vector<std::string> namesAfter = FileNames(dir.Path());
  if (GetParam() == SIGKILL) {
    // No handler runs: the new file alone is left.
    ASSERT_EQ(namesAfter.size(), namesBefore.size() + 1);
    EXPECT_EQ(namesAfter[0].rfind(".out.gdb.morvex-", 0), 0u);
    namesAfter.erase(namesAfter.begin());
  }
  EXPECT_EQ(namesAfter, namesBefore);
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalTest,
                         ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGKILL),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

// The next run names the file a killed run left, and removes nothing; a
// file that a run going on holds is no such file.
TEST(LeftFileTest, AFileOfAKilledRunIsNamedAndKept) {
  TempDir dir;
  const std::string whole = WholeAndFifo(dir.Path());
  const fs::path fifo = dir / "in.gdb";
  const fs::path output = dir / "out.gdb";
  Child running({MORVEX_CONVERT, "-q", fifo.string(), output.string()});
  ASSERT_TRUE(running.Started());
  const int writer = FeedHalf(fifo, whole, dir.Path());
  ASSERT_GE(writer, 0) << "the run did not take half its input";
  ASSERT_TRUE(HasNewFile(dir.Path()));
  const std::string left = (dir / FileNames(dir.Path())[0]).string();

  const std::string notice = "Info: A file left by an earlier run that was stopped: " + left + "\n";
  const ProcessResult beside = Convert(dir / "whole.gdb", output);
  EXPECT_EQ(beside.exitStatus, 0);
  EXPECT_EQ(beside.err.find(notice), std::string::npos) << beside.err;
  running.Signal(SIGKILL);
  ASSERT_TRUE(running.Wait(10s));
  close(writer);
  const ProcessResult after = Convert(dir / "whole.gdb", output);
  EXPECT_EQ(after.exitStatus, 0);
  EXPECT_EQ(after.err.substr(0, notice.size()), notice);
  EXPECT_TRUE(fs::exists(left));
}

// A run started with SIGHUP ignored (under nohup) goes on through one.
TEST(HangUpTest, AnIgnoredOneStaysIgnored) {
  TempDir dir;
  const std::string whole = WholeAndFifo(dir.Path());
  ASSERT_EQ(Convert(dir / "whole.gdb", dir / "expected.gdb").exitStatus, 0);
  const fs::path fifo = dir / "in.gdb";

  struct sigaction ignore {};
  struct sigaction saved {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGHUP, &ignore, &saved);
  Child child({MORVEX_CONVERT, "-q", fifo.string(), (dir / "out.gdb").string()});
  sigaction(SIGHUP, &saved, nullptr);
  ASSERT_TRUE(child.Started());
  const int writer = FeedHalf(fifo, whole, dir.Path());
  ASSERT_GE(writer, 0) << "the run did not take half its input";
  const size_t half = whole.size() / 2;
  child.Signal(SIGHUP);
  ASSERT_EQ(write(writer, whole.data() + half, whole.size() - half),
            static_cast<ssize_t>(whole.size() - half));
  close(writer);
  ASSERT_TRUE(child.Wait(30s)) << "the run did not end";
  ASSERT_TRUE(WIFEXITED(child.Status()));
  EXPECT_EQ(WEXITSTATUS(child.Status()), 0);
  EXPECT_EQ(ReadFile(dir / "out.gdb"), ReadFile(dir / "expected.gdb"));
}

// A plain output is replaced by one run's file; one of several hard links
// is written by one run at a time.
class ConcurrentRunTest : public ::testing::TestWithParam<bool> {};

TEST_P(ConcurrentRunTest, TheOutputIsOneWholeResult) {
  const bool hardLinked = GetParam();
  TempDir dir;
  std::string expected[2];
  for (int i = 0; i < 2; ++i) {
    const fs::path in = dir / ("in" + std::to_string(i) + ".gdb");
    Generate(in, i + 1);
    ASSERT_EQ(Convert(in, dir / "expected.gdb").exitStatus, 0);
    expected[i] = ReadFile(dir / "expected.gdb");
  }
  fs::remove(dir / "expected.gdb");
  ASSERT_NE(expected[0], expected[1]);
  std::vector<std::string> names = {"in0.gdb", "in1.gdb", "out.gdb"};
  if (hardLinked) {
    WriteFile(dir / "out.gdb", kOldOutput);
    fs::create_hard_link(dir / "out.gdb", dir / "second.gdb");
    names.push_back("second.gdb");
  }
  for (int round = 0; round < 5; ++round) {
    Child first({MORVEX_CONVERT, "-q", (dir / "in0.gdb").string(), (dir / "out.gdb").string()});
    Child second({MORVEX_CONVERT, "-q", (dir / "in1.gdb").string(), (dir / "out.gdb").string()});
    Child third({MORVEX_CONVERT, "-q", (dir / "in0.gdb").string(), (dir / "out.gdb").string()});
    ASSERT_TRUE(first.Wait(60s) && second.Wait(60s) && third.Wait(60s));
    for (const Child* child : {&first, &second, &third}) {
      ASSERT_TRUE(WIFEXITED(child->Status()));
      EXPECT_EQ(WEXITSTATUS(child->Status()), 0) << "round " << round;
    }
    const std::string result = ReadFile(dir / "out.gdb");
    EXPECT_TRUE(result == expected[0] || result == expected[1]) << "round " << round;
    EXPECT_EQ(FileNames(dir.Path()), names);
  }
}

INSTANTIATE_TEST_SUITE_P(Outputs, ConcurrentRunTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "HardLinked" : "Plain"; });

// A file-size limit is a write error with its reason, not the end of the run.
TEST(FileSizeLimitTest, IsAFailedWriteWithItsReason) {
  TempDir dir;
  Generate(dir / "in.gdb", 1);
  WriteFile(dir / "out.gdb", kOldOutput);
  const ProcessResult result =
      RunProgram({"sh", "-c", "ulimit -f 64; exec \"$0\" -q \"$1\" \"$2\"", MORVEX_CONVERT,
                  (dir / "in.gdb").string(), (dir / "out.gdb").string()});
  EXPECT_EQ(result.exitStatus, kFailed);
  EXPECT_EQ(result.err, "File error: Error writing output file - no output written\n" +
                            (dir / "out.gdb").string() + ": the file is too large\n");
  EXPECT_EQ(ReadFile(dir / "out.gdb"), kOldOutput);
  EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"in.gdb", "out.gdb"}));
}

// Runs argv with extra environment variables; standard error is captured.
ProcessResult RunWithEnvironment(const std::vector<std::string>& argv,
                                 const std::vector<std::string>& extra) {
  std::vector<std::string> entries = extra;
  for (char** entry = environ; *entry != nullptr; ++entry) entries.emplace_back(*entry);
  std::vector<char*> envp;
  for (std::string& entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  ProcessResult result;
  int errPipe[2];
  if (pipe2(errPipe, O_CLOEXEC) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(errPipe[1]);
  char buffer[4096];
  for (ssize_t got; (got = read(errPipe[0], buffer, sizeof buffer)) != 0;) {
    if (got > 0) result.err.append(buffer, static_cast<size_t>(got));
    if (got < 0 && errno != EINTR) break;
  }
  close(errPipe[0]);
  if (spawned != 0) return result;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

const char* const kFailureMessages[] = {
    "File error: Cannot open input file\n",
    "File error: Cannot open output file\nSame file as input or Read-Only?\n",
    "File error: Error reading input file - no output written\n",
    "File error: Error writing output file - no output written\n",
};
const char* const kOutOfMemory =
    "Error: Conversion failed - no output written\nnot enough memory\n";
const char* const kOutOfMemoryAtStart = "morvex-convert: not enough memory\n";
// The reasons of the shim's errors: EACCES and EPERM, EIO and ENOLCK, ENOSPC.
const char* const kFailureReasons[] = {
    ": permission denied\n",
    ": the system refused it\n",
    ": the disk is full\n",
    ": the file is too large\n",
};

// A folder with a generated input and an output, and runs of morvex-convert
// on them with the fault shim preloaded.
class FaultRunner {
 public:
  explicit FaultRunner(int seed) {
    Generate(input_, seed, MORVEX_FAULT_INPUT_SIZE);
    const ProcessResult clean = Convert(input_, dir_ / "expected.gdb");
    EXPECT_EQ(clean.exitStatus, 0);
    EXPECT_TRUE(clean.err.starts_with("Finished: GDB file conversion completed\nSummary: "))
        << clean.err;
    completedErr_ = clean.err;
    expected_ = ReadFile(dir_ / "expected.gdb");
    fs::remove(dir_ / "expected.gdb");
  }

  const fs::path& Input() const { return input_; }
  const fs::path& Output() const { return output_; }
  // Standard error of a run without faults: the completion and the summary.
  const std::string& CompletedErr() const { return completedErr_; }
  const fs::path& Dir() const { return dir_.Path(); }

  // Runs with the atth call of the kind failing over an existing output, and
  // the first call of the kind also, when one is named.
  // error: the errno's name the failing call reports, when not its kind's own.
  ProcessResult RunFailing(const std::string& call, long at, const std::string& countsTo = "",
                           const std::string& also = "", const std::string& error = "") {
    WriteFile(output_, kOldOutput);
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::vector<std::string> environment = {
        std::string("LD_PRELOAD=") + MORVEX_FAULT_SHIM,
        "MORVEX_FAULT_UNDER=" + dir_.Path().string() + "/",
        "MORVEX_FAULT_CALL=" + call,
        "MORVEX_FAULT_AT=" + std::to_string(at),
        // A sanitizer's runtime wants to come first; the shim only wraps calls.
        "ASAN_OPTIONS=" + std::string(asan == nullptr ? "" : asan) + ":verify_asan_link_order=0",
    };
    if (!countsTo.empty()) environment.push_back("MORVEX_FAULT_COUNTS=" + countsTo);
    if (!also.empty()) environment.push_back("MORVEX_FAULT_ALSO=" + also);
    if (!error.empty()) environment.push_back("MORVEX_FAULT_ERRNO=" + error);
    return RunWithEnvironment({MORVEX_CONVERT, "-q", input_.string(), output_.string()},
                              environment);
  }

  // Checks one run: completed with the whole conversion, or failed with a
  // message naming the failure and the output as it was.
  void ExpectWholeOrUntouched(const ProcessResult& result, const std::string& what) const {
    ASSERT_EQ(result.signal, 0) << what << ": " << result.err;
    if (result.exitStatus == 0) {
      EXPECT_EQ(ReadFile(output_), expected_) << what;
    } else {
      EXPECT_EQ(result.exitStatus, kFailed) << what;
      EXPECT_TRUE(IsFailureReport(result.err)) << what << ": " << result.err;
      EXPECT_EQ(ReadFile(output_), kOldOutput) << what;
    }
    EXPECT_EQ(FileNames(dir_.Path()), (std::vector<std::string>{"in.gdb", "out.gdb"})) << what;
  }

  // One of the failure messages, and below it the input or the output and
  // the reason; or out of memory, which names no file.
  bool IsFailureReport(const std::string& err) const {
    if (err == kOutOfMemory || err == kOutOfMemoryAtStart) return true;
    for (const char* message : kFailureMessages) {
      for (const fs::path& file : {input_, output_}) {
        for (const char* reason : kFailureReasons) {
          if (err == message + file.string() + reason) return true;
        }
      }
    }
    return false;
  }

  // True when the sanitizer runtime refuses the preloaded shim.
  bool ShimRefused() {
    const ProcessResult clean = RunFailing("none", 0);
    return clean.exitStatus != 0 && clean.err.find("Sanitizer") != std::string::npos;
  }

 private:
  TempDir dir_;
  fs::path input_ = dir_ / "in.gdb";
  fs::path output_ = dir_ / "out.gdb";
  std::string expected_;
  std::string completedErr_;
};

TEST(FaultTest, EachKindOfCallFailingOnce) {
  enum Named { kNone, kInput, kOutput };
  struct Case {
    const char* call;
    long at;
    const char* error;  // the errno's name; "": the kind's own
    const char* err;    // null: the run completes
    Named named;        // the file the reason's line names
    const char* reason;
  };
  const char* const kOpenFailed = "File error: Cannot open input file\n";
  const char* const kOutputOpenFailed =
      "File error: Cannot open output file\nSame file as input or Read-Only?\n";
  const char* const kReadFailed = "File error: Error reading input file - no output written\n";
  const char* const kWriteFailed = "File error: Error writing output file - no output written\n";
  const Case cases[] = {
      {"open", 1, "", kOpenFailed, kInput, ": permission denied\n"},
      // The output's folder, its listing (for files earlier runs left), then
      // the new file in it.
      {"openat", 1, "", kOutputOpenFailed, kOutput, ": permission denied\n"},
      {"openat", 2, "", nullptr, kNone, ""},
      // A folder closed to new files: converted aside and copied in.
      {"openat", 3, "EACCES", nullptr, kNone, ""},
      {"openat", 3, "ENOSPC", kOutputOpenFailed, kOutput, ": the disk is full\n"},
      {"openat", 3, "EIO", kOutputOpenFailed, kOutput, ": the system refused it\n"},
      {"openat", 3, "EMFILE", kOutputOpenFailed, kOutput, ": the system refused it\n"},
      {"fstatat", 1, "", kOutputOpenFailed, kOutput, ": the system refused it\n"},
      // The old output's mode cannot be given to the new file: never a
      // replaced output with other permissions. Refused by the system, the
      // output is written in place, where it keeps its own.
      {"fchmod", 1, "EIO", kOutputOpenFailed, kOutput, ": the system refused it\n"},
      {"fchmod", 1, "EPERM", nullptr, kNone, ""},
      {"read", 1, "", kReadFailed, kInput, ": the system refused it\n"},
      {"write", 1, "", kWriteFailed, kOutput, ": the disk is full\n"},
      {"write", 1, "EFBIG", kWriteFailed, kOutput, ": the file is too large\n"},
      {"fsync", 1, "", kWriteFailed, kOutput, ": the system refused it\n"},
      // The folder's, after the replace: the output is whole.
      {"fsync", 2, "", nullptr, kNone, ""},
      {"renameat2", 1, "", kWriteFailed, kOutput, ": the system refused it\n"},
      {"close", 1, "", nullptr, kNone, ""},  // the input's: nothing lost
      {"close", 2, "", kWriteFailed, kOutput, ": the system refused it\n"},
  };
  FaultRunner runner(7);
  if (runner.ShimRefused()) GTEST_SKIP() << "the sanitizer runtime refuses the preloaded shim";
  for (const Case& c : cases) {
    const std::string what = std::string(c.call) + " " + std::to_string(c.at) + " " + c.error;
    const ProcessResult result = runner.RunFailing(c.call, c.at, "", "", c.error);
    EXPECT_EQ(result.exitStatus, c.err == nullptr ? 0 : kFailed) << what;
    const fs::path& named = c.named == kInput ? runner.Input() : runner.Output();
    const std::string err =
        c.err == nullptr ? runner.CompletedErr() : c.err + named.string() + c.reason;
    EXPECT_EQ(result.err, err) << what;
    runner.ExpectWholeOrUntouched(result, what);
  }
}

// An output of several hard links whose copying in fails gets its old bytes
// back: the run wrote nothing, as it says.
TEST(FaultTest, AFailedCopyIntoAHardLinkedOutputIsUndone) {
  FaultRunner runner(7);
  const fs::path second = runner.Dir().parent_path() / (runner.Dir().filename().string() + ".2");
  WriteFile(runner.Output(), kOldOutput);
  fs::create_hard_link(runner.Output(), second);
  const ProcessResult result = runner.RunFailing("ftruncate", 1);
  const std::string left = ReadFile(second);
  fs::remove(second);
  if (result.err.find("Sanitizer") != std::string::npos) GTEST_SKIP() << "shim refused";
  EXPECT_EQ(result.err, "File error: Error writing output file - no output written\n" +
                            runner.Output().string() + ": the system refused it\n");
  EXPECT_EQ(left, kOldOutput);
  runner.ExpectWholeOrUntouched(result, "ftruncate 1");
}

// No file is ever made wider than its owner's: the new file and any other.
TEST(FaultTest, FilesAreMadePrivate) {
  FaultRunner runner(7);
  const fs::path modes = runner.Dir().parent_path() / (runner.Dir().filename().string() + ".modes");
  const ProcessResult result = RunWithEnvironment(
      {MORVEX_CONVERT, "-q", runner.Input().string(), runner.Output().string()},
      {std::string("LD_PRELOAD=") + MORVEX_FAULT_SHIM,
       "MORVEX_FAULT_UNDER=" + runner.Dir().string() + "/", "MORVEX_FAULT_MODES=" + modes.string(),
       "ASAN_OPTIONS=verify_asan_link_order=0"});
  if (result.err.find("Sanitizer") != std::string::npos) GTEST_SKIP() << "shim refused";
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  const std::string made = ReadFile(modes);
  fs::remove(modes);
  EXPECT_EQ(made, "0600\n");
}

// The new file a run left beside the output; empty when there is none.
std::string NewFileLeftIn(const fs::path& dir) {
  for (const std::string& name : FileNames(dir)) {
    if (name.find(".out.gdb.morvex-") == 0) return (dir / name).string();
  }
  return {};
}

TEST(FaultTest, AFileThatCannotBeRemovedIsNamed) {
  FaultRunner runner(7);
  WriteFile(runner.Input(), ReadFile(runner.Input()).substr(0, 1000000));
  const ProcessResult result = runner.RunFailing("unlink", 1);
  if (result.err.find("Sanitizer") != std::string::npos) GTEST_SKIP() << "shim refused";
  EXPECT_EQ(result.exitStatus, kFailed);
  const std::string left = NewFileLeftIn(runner.Dir());
  ASSERT_FALSE(left.empty()) << result.err;
  EXPECT_EQ(result.err,
            "File error: Input file ends before its end record - no output written\n"
            "The unfinished file " +
                left + " could not be removed\n");
  EXPECT_EQ(ReadFile(runner.Output()), kOldOutput);
}

TEST(FaultTest, TheReasonComesBeforeTheFileLeft) {
  FaultRunner runner(7);
  const ProcessResult result = runner.RunFailing("write", 1, "", "unlink");
  if (result.err.find("Sanitizer") != std::string::npos) GTEST_SKIP() << "shim refused";
  EXPECT_EQ(result.exitStatus, kFailed);
  const std::string left = NewFileLeftIn(runner.Dir());
  ASSERT_FALSE(left.empty()) << result.err;
  EXPECT_EQ(result.err, "File error: Error writing output file - no output written\n" +
                            runner.Output().string() + ": the disk is full\nThe unfinished file " +
                            left + " could not be removed\n");
  EXPECT_EQ(ReadFile(runner.Output()), kOldOutput);
}

// An allocation failing anywhere in a run: the run says it ran out of
// memory and exits with 1, the old output kept and no new file left; or it
// completes, where the allocation's failure cost nothing. Never an abort.
TEST(FaultTest, OutOfMemoryIsAFailureLikeTheOthers) {
  FaultRunner runner(7);
  const fs::path countsFile =
      runner.Dir().parent_path() / (runner.Dir().filename().string() + ".n");
  const ProcessResult clean = runner.RunFailing("none", 0, countsFile.string());
  if (clean.err.find("Sanitizer") != std::string::npos) GTEST_SKIP() << "shim refused";
  const std::string counts = ReadFile(countsFile);
  fs::remove(countsFile);
  const long allocations = std::stol(counts.substr(counts.find("new ") + 4));
  int failed = 0;
  for (long at = 1; at <= allocations; at += std::max(1L, allocations / 40)) {
    const ProcessResult result = runner.RunFailing("new", at);
    runner.ExpectWholeOrUntouched(result, "new " + std::to_string(at));
    failed += result.err == kOutOfMemory;
  }
  EXPECT_GT(failed, 0);
}

// Runs with one call failing at a random number, up to a little past the
// calls a clean run makes; two folders at a time, one per core.
TEST(FaultTest, ThousandRunsWithACallFailingAtRandom) {
  constexpr int kWorkers = 2;
  constexpr int kRunsEach = 500;
  FaultRunner runners[kWorkers] = {FaultRunner(7), FaultRunner(8)};
  const fs::path countsFile =
      runners[0].Dir().parent_path() / (runners[0].Dir().filename().string() + ".counts");
  const ProcessResult clean = runners[0].RunFailing("none", 0, countsFile.string());
  if (clean.exitStatus != 0 && clean.err.find("Sanitizer") != std::string::npos) {
    GTEST_SKIP() << "the sanitizer runtime refuses the preloaded shim";
  }
  std::vector<std::pair<std::string, long>> counts;
  {
    std::ifstream in(countsFile);
    std::string call;
    long count = 0;
    while (in >> call >> count) counts.emplace_back(call, count);
  }
  fs::remove(countsFile);
  ASSERT_EQ(counts.size(), 17u);
  // The new file is synced, then its folder once it has the output's name.
  EXPECT_EQ(std::count(counts.begin(), counts.end(), std::make_pair(std::string("fsync"), 2L)), 1);
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&counts, &runner = runners[w], w] {
      std::mt19937 random(20261207 + w);
      for (int run = 0; run < kRunsEach; ++run) {
        const auto& [call, count] = counts[random() % counts.size()];
        const long at = 1 + static_cast<long>(random() % static_cast<unsigned long>(count + 2));
        runner.ExpectWholeOrUntouched(runner.RunFailing(call, at), call + " " + std::to_string(at));
        if (::testing::Test::HasFailure()) return;
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
}

}  // namespace
}  // namespace runtest
