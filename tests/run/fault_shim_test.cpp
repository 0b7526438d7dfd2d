// The fault shim itself, on a program that makes each kind of call once: the
// calls on names relative to folder descriptors and to the working folder,
// the calls on descriptors, the error it is told to report and the modes of
// the files made. Only what lies under the folder counts.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "process.h"
#include "test_fs.h"

namespace runtest {
namespace {

using Settings = std::vector<std::pair<std::string, std::string>>;

// Sets environment variables for the programs this process starts, and puts
// back what was there when it goes.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const Settings& settings) {
    for (const auto& [name, value] : settings) {
      const char* old = std::getenv(name.c_str());
      saved_.emplace_back(name, old == nullptr ? std::nullopt : std::optional<std::string>(old));
      setenv(name.c_str(), value.c_str(), 1);
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, old] : saved_) {
      if (old) setenv(name.c_str(), old->c_str(), 1);
      if (!old) unsetenv(name.c_str());
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// "name number" lines, as the calls program and the counts file write them.
std::map<std::string, long> NumbersByName(const std::string& text) {
  std::map<std::string, long> numbers;
  std::istringstream in(text);
  std::string name;
  long number = 0;
  while (in >> name >> number) numbers[name] = number;
  return numbers;
}

class FaultShimTest : public ::testing::Test {
 protected:
  // Runs the calls program under the shim in a folder of its own; returns
  // each call's errno by its label, empty when the shim was refused.
  std::map<std::string, long> RunCalls(Settings settings) {
    const fs::path folder = dir_ / ("run" + std::to_string(++runs_));
    fs::create_directory(folder);
    const char* asan = std::getenv("ASAN_OPTIONS");
    settings.emplace_back("LD_PRELOAD", MORVEX_FAULT_SHIM);
    settings.emplace_back("MORVEX_FAULT_UNDER", folder.string() + "/");
    settings.emplace_back("ASAN_OPTIONS",
                          std::string(asan == nullptr ? "" : asan) + ":verify_asan_link_order=0");
    ProcessResult result;
    {
      ScopedEnvironment environment(settings);
      result = RunProgram({MORVEX_FAULT_SHIM_CALLS, folder.string(),
                           (dir_ / ("outside" + std::to_string(runs_))).string()});
    }
    refused_ = result.err.find("Sanitizer") != std::string::npos;
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return NumbersByName(result.out);
  }

  TempDir dir_;
  int runs_ = 0;
  bool refused_ = false;
};

TEST_F(FaultShimTest, EachKindFailsAtItsCallWithTheErrorNamed) {
  struct Case {
    const char* kind;
    int at;
    const char* label;  // the call that is to fail
  };
  const Case cases[] = {
      {"openat", 1, "openat-folder"},  // the folder itself counts
      {"openat", 2, "openat-new"},     // and a name relative to its descriptor
      {"fchown", 1, "fchown"},
      {"fchmod", 1, "fchmod"},
      {"fsetxattr", 1, "fsetxattr"},
      {"flock", 1, "flock"},
      {"ftruncate", 1, "ftruncate"},
      {"fstatat", 1, "fstatat"},  // the one outside the folder went by
      {"linkat", 1, "linkat"},
      {"renameat2", 1, "renameat"},
      {"renameat2", 2, "renameat2"},
      {"unlink", 1, "unlinkat"},  // a name relative to the working folder
      {"close", 1, "close"},
  };
  for (const Case& c : cases) {
    const std::string what = std::string(c.kind) + " " + std::to_string(c.at);
    const auto errors = RunCalls({{"MORVEX_FAULT_CALL", c.kind},
                                  {"MORVEX_FAULT_AT", std::to_string(c.at)},
                                  {"MORVEX_FAULT_ERRNO", "EXDEV"}});
    if (refused_) GTEST_SKIP() << "the sanitizer runtime refuses the preloaded shim";
    ASSERT_TRUE(errors.contains(c.label)) << what;
    for (const auto& [label, error] : errors) {
      EXPECT_EQ(error == EXDEV, label == c.label) << what << ": " << label << " " << error;
    }
  }
}

TEST_F(FaultShimTest, ACleanRunCountsAndRecordsOnlyUnderTheFolder) {
  const fs::path counts = dir_ / "counts";
  const fs::path modes = dir_ / "modes";
  const auto errors =
      RunCalls({{"MORVEX_FAULT_COUNTS", counts.string()}, {"MORVEX_FAULT_MODES", modes.string()}});
  if (refused_) GTEST_SKIP() << "the sanitizer runtime refuses the preloaded shim";
  for (const auto& [label, error] : errors) EXPECT_EQ(error, 0) << label;
  const std::map<std::string, long> expected = {
      {"open", 0},      {"read", 0},   {"write", 0},     {"fsync", 0},     {"rename", 0},
      {"close", 2},     {"unlink", 1}, {"openat", 2},    {"renameat2", 2}, {"linkat", 1},
      {"fchmod", 1},    {"fchown", 1}, {"fsetxattr", 1}, {"flock", 1},     {"fstatat", 1},
      {"ftruncate", 1}, {"new", 0}};
  EXPECT_EQ(NumbersByName(ReadFile(counts)), expected);
  // The file made outside the folder, with 0644, is not recorded.
  EXPECT_EQ(ReadFile(modes), "0600\n");
}

}  // namespace
}  // namespace runtest
