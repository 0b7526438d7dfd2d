// The input is never written: an output path that names the input file, in
// any spelling, is refused before anything is opened for writing, and so is
// an existing output without write permission. These hold for every user,
// root included, for whom permission bits stop nothing. No run changes the
// input's mode. Modes are compared as the system keeps them (ModeAsKept):
// Windows keeps a read-only attribute alone.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <tuple>

#include "gdb_builder.h"
#include "run_fixture.h"

namespace runtest {
namespace {

// Ways to name the input file as the output.
struct Spelling {
  const char* name;
  std::function<std::string(const fs::path& dir, const fs::path& input)> make;
  bool symbolicLink = false;
};

void PrintTo(const Spelling& s, std::ostream* out) {
  *out << s.name;
}

const Spelling kSpellings[] = {
    {"SamePath", [](const fs::path&, const fs::path& in) { return in.string(); }},
    {"DotInPath",
     [](const fs::path& dir, const fs::path&) { return (dir / "." / "in.gdb").string(); }},
    {"DoubleSlash", [](const fs::path& dir, const fs::path&) { return dir.string() + "//in.gdb"; }},
    {"UpAndBack",
     [](const fs::path& dir, const fs::path&) {
       fs::create_directory(dir / "sub");
       return (dir / "sub" / ".." / "in.gdb").string();
     }},
    {"SymbolicLink",
     [](const fs::path& dir, const fs::path& in) {
       MakeSymbolicLink(in, dir / "link.gdb");
       return (dir / "link.gdb").string();
     },
     true},
    {"RelativeSymbolicLink",
     [](const fs::path& dir, const fs::path&) {
       fs::create_directory(dir / "sub");
       MakeSymbolicLink("../in.gdb", dir / "sub" / "link.gdb");
       return (dir / "sub" / "link.gdb").string();
     },
     true},
    {"HardLink",
     [](const fs::path& dir, const fs::path& in) {
       fs::create_hard_link(in, dir / "hard.gdb");
       return (dir / "hard.gdb").string();
     }},
    {"LinkedFolder",
     [](const fs::path& dir, const fs::path&) {
       MakeSymbolicLink(dir, dir / "again", true);
       return (dir / "again" / "in.gdb").string();
     },
     true},
};

class SameFileTest : public RunFixture,
                     public ::testing::WithParamInterface<std::tuple<Spelling, mode_t>> {};

TEST_P(SameFileTest, IsRefusedAndTheInputKeepsItsBytesAndMode) {
  const auto& [spelling, mode] = GetParam();
  if (spelling.symbolicLink && !SymbolicLinksWork(dir.Path())) GTEST_SKIP() << kNoSymbolicLinks;
  SetMode(input, mode);
  const std::string before = ReadFile(input);
  dialog.outputPath = spelling.make(dir.Path(), input);
  for (int option : {1, 5}) {
    dialog.option = option;
    EXPECT_EQ(Run(), RunOutcome::OutputOpenFailed) << "option " << option;
    EXPECT_EQ(ReadFile(input), before);
    EXPECT_EQ(Mode(input), ModeAsKept(mode));
  }
}

INSTANTIATE_TEST_SUITE_P(Spellings, SameFileTest,
                         ::testing::Combine(::testing::ValuesIn(kSpellings),
                                            ::testing::Values<mode_t>(0644, 0444, 0600, 0400)),
                         [](const auto& info) {
                           const mode_t mode = std::get<1>(info.param);
                           return std::string(std::get<0>(info.param).name) + "_Mode" +
                                  std::to_string((mode >> 6) & 7) +
                                  std::to_string((mode >> 3) & 7) + std::to_string(mode & 7);
                         });

// Where the write bits cannot be taken away (a file of another owner that the
// user may write to, a file system without modes), the identity of the files
// alone must stop the run. Here the bits come back while the output is chosen.
class SameFileStillWritableTest : public RunFixture,
                                  public ::testing::WithParamInterface<Spelling> {};

TEST_P(SameFileStillWritableTest, IsRefused) {
  if (GetParam().symbolicLink && !SymbolicLinksWork(dir.Path())) GTEST_SKIP() << kNoSymbolicLinks;
  const std::string before = ReadFile(input);
  dialog.outputPath = GetParam().make(dir.Path(), input);
  dialog.onFieldRead = [&](int id) {
    if (id == IDC_OUTPUT_PATH) SetMode(input, 0644);
  };
  EXPECT_EQ(Run(), RunOutcome::OutputOpenFailed);
  EXPECT_EQ(ReadFile(input), before);
  EXPECT_EQ(Mode(input), ModeAsKept(0644));
}

INSTANTIATE_TEST_SUITE_P(Spellings, SameFileStillWritableTest, ::testing::ValuesIn(kSpellings),
                         [](const auto& info) { return std::string(info.param.name); });

// An existing output without any write bit is refused, and left alone.
class ReadOnlyOutputTest : public RunFixture, public ::testing::WithParamInterface<mode_t> {};

TEST_P(ReadOnlyOutputTest, IsRefusedAndLeftAlone) {
  WriteFile(output, "an earlier conversion");
  SetMode(output, GetParam());
  EXPECT_EQ(Run(), RunOutcome::OutputOpenFailed);
  EXPECT_EQ(Mode(output), ModeAsKept(GetParam()));
  SetMode(output, 0600);
  EXPECT_EQ(ReadFile(output), "an earlier conversion");
  EXPECT_EQ(Mode(input), ModeAsKept(0644));
}

INSTANTIATE_TEST_SUITE_P(Modes, ReadOnlyOutputTest,
                         ::testing::Values<mode_t>(0444, 0400, 0440, 0555, 0000));

using RunGuardTest = RunFixture;

TEST_F(RunGuardTest, ReadOnlyOutputBehindASymbolicLinkIsRefused) {
  WriteFile(dir / "target.gdb", "keep");
  SetMode(dir / "target.gdb", 0444);
  if (!SymbolicLinksWork(dir.Path())) GTEST_SKIP() << kNoSymbolicLinks;
  MakeSymbolicLink(dir / "target.gdb", output);
  EXPECT_EQ(Run(), RunOutcome::OutputOpenFailed);
  EXPECT_EQ(ReadFile(dir / "target.gdb"), "keep");
}

// An input of any mode converts to another file and keeps its mode all
// through the run: the output is chosen and opened without touching it.
class InputModeTest : public RunFixture, public ::testing::WithParamInterface<mode_t> {};

TEST_P(InputModeTest, IsNeverChanged) {
  const mode_t mode = GetParam();
#ifndef _WIN32
  // Windows has no read permission to take away: every mode is readable there.
  if ((mode & S_IRUSR) == 0 && !IsRoot()) GTEST_SKIP() << "only root reads this input";
#endif
  SetMode(input, mode);
  const std::string before = ReadFile(input);
  mode_t whileChoosingOutput = 07777;
  mode_t whileCheckingVias = 07777;
  mode_t atTheOutcome = 07777;
  dialog.onFieldRead = [&](int id) {
    if (id == IDC_OUTPUT_PATH) whileChoosingOutput = Mode(input);
    if (id == IDC_MAX_VIAS) whileCheckingVias = Mode(input);
  };
  dialog.onMessage = [&](const ShownBox&) { atTheOutcome = Mode(input); };
  dialog.option = 6;

  ASSERT_EQ(Run(), RunOutcome::Completed);
  EXPECT_EQ(whileChoosingOutput, ModeAsKept(mode));
  EXPECT_EQ(whileCheckingVias, ModeAsKept(mode));
  EXPECT_EQ(atTheOutcome, ModeAsKept(mode));
  EXPECT_EQ(Mode(input), ModeAsKept(mode));
  EXPECT_EQ(ReadFile(input), before);
}

INSTANTIATE_TEST_SUITE_P(Modes, InputModeTest,
                         ::testing::Values<mode_t>(0644, 0600, 0640, 0604, 0664, 0666, 0660, 0620,
                                                   0602, 0700, 0755, 0777, 0444, 0400, 0440, 0555,
                                                   0000, 0044));

// No way out changes the input's mode, a writable input's included.
struct WayOutAfterGuard {
  const char* name;
  std::function<void(FakeDialog&, const fs::path& dir)> setUp;
  RunOutcome outcome;
};

void PrintTo(const WayOutAfterGuard& w, std::ostream* out) {
  *out << w.name;
}

const WayOutAfterGuard kWaysOutAfterGuard[] = {
    {"OutputPathEmpty", [](FakeDialog& d, const fs::path&) { d.outputPath.clear(); },
     RunOutcome::OutputPathEmpty},
    {"SameFile", [](FakeDialog& d, const fs::path&) { d.outputPath = d.inputPath; },
     RunOutcome::OutputOpenFailed},
    {"OutputFolderMissing",
     [](FakeDialog& d, const fs::path& dir) { d.outputPath = (dir / "none" / "o.gdb").string(); },
     RunOutcome::OutputOpenFailed},
    {"ViaCount",
     [](FakeDialog& d, const fs::path&) {
       d.option = 5;
       d.maxVias = "7";
     },
     RunOutcome::ViaCountInvalid},
    {"NotGdb", [](FakeDialog&, const fs::path& dir) { WriteFile(dir / "in.gdb", "MsRcf"); },
     RunOutcome::NotGdbFormat},
    {"Truncated",
     [](FakeDialog&, const fs::path& dir) {
       const std::string whole = ReadFile(ExampleGdb());
       WriteFile(dir / "in.gdb", whole.substr(0, whole.size() / 2));
     },
     RunOutcome::InputTruncated},
    {"Completed", [](FakeDialog&, const fs::path&) {}, RunOutcome::Completed},
};

class GuardWayOutTest : public RunFixture,
                        public ::testing::WithParamInterface<std::tuple<WayOutAfterGuard, mode_t>> {
};

TEST_P(GuardWayOutTest, KeepsTheInputMode) {
  const auto& [way, mode] = GetParam();
  way.setUp(dialog, dir.Path());
  SetMode(input, mode);
  EXPECT_EQ(Run(), way.outcome);
  EXPECT_EQ(Mode(input), ModeAsKept(mode));
}

INSTANTIATE_TEST_SUITE_P(WaysOut, GuardWayOutTest,
                         ::testing::Combine(::testing::ValuesIn(kWaysOutAfterGuard),
                                            ::testing::Values<mode_t>(0664, 0444)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) == 0444 ? "_ReadOnly" : "_Writable");
                         });

