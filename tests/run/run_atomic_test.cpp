// The output is written to a new file beside it and put in its place only
// when the run completes: a failed run leaves an existing output byte for
// byte and nothing beside it. Links, modes and outputs that are written in
// place. Modes are compared as the system keeps them (ModeAsKept): Windows
// keeps a read-only attribute alone.
#include <sys/stat.h>

#ifndef _WIN32
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gdb_builder.h"
#include "run_fixture.h"

namespace runtest {
namespace {

// An input whose conversion is some hundred kilobytes (for a test Windows skips).
[[maybe_unused]] std::string LargeInput() {
  gdbtest::Track track("Long");
  for (int32_t i = 0; i < 9000; ++i) track.Point({i, -i});
  return gdbtest::GdbFile('m', {gdbtest::TrackRecord(track)});
}

const char kOldOutput[] = "an earlier conversion";

struct FailedRun {
  const char* name;
  // False when this way to fail is not available here.
  std::function<bool(FakeDialog&, const fs::path& input)> setUp;
  RunOutcome outcome;
};

void PrintTo(const FailedRun& run, std::ostream* out) {
  *out << run.name;
}

const FailedRun kFailedRuns[] = {
    {"NotGdb",
     [](FakeDialog&, const fs::path& in) {
       WriteFile(in, "MsRcf, not a GDB file");
       return true;
     },
     RunOutcome::NotGdbFormat},
    {"Truncated",
     [](FakeDialog&, const fs::path& in) {
       const std::string whole = ReadFile(ExampleGdb());
       WriteFile(in, whole.substr(0, whole.size() - 10));
       return true;
     },
     RunOutcome::InputTruncated},
    // Its first page is never mapped: reading it fails. Windows has no such
    // file (Wine passes the path on to Linux).
    {"ReadFails",
     [](FakeDialog& d, const fs::path&) {
       d.inputPath = "/proc/self/mem";
       return fs::exists("/proc/self/mem");
     },
     RunOutcome::InputReadFailed},
};

class FailedRunTest : public RunFixture, public ::testing::WithParamInterface<FailedRun> {};

TEST_P(FailedRunTest, LeavesTheExistingOutputAndNothingBeside) {
  if (!GetParam().setUp(dialog, input)) GTEST_SKIP() << "not available on this machine";
  WriteFile(output, kOldOutput);
  SetMode(output, 0640);
  const auto namesBefore = FileNames(dir.Path());
  for (int option : {1, 6}) {
    dialog.option = option;
    EXPECT_EQ(Run(), GetParam().outcome) << "option " << option;
    EXPECT_EQ(ReadFile(output), kOldOutput);
    EXPECT_EQ(Mode(output), ModeAsKept(0640));
    EXPECT_EQ(FileNames(dir.Path()), namesBefore);
  }
  // An output of several hard links is converted aside and copied in only
  // once the run completes.
  fs::create_hard_link(output, dir / "second.gdb");
  EXPECT_EQ(Run(), GetParam().outcome);
  EXPECT_EQ(ReadFile(dir / "second.gdb"), kOldOutput);
  EXPECT_EQ(dialog.boxes.back().text.find("output is incomplete"), std::string::npos);
  fs::remove(dir / "second.gdb");
  fs::remove(output);
  EXPECT_EQ(Run(), GetParam().outcome);
  EXPECT_FALSE(fs::exists(output)) << "a failed run created the output";
}

INSTANTIATE_TEST_SUITE_P(Inputs, FailedRunTest, ::testing::ValuesIn(kFailedRuns),
                         [](const auto& info) { return std::string(info.param.name); });

using AtomicOutputTest = RunFixture;

TEST_F(AtomicOutputTest, AReplacedOutputKeepsItsModeAndANewOneFollowsTheUmask) {
  const std::string converted = ConvertElsewhere(ReadFile(input));
  for (mode_t mode : {0600, 0640, 0664, 0755}) {
    WriteFile(output, kOldOutput);
    SetMode(output, mode);
    ASSERT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(ReadFile(output), converted);
    EXPECT_EQ(Mode(output), ModeAsKept(mode));
  }
  fs::remove(output);
#ifdef _WIN32
  // Windows has no umask: a new output is a plain writable file.
  ASSERT_EQ(Run(), RunOutcome::Completed);
  EXPECT_EQ(Mode(output), ModeAsKept(0644));
#else
  const mode_t mask = umask(022);
  ASSERT_EQ(Run(), RunOutcome::Completed);
  umask(mask);
  EXPECT_EQ(Mode(output), 0644u);
#endif
}

TEST_F(AtomicOutputTest, ALinkIsKeptAndTheFileItNamesReplaced) {
  const std::string converted = ConvertElsewhere(ReadFile(input));
  fs::create_directory(dir / "elsewhere");
  const fs::path target = dir / "elsewhere" / "target.gdb";
  WriteFile(target, kOldOutput);
  if (!SymbolicLinksWork(dir.Path())) GTEST_SKIP() << kNoSymbolicLinks;
  MakeSymbolicLink("elsewhere/target.gdb", output);
  ASSERT_EQ(Run(), RunOutcome::Completed);
  EXPECT_TRUE(IsSymbolicLink(output));
  EXPECT_EQ(ReadFile(target), converted);

  // A failed run's file went beside the target, and is gone.
  WriteFile(target, kOldOutput);
  WriteFile(input, "not a GDB file");
  EXPECT_EQ(Run(), RunOutcome::NotGdbFormat);
  EXPECT_EQ(ReadFile(target), kOldOutput);
  EXPECT_EQ(FileNames(dir / "elsewhere"), std::vector<std::string>{"target.gdb"});
}

TEST_F(AtomicOutputTest, AnOutputOfSeveralHardLinksIsWrittenInPlace) {
  const std::string converted = ConvertElsewhere(ReadFile(input));
  WriteFile(output, kOldOutput);
  fs::create_hard_link(output, dir / "second.gdb");
  ASSERT_EQ(Run(), RunOutcome::Completed);
  EXPECT_EQ(ReadFile(dir / "second.gdb"), converted);
  EXPECT_EQ(HardLinkCount(output), 2u);
}

// Every name a folder takes works, the longest too: the new file beside it
// takes a shorter name.
TEST_F(AtomicOutputTest, TheLongestNameWorks) {
  const std::string converted = ConvertElsewhere(ReadFile(input));
  output = dir / (std::string(251, 'n') + ".gdb");
  dialog.outputPath = output.string();
  WriteFile(output, kOldOutput);
  const std::string whole = ReadFile(input);
  WriteFile(input, whole.substr(0, whole.size() - 10));
  EXPECT_EQ(Run(), RunOutcome::InputTruncated);
  EXPECT_EQ(ReadFile(output), kOldOutput);
  WriteFile(input, whole);
  const auto names = FileNames(dir.Path());
  ASSERT_EQ(Run(), RunOutcome::Completed);
  EXPECT_EQ(ReadFile(output), converted);
  EXPECT_EQ(FileNames(dir.Path()), names);
}

// A file open on a descriptor, named as /dev/stdout names standard output,
// is written through the descriptor: the shell's redirection gets the bytes.
TEST_F(AtomicOutputTest, AFileNamedThroughItsDescriptorIsWrittenInPlace) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no /proc/self/fd, no path that names a descriptor";
#else
  const std::string converted = ConvertElsewhere(ReadFile(input));
  WriteFile(output, kOldOutput);
  const int fd = open(output.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  struct stat before {};
  fstat(fd, &before);
  dialog.outputPath = "/proc/self/fd/" + std::to_string(fd);
  ASSERT_EQ(Run(), RunOutcome::Completed);
  struct stat after {};
  stat(output.c_str(), &after);
  close(fd);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(ReadFile(output), converted);
#endif
}

// A device node is written in place and keeps its mode; so do the input and
// a replaced output.
TEST_F(AtomicOutputTest, NoRunChangesTheModeOfAnotherFile) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no device nodes in folders and no modes";
#else
  if (!IsRoot()) GTEST_SKIP() << "mknod needs root";
  struct stat null {};
  ASSERT_EQ(stat("/dev/null", &null), 0);
  const fs::path device = dir / "null";
  ASSERT_EQ(mknod(device.c_str(), S_IFCHR | 0620, null.st_rdev), 0);
  SetMode(device, 0620);
  SetMode(input, 0604);
  dialog.outputPath = device.string();
  ASSERT_EQ(Run(), RunOutcome::Completed);
  EXPECT_TRUE(fs::is_character_file(device));
  EXPECT_EQ(Mode(device), 0620u);
  EXPECT_EQ(Mode(input), 0604u);
#endif
}

#ifndef _WIN32
// Sets or clears a folder's immutable flag, which stops root too from making
// files in it, while the files already there may still be written. False
// where the file system or the user cannot.
bool SetImmutable(const fs::path& folder, bool immutable) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  int flags = 0;
  bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  if (fd >= 0) close(fd);
  return done;
}
#endif

