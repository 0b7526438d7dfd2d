// A stand-in for the converter window: the fields hold what a test puts in
// them, and every message box is recorded instead of shown. A hook sees each
// field read, so that a test can look at the files at that moment.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "control_ids.h"
#include "conversion_run.h"

namespace runtest {

struct ShownBox {
  std::string text;
  std::string title;
  MessageStyle style;
};

class FakeDialog final : public ConversionDialog {
 public:
  std::string inputPath;
  std::string outputPath;
  std::string maxVias = "250";  // the field's text, as typed
  int option = 1;               // 1..6; 0 when no option button is checked

  std::vector<ShownBox> boxes;
  mutable std::vector<int> fieldsRead;             // control ids, in the order read
  std::function<void(int)> onFieldRead;            // called before a field is read
  std::function<void(const ShownBox&)> onMessage;  // called as a box is shown

  std::string GetDlgItemText(int id) const override {
    Touch(id);
    if (id == IDC_INPUT_PATH) return inputPath;
    if (id == IDC_OUTPUT_PATH) return outputPath;
    if (id == IDC_MAX_VIAS) return maxVias;
    return {};
  }

  // As the window's field: an unsigned decimal number, else 0.
  unsigned GetDlgItemInt(int id) const override {
    Touch(id);
    const std::string text = id == IDC_MAX_VIAS ? maxVias : std::string();
    if (text.empty() || text.size() > 9) return 0;
    unsigned value = 0;
    for (char c : text) {
      if (c < '0' || c > '9') return 0;
      value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
  }

  int GetCheckedRadioButton(int first, int last) const override {
    if (option == 0) return 0;
    const int id = IDC_OPTION_1 + option - 1;
    return id >= first && id <= last ? id : 0;
  }

  void MessageBox(const std::string& text, const std::string& title, MessageStyle style) override {
    boxes.push_back({text, title, style});
    if (onMessage) onMessage(boxes.back());
  }

  bool WasRead(int id) const {
    for (int read : fieldsRead) {
      if (read == id) return true;
    }
    return false;
  }

 private:
  void Touch(int id) const {
    if (onFieldRead) onFieldRead(id);
    fieldsRead.push_back(id);
  }
};

}  // namespace runtest