// Paths the system cannot resolve are refused, whatever a walk of their links
// by hand would reach: here, the input.
struct UnresolvablePath {
  const char* name;
  std::function<fs::path(const fs::path& dir)> make;
};

const UnresolvablePath kUnresolvablePaths[] = {
    {"FortyLinksDeep",
     [](const fs::path& dir) {
       MakeSymbolicLink(".", dir / "s", true);
       MakeSymbolicLink("in.gdb", dir / "l");
       std::string path = dir.string();
       for (int i = 0; i < 40; ++i) path += "/s";
       return fs::path(path + "/l");
     }},
    {"LinkLoop",
     [](const fs::path& dir) {
       MakeSymbolicLink("b.gdb", dir / "a.gdb");
       MakeSymbolicLink("a.gdb", dir / "b.gdb");
       return dir / "a.gdb";
     }},
};

class UnresolvablePathTest : public RunFixture,
                             public ::testing::WithParamInterface<UnresolvablePath> {};

TEST_P(UnresolvablePathTest, IsRefusedAndChangesNothing) {
  if (!SymbolicLinksWork(dir.Path())) GTEST_SKIP() << kNoSymbolicLinks;
  const std::string before = ReadFile(input);
  dialog.outputPath = GetParam().make(dir.Path()).string();
  const auto namesBefore = FileNames(dir.Path());
  EXPECT_EQ(Run(), RunOutcome::OutputOpenFailed);
  ASSERT_EQ(dialog.boxes.size(), 1u);
  EXPECT_EQ(dialog.boxes[0].text, "Cannot open output file\nSame file as input or Read-Only?\n" +
                                      dialog.outputPath + ": the path has too many links");
  EXPECT_EQ(ReadFile(input), before);
  EXPECT_EQ(FileNames(dir.Path()), namesBefore);
}