// A writable output in a folder where no file can be made is converted
// elsewhere and copied in once the run has completed.
TEST_F(AtomicOutputTest, AWritableOutputInALockedFolderIsCopiedIn) {
#ifdef _WIN32
  GTEST_SKIP() << "no immutable folders on Windows";
#else
  const std::string converted = ConvertElsewhere(ReadFile(input));
  const fs::path locked = dir / "locked";
  fs::create_directory(locked);
  dialog.outputPath = (locked / "out.gdb").string();
  WriteFile(locked / "out.gdb", std::string(5000, 'x'));
  if (!SetImmutable(locked, true)) GTEST_SKIP() << "no immutable folders here";
  const std::string whole = ReadFile(input);
  WriteFile(input, whole.substr(0, whole.size() - 10));
  const RunOutcome cut = Run();
  const std::string afterCut = ReadFile(locked / "out.gdb");
  WriteFile(input, whole);
  const RunOutcome completed = Run();
  SetImmutable(locked, false);
  EXPECT_EQ(cut, RunOutcome::InputTruncated);
  EXPECT_EQ(afterCut, std::string(5000, 'x'));
  EXPECT_EQ(completed, RunOutcome::Completed);
  EXPECT_EQ(ReadFile(locked / "out.gdb"), converted);
  EXPECT_EQ(FileNames(locked), std::vector<std::string>{"out.gdb"});
#endif
}

