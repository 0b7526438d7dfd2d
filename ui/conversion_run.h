// One conversion run: takes the paths, the processing option and the via-point
// maximum from a dialog, runs the engine over the input and reports the outcome
// in message boxes of that dialog. The run knows nothing of a toolkit: the Qt
// dialog, the command-line converter and the tests each implement
// ConversionDialog.
#pragma once

#include <string>

enum class MessageStyle {
  Exclamation,  // warning icon, one OK button
  Plain,        // no icon, one OK button
};

class ConversionDialog {
 public:
  virtual ~ConversionDialog() = default;

  // Text of an edit field, UTF-8.
  virtual std::string GetDlgItemText(int id) const = 0;
  // The field read as an unsigned decimal number; text that is not one reads as 0.
  virtual unsigned GetDlgItemInt(int id) const = 0;
  // The first checked button of first..last in rising order, or 0 when none is.
  virtual int GetCheckedRadioButton(int first, int last) const = 0;
  // A modal box owned by the dialog; returns when the user has closed it.
  virtual void MessageBox(const std::string& text, const std::string& title,
                          MessageStyle style) = 0;
};

enum class RunOutcome {
  Completed,  // the end record was converted; the completion message was due
  InputPathEmpty,
  InputOpenFailed,
  OutputPathEmpty,
  OutputOpenFailed,
  ViaCountInvalid,
  NotGdbFormat,
  InputTruncated,  // the input ended before its end record
  OutputWriteFailed,
};

// The Convert command. Returns how the run ended; every message has already
// been shown through the dialog when it returns.
RunOutcome OnConvert(ConversionDialog& dialog);
