// A stand-in for the converter window: the fields hold what a test puts in
// them and make up the run's request, and every message box is recorded
// instead of shown. A hook sees each field as the run takes it up, so that a
// test can look at the files at that moment.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "conversion_run.h"
#include "dialog_ids.h"

namespace runtest {

struct ShownBox {
  std::string text;
  std::string title;
  MessageStyle style;
};

class FakeDialog final : public RunReporter {
 public:
  std::string inputPath;
  std::string outputPath;
  std::string maxVias = "250";  // the field's text, as typed
  int option = 1;               // 1..6; 0 when no option button is checked
  Language language = Language::kEnglish;
  OutputStream* trace = nullptr;
  RunProgress* progress = nullptr;

  std::vector<ShownBox> boxes;
  std::vector<int> fieldsRead;                     // control ids, in the order read
  std::function<void(int)> onFieldRead;            // called before a field is read
  std::function<void(const ShownBox&)> onMessage;  // called as a box is shown

  RunRequest Request() const {
    RunRequest request;
    request.inputPath = inputPath;
    request.outputPath = outputPath;
    request.mode = ModeForOption(option);
    request.viaCount = ViaCountOf(maxVias);
    request.language = language;
    request.trace = trace;
    request.progress = progress;
    return request;
  }

  void ShowMessage(const std::string& text, const std::string& title, MessageStyle style) override {
    boxes.push_back({text, title, style});
    if (onMessage) onMessage(boxes.back());
  }

  // The field the run takes up at each step.
  void OnStep(RunStep step) override {
    const int id = step == RunStep::kInputPath    ? IDC_INPUT_PATH
                   : step == RunStep::kOutputPath ? IDC_OUTPUT_PATH
                                                  : IDC_MAX_VIAS;
    if (onFieldRead) onFieldRead(id);
    fieldsRead.push_back(id);
  }

  bool WasRead(int id) const {
    for (int read : fieldsRead) {
      if (read == id) return true;
    }
    return false;
  }
};

// The Convert command on the stand-in.
inline RunOutcome Convert(FakeDialog& dialog) {
  return RunConversion(dialog.Request(), dialog);
}

}  // namespace runtest