// A FIFO is opened only for an input whose header was accepted: a run of
// another file never waits for its reader.
TEST_F(AtomicOutputTest, AFifoIsNotOpenedForAFileThatIsNoGdbFile) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no FIFOs in folders";
#else
  ASSERT_EQ(mkfifo(output.c_str(), 0600), 0);
  WriteFile(input, "not a GDB file");
  EXPECT_EQ(Run(), RunOutcome::NotGdbFormat);
  EXPECT_TRUE(fs::is_fifo(output));
#endif
}

// A new output ends as a file made with open(..., 0666) in its folder would:
// after the umask, or after the folder's default access control list.
TEST_F(AtomicOutputTest, ANewOutputTakesWhatTheFolderGivesANewFile) {
#ifdef _WIN32
  GTEST_SKIP() << "no umask and no POSIX access control lists on Windows";
#else
  // Version 2; the owner rw-, the group r--, others ---.
  const uint8_t kDefaultAcl[] = {2,    0,    0, 0, 1,    0,    6,    0,    0xFF, 0xFF,
                                 0xFF, 0xFF, 4, 0, 4,    0,    0xFF, 0xFF, 0xFF, 0xFF,
                                 0x20, 0,    0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
  struct Folder {
    const char* name;
    mode_t umask;
    bool defaultAcl;
  };
  for (const Folder& folder :
       {Folder{"open", 022, false}, Folder{"closed", 077, false}, Folder{"acl", 022, true}}) {
    const fs::path sub = dir / folder.name;
    fs::create_directory(sub);
    if (folder.defaultAcl && setxattr(sub.c_str(), "system.posix_acl_default", kDefaultAcl,
                                      sizeof kDefaultAcl, 0) != 0) {
      continue;  // a file system without access control lists
    }
    const mode_t saved = umask(folder.umask);
    close(open((sub / "touched").c_str(), O_WRONLY | O_CREAT, 0666));
    dialog.outputPath = (sub / "out.gdb").string();
    const RunOutcome outcome = Run();
    umask(saved);
    ASSERT_EQ(outcome, RunOutcome::Completed) << folder.name;
    EXPECT_EQ(Mode(sub / "out.gdb"), Mode(sub / "touched")) << folder.name;
  }
#endif
}

// A replaced output keeps its extended attributes, its access list among them.
TEST_F(AtomicOutputTest, AReplacedOutputKeepsItsExtendedAttributes) {
#ifdef _WIN32
  GTEST_SKIP() << "no extended attributes on Windows";
#else
  WriteFile(output, kOldOutput);
  if (setxattr(output.c_str(), "user.morvex-test", "kept", 4, 0) != 0) {
    GTEST_SKIP() << "no user attributes on this file system";
  }
  ASSERT_EQ(Run(), RunOutcome::Completed);
  char value[8] = {};
  EXPECT_EQ(getxattr(output.c_str(), "user.morvex-test", value, sizeof value), 4);
  EXPECT_STREQ(value, "kept");
#endif
}

// A full disk: the new file cannot take the conversion, the output on the
// same disk stays whole.
TEST_F(AtomicOutputTest, AFullDiskLeavesTheOutputWhole) {
#ifdef _WIN32
  GTEST_SKIP() << "no small disk to mount on Windows (no tmpfs)";
#else
  if (!IsRoot()) GTEST_SKIP() << "mounting needs root";
  const fs::path disk = dir / "disk";
  fs::create_directory(disk);
  if (mount("none", disk.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "mounting a tmpfs was refused";
  }
  WriteFile(input, LargeInput());
  dialog.outputPath = (disk / "out.gdb").string();
  WriteFile(disk / "out.gdb", kOldOutput);
  const RunOutcome outcome = Run();
  const std::string left = ReadFile(disk / "out.gdb");
  const auto names = FileNames(disk);
  umount2(disk.c_str(), MNT_DETACH);
  EXPECT_EQ(outcome, RunOutcome::OutputWriteFailed);
  ASSERT_EQ(dialog.boxes.size(), 1u);
  EXPECT_EQ(dialog.boxes[0].text, "Error writing output file - no output written\n" +
                                      dialog.outputPath + ": the disk is full");
  EXPECT_EQ(left, kOldOutput);
  EXPECT_EQ(names, std::vector<std::string>{"out.gdb"});
#endif
}

}  // namespace
}  // namespace runtest
