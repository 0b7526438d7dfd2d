// File names as users write them: letters of any script, on the command line
// and in the window's fields, paths past the old Windows limit of 260
// characters, and on Windows every other spelling of the input as the output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "fake_dialog.h"
#include "process.h"
#include "test_fs.h"

namespace runtest {
namespace {

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

fs::path PathOf(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

class NamesTest : public ::testing::Test {
 protected:
  void SetUp() override { expected = ConvertedExample(); }

  // The example converted under plain names: what every run below must write.
  std::string ConvertedExample() {
    FakeDialog plain;
    plain.inputPath = Utf8(dir / "plain-in.gdb");
    plain.outputPath = Utf8(dir / "plain-out.gdb");
    WriteFile(PathOf(plain.inputPath), ReadFile(ExampleGdb()));
    EXPECT_EQ(Convert(plain), RunOutcome::Completed);
    return ReadFile(PathOf(plain.outputPath));
  }

  TempDir dir;
  std::string expected;
};

TEST_F(NamesTest, CommandLineTakesNamesInEveryScript) {
  const std::vector<std::string> names = {"Zürich.gdb", "Москва.gdb", "東京.gdb", "Straße 😀.gdb"};
  WriteFile(dir.Path() / PathOf("Zürich-in.gdb"), ReadFile(ExampleGdb()));
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const fs::path output = PathOf(Utf8(dir.Path() / PathOf(name)));
    const ProcessResult result = RunProgram(
        {MORVEX_CONVERT, "--quiet", Utf8(dir.Path() / PathOf("Zürich-in.gdb")), Utf8(output)});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(ReadFile(output), expected);
  }
  // The same name twice names the input as the output.
  const ProcessResult refused = RunProgram({MORVEX_CONVERT, Utf8(dir.Path() / PathOf("東京.gdb")),
                                            Utf8(dir.Path() / PathOf("東京.gdb"))});
  EXPECT_EQ(refused.exitStatus, 1);
}

TEST_F(NamesTest, RunReadsAndWritesNamesInEveryScript) {
  FakeDialog dialog;
  dialog.inputPath = Utf8(dir.Path() / PathOf("Москва.gdb"));
  dialog.outputPath = Utf8(dir.Path() / PathOf("東京 out.gdb"));
  WriteFile(PathOf(dialog.inputPath), ReadFile(ExampleGdb()));
  EXPECT_EQ(Convert(dialog), RunOutcome::Completed);
  EXPECT_EQ(ReadFile(PathOf(dialog.outputPath)), expected);
}

TEST_F(NamesTest, PathsPastTheOldLimitOf260Characters) {
  fs::path folder = dir.Path();
  while (Utf8(folder).size() < 300) folder /= std::string(40, 'd');
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) GTEST_SKIP() << "no folder of " << Utf8(folder).size() << " characters here";
  FakeDialog dialog;
  dialog.inputPath = Utf8(folder / "in.gdb");
  dialog.outputPath = Utf8(folder / "out.gdb");
  WriteFile(PathOf(dialog.inputPath), ReadFile(ExampleGdb()));
  EXPECT_EQ(Convert(dialog), RunOutcome::Completed);
  EXPECT_EQ(ReadFile(PathOf(dialog.outputPath)), expected);
  // The output exists now: the second run replaces it.
  EXPECT_EQ(Convert(dialog), RunOutcome::Completed);
#ifndef _WIN32
  // (libstdc++ on Windows lists no folder this long.)
  EXPECT_EQ(FileNames(folder), (std::vector<std::string>{"in.gdb", "out.gdb"}));
#endif
}

TEST_F(NamesTest, PathThatIsNotUtf8NamesNoFile) {
  FakeDialog dialog;
  dialog.inputPath = Utf8(dir / "plain-in.gdb");
  dialog.outputPath = Utf8(dir.Path()) + "/bad\xff\xfe.gdb";
#ifdef _WIN32
  // Windows names are UTF-16: such a name cannot be made.
  EXPECT_EQ(Convert(dialog), RunOutcome::OutputOpenFailed);
#else
  // Linux names are bytes: the name is made as given.
  EXPECT_EQ(Convert(dialog), RunOutcome::Completed);
#endif
  dialog.inputPath = Utf8(dir.Path()) + "/\xc3(.gdb";
  EXPECT_EQ(Convert(dialog), RunOutcome::InputOpenFailed);
}

#ifdef _WIN32
// The spellings of one file that only Windows has. Each names the input
// "Trip through Zürich.gdb" in the scratch folder.
std::string ShortName(const std::string& utf8Path) {
  const fs::path path = PathOf(utf8Path);
  std::wstring shortPath(MAX_PATH, L'\0');
  shortPath.resize(GetShortPathNameW(path.c_str(), shortPath.data(), MAX_PATH));
  return Utf8(fs::path(shortPath));
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

TEST_F(NamesTest, EveryWindowsSpellingOfTheInputIsRefused) {
  const fs::path input = dir.Path() / PathOf("Trip through Zürich.gdb");
  const std::string in = Utf8(input);
  const std::string bytes = ReadFile(ExampleGdb());
  WriteFile(input, bytes);
  std::string slashes = in;
  for (char& c : slashes) c = c == '\\' ? '/' : c;
  std::string otherDriveCase = in;
  otherDriveCase[0] = static_cast<char>(otherDriveCase[0] ^ 0x20);
  const fs::path previous = fs::current_path();
  fs::current_path(dir.Path());
  const std::string shortName = ShortName(in);
  struct Spelling {
    const char* name;
    std::string path;
  };
  const Spelling spellings[] = {
      {"upper case", Upper(in)},
      {"forward slashes", slashes},
      {"drive letter in the other case", otherDriveCase},
      {"dot folder", ".\\Trip through Zürich.gdb"},
      {"relative", "Trip through Zürich.gdb"},
      {"drive-relative", in.substr(0, 2) + "Trip through Zürich.gdb"},
      {"root-relative", in.substr(2)},
      {"long form", "\\\\?\\" + in},
      {"short 8.3 name", shortName},
  };
  for (const Spelling& spelling : spellings) {
    SCOPED_TRACE(std::string(spelling.name) + ": " + spelling.path);
    FakeDialog dialog;
    dialog.inputPath = in;
    dialog.outputPath = spelling.path;
    EXPECT_EQ(Convert(dialog), RunOutcome::OutputOpenFailed);
    EXPECT_EQ(ReadFile(input), bytes);
  }
  fs::current_path(previous);
  EXPECT_NE(shortName, in) << "no short name was made";
}
#endif

}  // namespace
}  // namespace runtest