INSTANTIATE_TEST_SUITE_P(Paths, UnresolvablePathTest, ::testing::ValuesIn(kUnresolvablePaths),
                         [](const auto& info) { return std::string(info.param.name); });

// The output becomes another name of the input while the run works, after
// every check before it: the replace checks again, and refuses.
struct Swap {
  const char* name;
  std::function<void(const fs::path& input, const fs::path& output)> make;
  bool symbolicLink;
};

const Swap kSwaps[] = {
    {"SymbolicLink", [](const fs::path& in, const fs::path& out) { MakeSymbolicLink(in, out); },
     true},
    {"HardLink", [](const fs::path& in, const fs::path& out) { fs::create_hard_link(in, out); },
     false},
};

class OutputSwappedTest : public RunFixture, public ::testing::WithParamInterface<Swap> {};

TEST_P(OutputSwappedTest, ForTheInputMidwayIsRefused) {
  if (GetParam().symbolicLink && !SymbolicLinksWork(dir.Path())) GTEST_SKIP() << kNoSymbolicLinks;
  using namespace gdbtest;
  // Its first track is skipped with an "Info" box, in the middle of the run.
  Track big("Big");
  for (int32_t i = 0; i < 10000; ++i) big.Point({i, -i});
  WriteFile(input, GdbFile('m', {TrackRecord(big), TrackRecord(Track("Small").Point({1, 2}))}));
  const std::string before = ReadFile(input);
  WriteFile(output, "an earlier conversion");
  dialog.option = 5;
  dialog.onMessage = [&](const ShownBox& box) {
    if (box.title != "Info") return;
    fs::remove(output);
    GetParam().make(input, output);
  };
  EXPECT_EQ(Run(), RunOutcome::OutputWriteFailed);
  EXPECT_EQ(dialog.boxes.back().text, "Error writing output file - no output written\n" +
                                          output.string() + ": is the input file");
  EXPECT_EQ(ReadFile(input), before);
  EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"in.gdb", "out.gdb"}));
}

INSTANTIATE_TEST_SUITE_P(Swaps, OutputSwappedTest, ::testing::ValuesIn(kSwaps),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace runtest
