// The fixture of the conversion-run tests: a scratch folder holding a copy of
// the bundled example as the input, a fake dialog pointing at it and at an
// output beside it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "conversion_run.h"
#include "fake_dialog.h"
#include "test_fs.h"

namespace runtest {

class RunFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    input = dir / "in.gdb";
    output = dir / "out.gdb";
    WriteFile(input, ReadFile(ExampleGdb()));
    SetMode(input, 0644);
    dialog.inputPath = input.string();
    dialog.outputPath = output.string();
  }

  RunOutcome Run(Language language = Language::kEnglish) {
    dialog.language = language;
    return Convert(dialog);
  }

  // A clean run of the same input, option and count into a file of its own.
  std::string ConvertElsewhere(const std::string& inputBytes) {
    const fs::path in = dir / "elsewhere-in.gdb";
    const fs::path out = dir / "elsewhere-out.gdb";
    WriteFile(in, inputBytes);
    FakeDialog other;
    other.inputPath = in.string();
    other.outputPath = out.string();
    other.option = dialog.option;
    other.maxVias = dialog.maxVias;
    EXPECT_EQ(Convert(other), RunOutcome::Completed);
    return ReadFile(out);
  }

  TempDir dir;
  fs::path input;
  fs::path output;
  FakeDialog dialog;
};

}  // namespace runtest
