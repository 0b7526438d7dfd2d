// The settings file a window keeps between starts: what a save writes comes
// back, its folder is made, a file that cannot be read gives the defaults,
// and a save that fails leaves the file of before.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion_run.h"
#include "settings.h"
#include "test_fs.h"

namespace {

using runtest::fs::path;

// Every value away from its default.
DialogSettings ChangedSettings() {
  DialogSettings settings;
  settings.language = Language::kGerman;
  settings.option = 6;
  settings.viaText = "500";
  settings.oneRoute = true;
  settings.inputFolder = "C:\\Touren\\K\xC3\xB6ln";  // UTF-8
  settings.outputFolder = "/home/u/ gdb files ";     // a folder named with blanks at its ends
  settings.preview = true;
  return settings;
}

TEST(SettingsFile, SavesAndLoadsBackMakingItsFolder) {
  const runtest::TempDir scratch;
  const path file = scratch / "Morvex" / "Morvex.ini";
  SettingsFile settings(file.string(), "en_US");
  settings.Save(ChangedSettings());
  ASSERT_TRUE(runtest::fs::is_regular_file(file));
  EXPECT_EQ(settings.Load(), ChangedSettings());
  // Another start reads the same file.
  EXPECT_EQ(SettingsFile(file.string(), "nl_NL").Load(), ChangedSettings());
}

TEST(SettingsFile, WhatCannotBeReadGivesTheDefaultsInTheLocalesLanguage) {
  const struct {
    const char* what;
    std::string bytes;  // the file's; none at all when empty
    bool folder;        // a folder at the file's path
  } cases[] = {
      {"missing", "", false},
      {"damaged", std::string("\x00\xFF[Morvex\nOption=6\x00", 18), false},
      // Settings past the most a settings file holds are not read.
      {"oversized", "[Morvex]\n" + std::string(1 << 16, '#') + "\nLanguage=en\nOption=6\n", false},
      {"a folder", "", true},
  };
  DialogSettings defaults;
  defaults.language = Language::kDutch;
  defaults.viaText = std::to_string(kDefaultViaCount);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const runtest::TempDir scratch;
    const path file = scratch / "Morvex.ini";
    if (!c.bytes.empty()) runtest::WriteFile(file, c.bytes);
    if (c.folder) runtest::fs::create_directory(file);
    EXPECT_EQ(SettingsFile(file.string(), "nl-BE").Load(), defaults);
  }
}

// What a folder holds, its folders' contents included: each file's name and bytes.
std::vector<std::string> Contents(const path& folder) {
  std::vector<std::string> contents;
  for (const std::string& name : runtest::FileNames(folder)) {
    const path entry = folder / name;
    if (!runtest::fs::is_directory(entry)) {
      contents.push_back(name + ": " + runtest::ReadFile(entry));
      continue;
    }
    for (const std::string& inner : Contents(entry)) contents.push_back(name + "/" + inner);
  }
  return contents;
}

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

constexpr char kOldSettings[] = "[Morvex]\nOption=3\n";

TEST(SettingsFile, AFailedSaveLeavesTheOldFileAndThrowsNothing) {
  const struct {
    const char* what;
    const char* file;  // under the scratch folder
    void (*prepare)(const path& scratch);
    bool posixOnly;  // Windows keeps no write permission of a folder
  } cases[] = {
      {"a file where its folder would be", "taken/Morvex.ini",
       [](const path& scratch) { runtest::WriteFile(scratch / "taken", kOldSettings); }, false},
      {"a folder at its path", "Morvex.ini",
       [](const path& scratch) {
         runtest::fs::create_directory(scratch / "Morvex.ini");
         runtest::WriteFile(scratch / "Morvex.ini" / "kept", kOldSettings);
       },
       false},
      {"a folder not writable", "locked/Morvex.ini",
       [](const path& scratch) {
         runtest::fs::create_directory(scratch / "locked");
         runtest::WriteFile(scratch / "locked" / "Morvex.ini", kOldSettings);
         runtest::SetMode(scratch / "locked", 0555);
       },
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.posixOnly && (kWindows || runtest::IsRoot())) continue;  // root writes anywhere
    const runtest::TempDir scratch;
    c.prepare(scratch.Path());
    const std::vector<std::string> before = Contents(scratch.Path());
    EXPECT_NO_THROW(SettingsFile((scratch / c.file).string(), "en").Save(ChangedSettings()));
    EXPECT_EQ(Contents(scratch.Path()), before);
    if (c.posixOnly) runtest::SetMode(scratch.Path() / "locked", 0755);  // for its removal
  }
}

}  // namespace
